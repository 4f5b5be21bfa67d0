#include "direct_painter.h"

#include <objidl.h>

#include <gdiplus.h>

#include <algorithm>
#include <cstring>

namespace gp = Gdiplus::DllExports;

void DirectPainter::FillColor(const RECT& rect, DWORD argb) {
  Gdiplus::GpGraphics* graphics = nullptr;
  Gdiplus::GpSolidFill* brush = nullptr;
  gp::GdipCreateFromHDC(dc_, &graphics);
  gp::GdipCreateSolidFill(argb, &brush);
  gp::GdipFillRectangle(graphics, brush, float(rect.left), float(rect.top),
                        float(rect.right - rect.left), float(rect.bottom - rect.top));
  gp::GdipDeleteBrush(brush);
  gp::GdipDeleteGraphics(graphics);
}

void DirectPainter::FillGradient(const RECT& rect, DWORD top, DWORD bottom) {
  Gdiplus::GpGraphics* graphics = nullptr;
  Gdiplus::GpLineGradient* brush = nullptr;
  gp::GdipCreateFromHDC(dc_, &graphics);
  const Gdiplus::GpRect area(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
  gp::GdipCreateLineBrushFromRectI(&area, top, bottom, Gdiplus::LinearGradientModeVertical,
                                   Gdiplus::WrapModeTile, &brush);
  gp::GdipFillRectangleI(graphics, brush, area.X, area.Y, area.Width, area.Height);
  gp::GdipDeleteBrush(brush);
  gp::GdipDeleteGraphics(graphics);
}

void DirectPainter::StretchBitmap(HBITMAP bitmap, const RECT& dest, const RECT& source) {
  HDC memory = CreateCompatibleDC(dc_);
  HGDIOBJ old = SelectObject(memory, bitmap);
  const int oldMode = SetStretchBltMode(dc_, HALFTONE);
  StretchBlt(dc_, dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top, memory,
             source.left, source.top, source.right - source.left, source.bottom - source.top,
             SRCCOPY);
  SetStretchBltMode(dc_, oldMode);
  SelectObject(memory, old);
  DeleteDC(memory);
}

void DirectPainter::NineGrid(HBITMAP bitmap, const RECT& dest, const RECT& source, int c) {
  HDC memory = CreateCompatibleDC(dc_);
  HGDIOBJ old = SelectObject(memory, bitmap);
  const int oldMode = SetStretchBltMode(dc_, HALFTONE);
  const BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  const int dx[4] = {dest.left, dest.left + c, dest.right - c, dest.right};
  const int dy[4] = {dest.top, dest.top + c, dest.bottom - c, dest.bottom};
  const int sx[4] = {source.left, source.left + c, source.right - c, source.right};
  const int sy[4] = {source.top, source.top + c, source.bottom - c, source.bottom};
  for (int row = 0; row < 3; ++row) {
    for (int column = 0; column < 3; ++column) {
      AlphaBlend(dc_, dx[column], dy[row], dx[column + 1] - dx[column], dy[row + 1] - dy[row],
                 memory, sx[column], sy[row], sx[column + 1] - sx[column], sy[row + 1] - sy[row],
                 blend);
    }
  }
  SetStretchBltMode(dc_, oldMode);
  SelectObject(memory, old);
  DeleteDC(memory);
}

void DirectPainter::Blend(HBITMAP bitmap, const RECT& dest, const RECT& source) {
  HDC memory = CreateCompatibleDC(dc_);
  HGDIOBJ old = SelectObject(memory, bitmap);
  const BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  AlphaBlend(dc_, dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top, memory,
             source.left, source.top, source.right - source.left, source.bottom - source.top,
             blend);
  SelectObject(memory, old);
  DeleteDC(memory);
}

void DirectPainter::BlendDc(HDC source, const RECT& dest, const RECT& from, BYTE alpha) {
  const BLENDFUNCTION blend = {AC_SRC_OVER, 0, alpha, AC_SRC_ALPHA};
  AlphaBlend(dc_, dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top, source,
             from.left, from.top, from.right - from.left, from.bottom - from.top, blend);
}

void DirectPainter::Tile(HBITMAP bitmap, const RECT& dest, int size) {
  HDC memory = CreateCompatibleDC(dc_);
  HGDIOBJ old = SelectObject(memory, bitmap);
  const BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  for (LONG top = dest.top; top < dest.bottom; top += size) {
    const LONG height = std::min<LONG>(size, dest.bottom - top);
    for (LONG left = dest.left; left < dest.right; left += size) {
      const LONG width = std::min<LONG>(size, dest.right - left);
      AlphaBlend(dc_, left, top, width, height, memory, 0, 0, width, height, blend);
    }
  }
  SelectObject(memory, old);
  DeleteDC(memory);
}

void DirectPainter::Clear() {
  GdiFlush();
  std::memset(bits_, 0, static_cast<size_t>(width_) * height_ * 4);
}

void DirectPainter::DrawText(const RECT& rect, const std::wstring& text, DWORD argb, HFONT handle) {
  Gdiplus::GpGraphics* graphics = nullptr;
  gp::GdipCreateFromHDC(dc_, &graphics);
  LOGFONTW description = {};
  GetObjectW(handle, sizeof(description), &description);
  Gdiplus::GpFont* font = nullptr;
  gp::GdipCreateFontFromLogfontW(dc_, &description, &font);
  Gdiplus::GpSolidFill* brush = nullptr;
  gp::GdipCreateSolidFill(argb, &brush);
  Gdiplus::GpStringFormat* generic = nullptr;
  Gdiplus::GpStringFormat* format = nullptr;
  gp::GdipStringFormatGetGenericTypographic(&generic);
  gp::GdipCloneStringFormat(generic, &format);
  gp::GdipSetStringFormatFlags(format, Gdiplus::StringFormatFlagsNoWrap);
  gp::GdipSetStringFormatAlign(format, Gdiplus::StringAlignmentNear);
  gp::GdipSetStringFormatLineAlign(format, Gdiplus::StringAlignmentCenter);
  const Gdiplus::RectF layout(float(rect.left), float(rect.top), float(rect.right - rect.left),
                              float(rect.bottom - rect.top));
  gp::GdipDrawString(graphics, text.c_str(), static_cast<INT>(text.size()), font, &layout, format,
                     brush);
  gp::GdipDeleteStringFormat(format);
  gp::GdipDeleteBrush(brush);
  gp::GdipDeleteFont(font);
  gp::GdipDeleteGraphics(graphics);
}

void DirectPainter::ResetAndMakeOpaque(const RECT& rect, int inset) {
  GdiFlush();
  const size_t rowBytes = static_cast<size_t>(rect.right - rect.left) * 4;
  for (int y = rect.top; y < rect.bottom; ++y) {
    std::memset(bits_ + (static_cast<size_t>(y) * width_ + rect.left) * 4, 0, rowBytes);
  }
  for (int y = rect.top; y < rect.bottom; ++y) {
    const bool band = y >= inset && y < height_ - inset;
    const int from = band ? rect.left : inset;
    const int to = band ? rect.right : width_ - inset;
    unsigned char* alpha = bits_ + (static_cast<size_t>(y) * width_ + from) * 4 + 3;
    for (int x = from; x < to; ++x, alpha += 4) *alpha = 255;
  }
}

#include "ui/render/gdiplus_painter.h"

#include "ui/render/gdiplus_ptr.h"
#include "ui/render/render_lookup.h"

namespace ui {

namespace gp = Gdiplus::DllExports;
using Gdiplus::REAL;

namespace {

// The face whose glyphs sit one pixel high when centred vertically.
constexpr wchar_t kNSimSunFace[] = L"\x65B0\x5B8B\x4F53";  // 新宋体
// The sample whose height is one line of text.
constexpr wchar_t kLineSample[] = L"\x6D4B\x8BD5";  // 测试

GraphicsPtr MakeGraphics(HDC dc, bool antiAlias) {
  Gdiplus::GpGraphics* graphics = nullptr;
  gp::GdipCreateFromHDC(dc, &graphics);
  GraphicsPtr result(graphics);
  if (result && antiAlias) gp::GdipSetSmoothingMode(graphics, Gdiplus::SmoothingModeAntiAlias);
  return result;
}

BrushPtr MakeSolidBrush(UiColor color) {
  Gdiplus::GpSolidFill* brush = nullptr;
  gp::GdipCreateSolidFill(color, &brush);
  return BrushPtr(brush);
}

PenPtr MakePen(UiColor color, int width) {
  Gdiplus::GpPen* pen = nullptr;
  gp::GdipCreatePen1(color, static_cast<REAL>(width), Gdiplus::UnitWorld, &pen);
  return PenPtr(pen);
}

// The registered font, or the one selected into dc for an unknown id.
FontPtr MakeFont(HDC dc, const std::wstring& fontId, RenderFont* entry) {
  Gdiplus::GpFont* font = nullptr;
  LOGFONTW description = {};
  if (RenderLookup::FindFont(fontId, entry) && entry->handle &&
      ::GetObjectW(entry->handle, sizeof(description), &description)) {
    gp::GdipCreateFontFromLogfontW(dc, &description, &font);
  } else {
    *entry = RenderFont{};
    gp::GdipCreateFontFromDC(dc, &font);
  }
  return FontPtr(font);
}

StringFormatPtr CopyTypographicFormat() {
  Gdiplus::GpStringFormat* generic = nullptr;
  Gdiplus::GpStringFormat* copy = nullptr;
  if (gp::GdipStringFormatGetGenericTypographic(&generic) == Gdiplus::Ok) {
    gp::GdipCloneStringFormat(generic, &copy);
  }
  return StringFormatPtr(copy);
}

StringFormatPtr MakeDrawFormat(TextStyle style, bool lineLimit) {
  StringFormatPtr format = CopyTypographicFormat();
  if (!format) return format;
  const TextFormat wanted = TextFormat::ForDrawing(style, lineLimit);
  if (wanted.ellipsis) {
    gp::GdipSetStringFormatTrimming(format.get(), Gdiplus::StringTrimmingEllipsisCharacter);
  }
  gp::GdipSetStringFormatFlags(format.get(), wanted.flags);
  gp::GdipSetStringFormatAlign(format.get(), static_cast<Gdiplus::StringAlignment>(wanted.align));
  gp::GdipSetStringFormatLineAlign(format.get(),
                                   static_cast<Gdiplus::StringAlignment>(wanted.lineAlign));
  return format;
}

StringFormatPtr MakeMeasureFormat(TextStyle style) {
  StringFormatPtr format = CopyTypographicFormat();
  if (format && (style & kTextSingleLine)) {
    INT flags = 0;
    gp::GdipGetStringFormatFlags(format.get(), &flags);
    gp::GdipSetStringFormatFlags(format.get(), flags | Gdiplus::StringFormatFlagsNoWrap);
  }
  return format;
}

Gdiplus::RectF Measure(Gdiplus::GpGraphics* graphics, const wchar_t* text, int length,
                       Gdiplus::GpFont* font, const Gdiplus::RectF& layout,
                       Gdiplus::GpStringFormat* format) {
  Gdiplus::RectF bounds(0, 0, 0, 0);
  gp::GdipMeasureString(graphics, text, length, font, &layout, format, &bounds, nullptr, nullptr);
  return bounds;
}

}  // namespace

TextFormat TextFormat::ForDrawing(TextStyle style, bool lineLimit) {
  TextFormat format;
  format.ellipsis = (style & kTextEndEllipsis) != 0;
  if (style & kTextNoClip) format.flags |= Gdiplus::StringFormatFlagsNoClip;
  if (style & kTextSingleLine) format.flags |= Gdiplus::StringFormatFlagsNoWrap;
  if (lineLimit) format.flags |= Gdiplus::StringFormatFlagsLineLimit;
  if (style & kTextCenter) {
    format.align = Gdiplus::StringAlignmentCenter;
  } else if (style & kTextRight) {
    format.align = Gdiplus::StringAlignmentFar;
  }
  if (style & kTextVCenter) {
    format.lineAlign = Gdiplus::StringAlignmentCenter;
  } else if (style & kTextBottom) {
    format.lineAlign = Gdiplus::StringAlignmentFar;
  }
  return format;
}

void GdiPlusPainter::FillRect(const UiRect& rect, UiColor color) {
  GraphicsPtr graphics = MakeGraphics(dc_, false);
  BrushPtr brush = MakeSolidBrush(color);
  if (!graphics || !brush) return;
  gp::GdipFillRectangle(graphics.get(), brush.get(), static_cast<REAL>(rect.left),
                        static_cast<REAL>(rect.top), static_cast<REAL>(rect.Width()),
                        static_cast<REAL>(rect.Height()));
}

void GdiPlusPainter::FillGradient(const UiRect& rect, UiColor top, UiColor bottom) {
  GraphicsPtr graphics = MakeGraphics(dc_, false);
  if (!graphics) return;
  const Gdiplus::GpRect area(rect.left, rect.top, rect.Width(), rect.Height());
  Gdiplus::GpLineGradient* gradient = nullptr;
  // The vertical mode is the 90-degree, not scalable gradient; Wine tilts the angle form.
  gp::GdipCreateLineBrushFromRectI(&area, top, bottom, Gdiplus::LinearGradientModeVertical,
                                   Gdiplus::WrapModeTile, &gradient);
  BrushPtr brush(gradient);
  if (!brush) return;
  gp::GdipFillRectangleI(graphics.get(), brush.get(), rect.left, rect.top, rect.Width(),
                         rect.Height());
}

void GdiPlusPainter::StrokeLine(const UiRect& rect, int penWidth, UiColor color) {
  GraphicsPtr graphics = MakeGraphics(dc_, false);
  PenPtr pen = MakePen(color, penWidth);
  if (!graphics || !pen) return;
  gp::GdipDrawLineI(graphics.get(), pen.get(), rect.left, rect.top, rect.right, rect.bottom);
}

void GdiPlusPainter::StrokeRect(const UiRect& rect, int penWidth, UiColor color) {
  GraphicsPtr graphics = MakeGraphics(dc_, false);
  PenPtr pen = MakePen(color, penWidth);
  if (!graphics || !pen) return;
  gp::GdipDrawRectangleI(graphics.get(), pen.get(), rect.left, rect.top, rect.Width(),
                         rect.Height());
}

void GdiPlusPainter::StrokeRoundRect(const UiRect& rect, const UiSize& roundness, int penWidth,
                                     UiColor color) {
  GraphicsPtr graphics = MakeGraphics(dc_, true);
  PenPtr pen = MakePen(color, penWidth);
  Gdiplus::GpPath* rawPath = nullptr;
  gp::GdipCreatePath(Gdiplus::FillModeAlternate, &rawPath);
  PathPtr path(rawPath);
  if (!graphics || !pen || !path) return;
  const int rw = roundness.cx;
  const int rh = roundness.cy;
  const UiRect& r = rect;
  gp::GdipAddPathArcI(rawPath, r.left, r.top, rw, rh, 180, 90);
  gp::GdipAddPathLineI(rawPath, r.left + rw, r.top, r.right - rw, r.top);
  gp::GdipAddPathArcI(rawPath, r.right - rw, r.top, rw, rh, 270, 90);
  gp::GdipAddPathLineI(rawPath, r.right, r.top + rh, r.right, r.bottom - rh);
  gp::GdipAddPathArcI(rawPath, r.right - rw, r.bottom - rh, rw, rh, 0, 90);
  gp::GdipAddPathLineI(rawPath, r.right - rw, r.bottom, r.left + rw, r.bottom);
  gp::GdipAddPathArcI(rawPath, r.left, r.bottom - rh, rw, rh, 90, 90);
  gp::GdipAddPathLineI(rawPath, r.left, r.bottom - rh, r.left, r.top + rh);
  gp::GdipClosePathFigure(rawPath);
  gp::GdipDrawPath(graphics.get(), pen.get(), rawPath);
}

void GdiPlusPainter::StrokeEllipse(const UiRect& rect, int penWidth, UiColor color) {
  GraphicsPtr graphics = MakeGraphics(dc_, true);
  PenPtr pen = MakePen(color, penWidth);
  if (!graphics || !pen) return;
  gp::GdipDrawEllipseI(graphics.get(), pen.get(), rect.left, rect.top, rect.Width(), rect.Height());
}

void GdiPlusPainter::FillEllipse(const UiRect& rect, UiColor color) {
  GraphicsPtr graphics = MakeGraphics(dc_, true);
  BrushPtr brush = MakeSolidBrush(color);
  if (!graphics || !brush) return;
  gp::GdipFillEllipseI(graphics.get(), brush.get(), rect.left, rect.top, rect.Width(),
                       rect.Height());
}

void GdiPlusPainter::DrawString(const UiRect& rect, const std::wstring& text, UiColor color,
                                const std::wstring& fontId, TextStyle style, bool lineLimit) {
  GraphicsPtr graphics = MakeGraphics(dc_, false);
  RenderFont entry;
  FontPtr font = MakeFont(dc_, fontId, &entry);
  BrushPtr brush = MakeSolidBrush(color);
  StringFormatPtr format = MakeDrawFormat(style, lineLimit);
  if (!graphics || !font || !brush || !format) return;
  Gdiplus::RectF layout(static_cast<REAL>(rect.left), static_cast<REAL>(rect.top),
                        static_cast<REAL>(rect.Width()), static_cast<REAL>(rect.Height()));
  if ((style & kTextVCenter) && entry.faceName == kNSimSunFace && rect.Height() >= entry.size + 2) {
    layout.Y += 1;
  }
  gp::GdipDrawString(graphics.get(), text.c_str(), static_cast<INT>(text.size()), font.get(),
                     &layout, format.get(), brush.get());
}

UiRect GdiPlusPainter::MeasureString(const std::wstring& text, const std::wstring& fontId,
                                     TextStyle style, int width) {
  GraphicsPtr graphics = MakeGraphics(dc_, false);
  RenderFont entry;
  FontPtr font = MakeFont(dc_, fontId, &entry);
  StringFormatPtr format = MakeMeasureFormat(style);
  if (!graphics || !font || !format) return UiRect{};
  Gdiplus::RectF layout(0, 0, 0, 0);
  if (width != -1) {
    REAL height = 0;
    if (style & kTextSingleLine) {
      height = Measure(graphics.get(), kLineSample, 2, font.get(), layout, format.get()).Height;
    }
    layout = Gdiplus::RectF(0, 0, static_cast<REAL>(width), height);
  }
  const Gdiplus::RectF bounds = Measure(graphics.get(), text.c_str(), static_cast<INT>(text.size()),
                                        font.get(), layout, format.get());
  return UiRect{static_cast<int>(bounds.X), static_cast<int>(bounds.Y),
                static_cast<int>(bounds.X + bounds.Width + 1),
                static_cast<int>(bounds.Y + bounds.Height + 1)};
}

}  // namespace ui

#include "ui/render/render_context_gdiplus.h"

#include <windows.h>

#include "ui/render/gdi_piece_transfer.h"
#include "ui/render/gdiplus_painter.h"
#include "ui/render/memory_piece_transfer.h"
#include "ui/render/nine_grid_painter.h"
#include "ui/render/pixel_kernels.h"
#include "ui/render/pixel_surface.h"
#include "ui/render/render_lookup.h"
#include "ui/render/surface_access.h"
#include "ui/render/text_run_cache.h"

namespace ui {

namespace {

// The colour's alpha multiplied by a byte alpha; 255 leaves the colour unchanged.
UiColor ScaleAlpha(UiColor color, unsigned char alpha) {
  if (alpha == 255) return color;
  const UiColor scaled = (color >> 24) * alpha / 255;
  return (scaled << 24) | (color & 0x00FFFFFF);
}

// Rectangles GDI+ fills as the memory path does: ordered, and within the range where its
// single-precision coordinates are whole numbers.
bool FillsExactly(const UiRect& rect) {
  constexpr int kExactRange = 1 << 23;
  auto inRange = [](int v) { return v > -kExactRange && v < kExactRange; };
  return rect.right >= rect.left && rect.bottom >= rect.top && inRange(rect.left) &&
         inRange(rect.top) && inRange(rect.right) && inRange(rect.bottom);
}

// Text is never drawn fully opaque.
UiColor TextColor(UiColor color, unsigned char alpha) {
  UiColor a = static_cast<UiColor>((color >> 24) / 255.0 * alpha);
  if (a == 255) a = 254;
  return (a << 24) | (color & 0x00FFFFFF);
}

}  // namespace

RenderContext_GdiPlus::RenderContext_GdiPlus()
    : access_(std::make_unique<SurfaceAccess>()),
      textRuns_(std::make_unique<TextRunCache>()),
      kernels_(&PixelKernels::Best()) {
  HDC screen = ::GetDC(nullptr);
  dc_ = ::CreateCompatibleDC(screen);
  ::ReleaseDC(nullptr, screen);
  painter_ = std::make_unique<GdiPlusPainter>(dc_);
}

RenderContext_GdiPlus::~RenderContext_GdiPlus() {
  if (dc_ && previousBitmap_) ::SelectObject(dc_, previousBitmap_);
  if (dc_) ::DeleteDC(dc_);
  // The surface bitmap, now selected nowhere, is deleted by its own destructor.
}

bool RenderContext_GdiPlus::Resize(int width, int height, bool topDown) {
  if (width == bitmap_.GetWidth() && height == bitmap_.GetHeight()) return false;
  if (previousBitmap_) ::SelectObject(dc_, previousBitmap_);
  surface_.reset();
  const bool created = bitmap_.Create(dc_, width, height, topDown);
  previousBitmap_ = static_cast<HBITMAP>(::SelectObject(dc_, bitmap_.GetHandle()));
  return created;
}

void RenderContext_GdiPlus::Clear() {
  bitmap_.Clear();
}

std::unique_ptr<IRenderContext> RenderContext_GdiPlus::Clone() {
  auto copy = std::make_unique<RenderContext_GdiPlus>();
  copy->Resize(GetWidth(), GetHeight(), true);
  // Read from device pixel (0, 0) whatever this context's origin is.
  const UiPoint origin = GetOrigin();
  copy->CopyBits(0, 0, GetWidth(), GetHeight(), dc_, origin.x, origin.y, SRCCOPY);
  return copy;
}

HBITMAP RenderContext_GdiPlus::DetachBitmap() {
  if (!previousBitmap_) return nullptr;
  ::SelectObject(dc_, previousBitmap_);
  previousBitmap_ = nullptr;
  surface_.reset();
  return bitmap_.Detach();
}

void* RenderContext_GdiPlus::GetPixelBits() {
  ::GdiFlush();
  return bitmap_.GetPixelBits();
}

void RenderContext_GdiPlus::BeginGdiDrawing(const UiRect& rect) {
  const UiPoint origin = GetOrigin();
  gdiArea_ = rect;
  gdiArea_.Offset(-origin.x, -origin.y);
  bitmap_.KeepAlphaForGdi(gdiArea_, &gdiAlpha_);
}

void RenderContext_GdiPlus::EndGdiDrawing() {
  bitmap_.RestoreAlphaAfterGdi(gdiArea_, gdiAlpha_);
  gdiAlpha_.clear();
  gdiArea_ = UiRect{};
}

void RenderContext_GdiPlus::ResetPixels(const UiRect& rect, unsigned char value) {
  bitmap_.ResetPixels(rect, value);
}

void RenderContext_GdiPlus::MakeOpaque(const UiRect& rect, const UiRect& insets, int keyAlpha) {
  bitmap_.MakeOpaque(rect, insets, keyAlpha);
}

void RenderContext_GdiPlus::UsePixelKernels(const PixelKernels& kernels) {
  kernels_ = &kernels;
  bitmap_.UseKernels(kernels);
  surface_.reset();
}

PixelSurface* RenderContext_GdiPlus::SurfaceForDrawing() {
  auto* bits = static_cast<uint32_t*>(bitmap_.GetPixelBits());
  if (!memoryDrawing_ || !bits) return nullptr;
  if (!surface_) {
    surface_ = std::make_unique<PixelSurface>(bits, bitmap_.GetWidth(), bitmap_.GetHeight(),
                                              bitmap_.IsTopDown(), *kernels_);
  }
  if (!access_->ReadDestination(dc_, surface_.get())) return nullptr;
  // Whatever the platform still holds back must land before the memory is written.
  ::GdiFlush();
  return surface_.get();
}

bool RenderContext_GdiPlus::SetAlphaExact(bool alphaExact) {
  const bool previous = alphaExact_;
  alphaExact_ = alphaExact;
  return previous;
}

int RenderContext_GdiPlus::SaveState() {
  savedState_ = ::SaveDC(dc_);
  return savedState_;
}

bool RenderContext_GdiPlus::RestoreState() {
  return ::RestoreDC(dc_, savedState_) != FALSE;
}

UiPoint RenderContext_GdiPlus::OffsetOrigin(int dx, int dy) {
  const UiPoint previous = GetOrigin();
  ::SetWindowOrgEx(dc_, previous.x + dx, previous.y + dy, nullptr);
  return previous;
}

UiPoint RenderContext_GdiPlus::SetOrigin(const UiPoint& origin) {
  const UiPoint previous = GetOrigin();
  ::SetWindowOrgEx(dc_, origin.x, origin.y, nullptr);
  return previous;
}

UiPoint RenderContext_GdiPlus::GetOrigin() const {
  POINT origin = {};
  ::GetWindowOrgEx(dc_, &origin);
  return UiPoint{origin.x, origin.y};
}

void RenderContext_GdiPlus::PushClip(const UiRect& rect) {
  clip_.PushClip(dc_, rect);
}

void RenderContext_GdiPlus::PushRoundClip(const UiRect& rect, int ellipseWidth, int ellipseHeight) {
  clip_.PushRoundClip(dc_, rect, ellipseWidth, ellipseHeight);
}

void RenderContext_GdiPlus::PopClip() {
  clip_.PopClip(dc_);
}

bool RenderContext_GdiPlus::CopyBits(int x, int y, int width, int height, HDC source, int sourceX,
                                     int sourceY, unsigned long rasterOperation) {
  return ::BitBlt(dc_, x, y, width, height, source, sourceX, sourceY, rasterOperation) != FALSE;
}

bool RenderContext_GdiPlus::BlendBits(int x, int y, int width, int height, HDC source, int sourceX,
                                      int sourceY, int sourceWidth, int sourceHeight,
                                      unsigned char alpha) {
  PixelImage image;
  UiPoint sourceOrigin;
  if (width > 0 && height > 0 && sourceWidth > 0 && sourceHeight > 0 &&
      access_->ReadSelectedImage(source, &image, &sourceOrigin) &&
      image.bits != bitmap_.GetPixelBits()) {
    const UiRect from{sourceX - sourceOrigin.x, sourceY - sourceOrigin.y,
                      sourceX - sourceOrigin.x + sourceWidth,
                      sourceY - sourceOrigin.y + sourceHeight};
    PixelSurface* surface = image.Contains(from) ? SurfaceForDrawing() : nullptr;
    if (surface) {
      surface->Blend(UiRect{x, y, x + width, y + height}, image, from, alpha);
      return true;
    }
  }
  const BLENDFUNCTION blend = {AC_SRC_OVER, 0, alpha, AC_SRC_ALPHA};
  return ::AlphaBlend(dc_, x, y, width, height, source, sourceX, sourceY, sourceWidth, sourceHeight,
                      blend) != FALSE;
}

void RenderContext_GdiPlus::PaintBitmap(const UiRect& paint, HBITMAP bitmap, bool hasAlpha,
                                        const UiRect& dest, const UiRect& source,
                                        const UiRect& corners, unsigned char fade, bool tileX,
                                        bool tileY) {
  if (!bitmap || !dest.Intersects(paint)) return;
  NineGridPainter::Grid grid;
  grid.paint = paint;
  grid.dest = dest;
  grid.source = source;
  grid.corners = corners;
  grid.destCorners = RenderLookup::ScaleRect(corners);
  grid.tileX = tileX;
  grid.tileY = tileY;
  const bool blend = alphaExact_ || hasAlpha || fade < 255;
  GdiPieceTransfer platform(dc_, bitmap, blend, fade);
  // An opaque image stretched whole is one stretch-copy, which only the platform draws.
  const bool onePiece = corners.left <= 0 && corners.top <= 0 && corners.right <= 0 &&
                        corners.bottom <= 0 && !tileX && !tileY;
  const bool sameSize = dest.Width() == source.Width() && dest.Height() == source.Height();
  PixelImage image;
  PixelSurface* surface = (blend || !onePiece || sameSize) && access_->ReadImage(bitmap, &image) &&
                                  image.bits != bitmap_.GetPixelBits()
                              ? SurfaceForDrawing()
                              : nullptr;
  if (!surface) {
    NineGridPainter(&platform).Paint(grid);
    return;
  }
  MemoryPieceTransfer memory(surface, image, blend, fade, &platform);
  NineGridPainter(&memory).Paint(grid);
}

void RenderContext_GdiPlus::FillNamedColor(const UiRect& rect, const std::wstring& colorName,
                                           unsigned char alpha) {
  if (colorName.empty()) return;
  FillColor(rect, RenderLookup::FindColor(colorName), alpha);
}

void RenderContext_GdiPlus::FillGradient(const UiRect& rect, UiColor top, UiColor bottom,
                                         unsigned char alpha) {
  painter_->FillGradient(rect, ScaleAlpha(top, alpha), bottom);
}

void RenderContext_GdiPlus::FillColor(const UiRect& rect, UiColor color, unsigned char alpha) {
  PixelSurface* surface = FillsExactly(rect) ? SurfaceForDrawing() : nullptr;
  if (surface) {
    surface->FillColor(rect, ScaleAlpha(color, alpha));
    return;
  }
  painter_->FillRect(rect, ScaleAlpha(color, alpha));
}

void RenderContext_GdiPlus::StrokeLine(const UiRect& rect, int penWidth, UiColor color) {
  painter_->StrokeLine(rect, penWidth, color);
}

void RenderContext_GdiPlus::StrokeRect(const UiRect& rect, int penWidth, UiColor color) {
  painter_->StrokeRect(rect, penWidth, color);
}

void RenderContext_GdiPlus::StrokeRoundRect(const UiRect& rect, const UiSize& roundness,
                                            int penWidth, UiColor color) {
  painter_->StrokeRoundRect(rect, roundness, penWidth, color);
}

void RenderContext_GdiPlus::PaintText(const UiRect& rect, const std::wstring& text, UiColor color,
                                      const std::wstring& fontId, TextStyle style,
                                      unsigned char alpha, bool lineLimit) {
  if (text.empty()) return;
  const UiColor brush = TextColor(color, alpha);
  // Text that may spill out of its rectangle is not cut to it, so a run cannot hold it.
  PixelSurface* surface = (style & kTextNoClip) == 0 ? SurfaceForDrawing() : nullptr;
  if (surface) {
    constexpr TextStyle kRead =
        kTextCenter | kTextRight | kTextVCenter | kTextBottom | kTextSingleLine | kTextEndEllipsis;
    const TextRunKey key{text,      fontId,       brush,        style & kRead,
                         lineLimit, rect.Width(), rect.Height()};
    if (const TextRun* run = textRuns_->Find(dc_, key)) {
      UiRect dest = run->inked;
      dest.Offset(rect.left, rect.top);
      if (!dest.IsEmpty()) {
        surface->Blend(dest, run->Image(), {0, 0, dest.Width(), dest.Height()}, 255);
      }
      return;
    }
  }
  painter_->DrawString(rect, text, brush, fontId, style, lineLimit);
}

void RenderContext_GdiPlus::StrokeEllipse(const UiRect& rect, int penWidth, UiColor color) {
  painter_->StrokeEllipse(rect, penWidth, color);
}

void RenderContext_GdiPlus::FillEllipse(const UiRect& rect, UiColor color) {
  painter_->FillEllipse(rect, color);
}

UiRect RenderContext_GdiPlus::MeasureText(const std::wstring& text, const std::wstring& fontId,
                                          TextStyle style, int width) {
  return painter_->MeasureString(text, fontId, style, width);
}

}  // namespace ui

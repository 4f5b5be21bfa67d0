#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ui/render/gdi_bitmap.h"
#include "ui/render/gdi_clip.h"
#include "ui/render/i_render_context.h"

namespace ui {

class GdiPlusPainter;
class PixelSurface;
class SurfaceAccess;
class TextRunCache;
struct PixelKernels;

// The render context on a memory device context with a 32-bit DIB section; strokes, text
// and gradients go through GDI+. Solid fills and per-pixel alpha blending of DIB sections
// are drawn straight into the surface's memory, with the platform's pixels, whenever the
// clip is one rectangle; otherwise, and for other bitmaps, GDI+ and GDI draw them.
// GDI+ must be started while it draws.
class RenderContext_GdiPlus : public IRenderContext {
 public:
  RenderContext_GdiPlus();
  ~RenderContext_GdiPlus() override;

  RenderContext_GdiPlus(const RenderContext_GdiPlus&) = delete;
  RenderContext_GdiPlus& operator=(const RenderContext_GdiPlus&) = delete;

  HDC GetDc() const override { return dc_; }
  bool Resize(int width, int height, bool topDown) override;
  void Clear() override;
  std::unique_ptr<IRenderContext> Clone() override;
  HBITMAP DetachBitmap() override;
  void* GetPixelBits() override;
  int GetWidth() const override { return bitmap_.GetWidth(); }
  int GetHeight() const override { return bitmap_.GetHeight(); }
  void ResetPixels(const UiRect& rect, unsigned char value) override;
  void MakeOpaque(const UiRect& rect, const UiRect& insets, int keyAlpha) override;
  void BeginGdiDrawing(const UiRect& rect) override;
  void EndGdiDrawing() override;

  bool IsAlphaExact() const override { return alphaExact_; }
  bool SetAlphaExact(bool alphaExact) override;

  int SaveState() override;
  bool RestoreState() override;

  UiPoint OffsetOrigin(int dx, int dy) override;
  UiPoint SetOrigin(const UiPoint& origin) override;
  UiPoint GetOrigin() const override;

  void PushClip(const UiRect& rect) override;
  void PushRoundClip(const UiRect& rect, int ellipseWidth, int ellipseHeight) override;
  void PopClip() override;

  bool CopyBits(int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
                unsigned long rasterOperation) override;
  bool BlendBits(int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
                 int sourceWidth, int sourceHeight, unsigned char alpha) override;
  void PaintBitmap(const UiRect& paint, HBITMAP bitmap, bool hasAlpha, const UiRect& dest,
                   const UiRect& source, const UiRect& corners, unsigned char fade, bool tileX,
                   bool tileY) override;

  void FillNamedColor(const UiRect& rect, const std::wstring& colorName,
                      unsigned char alpha) override;
  void FillGradient(const UiRect& rect, UiColor top, UiColor bottom, unsigned char alpha) override;
  void FillColor(const UiRect& rect, UiColor color, unsigned char alpha) override;

  void StrokeLine(const UiRect& rect, int penWidth, UiColor color) override;
  void StrokeRect(const UiRect& rect, int penWidth, UiColor color) override;
  void StrokeRoundRect(const UiRect& rect, const UiSize& roundness, int penWidth,
                       UiColor color) override;
  void PaintText(const UiRect& rect, const std::wstring& text, UiColor color,
                 const std::wstring& fontId, TextStyle style, unsigned char alpha,
                 bool lineLimit) override;
  void StrokeEllipse(const UiRect& rect, int penWidth, UiColor color) override;
  void FillEllipse(const UiRect& rect, UiColor color) override;
  UiRect MeasureText(const std::wstring& text, const std::wstring& fontId, TextStyle style,
                     int width) override;

  // For comparing the ways of drawing: whether fills and blends may be drawn in memory (on
  // by default), and with which row operations.
  void SetMemoryDrawing(bool enabled) { memoryDrawing_ = enabled; }
  void UsePixelKernels(const PixelKernels& kernels);

 private:
  // The surface ready for drawing in memory with the dc's origin and clip; null when the
  // platform has to draw.
  PixelSurface* SurfaceForDrawing();

  HDC dc_ = nullptr;
  int savedState_ = 0;
  HBITMAP previousBitmap_ = nullptr;
  bool alphaExact_ = false;
  GdiClip clip_;
  GdiBitmap bitmap_;
  // The area of the GDI drawing under way, in device pixels, and its alpha before it.
  UiRect gdiArea_;
  std::vector<unsigned char> gdiAlpha_;
  std::unique_ptr<GdiPlusPainter> painter_;
  std::unique_ptr<SurfaceAccess> access_;
  std::unique_ptr<PixelSurface> surface_;
  std::unique_ptr<TextRunCache> textRuns_;
  const PixelKernels* kernels_;
  bool memoryDrawing_ = true;
};

}  // namespace ui

#pragma once

#include <memory>
#include <string>

#include "runtime/weak_callback.h"
#include "ui/render/render_types.h"

namespace ui {

// The drawing surface of a window: a 32-bit premultiplied pixel surface with an origin, a
// clip stack and the drawing operations of the framework. Everything is given in logical
// coordinates; a drawing at logical (x, y) lands on pixel (x - origin.x, y - origin.y).
class IRenderContext : public virtual kbase::SupportWeakCallback {
 public:
  ~IRenderContext() override = default;

  virtual HDC GetDc() const = 0;
  // True when a new surface was made; the same size keeps the pixels, a failure (0 x 0
  // included) leaves an empty surface.
  virtual bool Resize(int width, int height, bool topDown = true) = 0;
  virtual void Clear() = 0;
  // An independent context holding a copy of the pixels.
  virtual std::unique_ptr<IRenderContext> Clone() = 0;
  // The caller owns the returned bitmap; the surface becomes empty.
  virtual HBITMAP DetachBitmap() = 0;
  virtual void* GetPixelBits() = 0;
  virtual int GetWidth() const = 0;
  virtual int GetHeight() const = 0;
  virtual void ResetPixels(const UiRect& rect, unsigned char value) = 0;
  virtual void MakeOpaque(const UiRect& rect, const UiRect& insets, int keyAlpha) = 0;
  // Brackets drawing with GDI through GetDc in the rectangle (logical coordinates): GDI
  // writes 0 into the alpha of the pixels it touches, which a layered window would show as
  // holes. Afterwards those pixels are opaque and all others have their alpha back.
  virtual void BeginGdiDrawing(const UiRect& rect) = 0;
  virtual void EndGdiDrawing() = 0;

  // When set, every bitmap is blended per pixel, even opaque ones drawn at their size.
  virtual bool IsAlphaExact() const = 0;
  virtual bool SetAlphaExact(bool alphaExact) = 0;

  virtual int SaveState() = 0;
  virtual bool RestoreState() = 0;

  virtual UiPoint OffsetOrigin(int dx, int dy) = 0;
  virtual UiPoint SetOrigin(const UiPoint& origin) = 0;
  virtual UiPoint GetOrigin() const = 0;

  virtual void PushClip(const UiRect& rect) = 0;
  virtual void PushRoundClip(const UiRect& rect, int ellipseWidth, int ellipseHeight) = 0;
  virtual void PopClip() = 0;

  virtual bool CopyBits(int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
                        unsigned long rasterOperation) = 0;
  virtual bool BlendBits(int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
                         int sourceWidth, int sourceHeight, unsigned char alpha) = 0;
  // Draws the nine-grid of bitmap's source area into dest, limited to paint: corners at
  // their size, edges stretched (or tiled) along their length, the middle stretched or
  // tiled; fade scales the alpha.
  virtual void PaintBitmap(const UiRect& paint, HBITMAP bitmap, bool hasAlpha, const UiRect& dest,
                           const UiRect& source, const UiRect& corners, unsigned char fade,
                           bool tileX, bool tileY) = 0;

  // An empty name draws nothing; an unknown one is transparent.
  virtual void FillNamedColor(const UiRect& rect, const std::wstring& colorName,
                              unsigned char alpha = 255) = 0;
  virtual void FillGradient(const UiRect& rect, UiColor top, UiColor bottom,
                            unsigned char alpha = 255) = 0;
  virtual void FillColor(const UiRect& rect, UiColor color, unsigned char alpha = 255) = 0;

  // A line from (left, top) to (right, bottom).
  virtual void StrokeLine(const UiRect& rect, int penWidth, UiColor color) = 0;
  virtual void StrokeRect(const UiRect& rect, int penWidth, UiColor color) = 0;
  virtual void StrokeRoundRect(const UiRect& rect, const UiSize& roundness, int penWidth,
                               UiColor color) = 0;
  virtual void PaintText(const UiRect& rect, const std::wstring& text, UiColor color,
                         const std::wstring& fontId, TextStyle style, unsigned char alpha = 255,
                         bool lineLimit = false) = 0;
  virtual void StrokeEllipse(const UiRect& rect, int penWidth, UiColor color) = 0;
  virtual void FillEllipse(const UiRect& rect, UiColor color) = 0;
  // The text's bounds, one pixel larger than exact at the right and bottom; width -1 means
  // unlimited.
  virtual UiRect MeasureText(const std::wstring& text, const std::wstring& fontId, TextStyle style,
                             int width = -1) = 0;
};

}  // namespace ui

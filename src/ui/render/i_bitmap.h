#pragma once

#include "runtime/weak_callback.h"
#include "ui/render/render_types.h"

namespace ui {

// A 32-bit top-down or bottom-up pixel surface; pixels are premultiplied blue, green, red,
// alpha with rows of exactly width * 4 bytes.
class IBitmap : public virtual kbase::SupportWeakCallback {
 public:
  ~IBitmap() override = default;

  // Replaces any previous bitmap; false (and empty) for a missing dc or a size below 1.
  virtual bool Create(HDC dc, int width, int height, bool topDown) = 0;
  virtual void Clear() = 0;
  // Hands the handle to the caller and forgets it.
  virtual HBITMAP Detach() = 0;
  virtual HBITMAP GetHandle() const = 0;
  virtual void* GetPixelBits() const = 0;
  virtual int GetWidth() const = 0;
  virtual int GetHeight() const = 0;
  // Sets every byte of the pixels inside rect (cut to the surface) to value.
  virtual void ResetPixels(const UiRect& rect, unsigned char value) = 0;
  // Outside the four corner areas that insets cut from the surface, sets the alpha of the
  // pixels inside rect to 255, or to 0 for pixels whose alpha equals a non-zero key.
  virtual void MakeOpaque(const UiRect& rect, const UiRect& insets, int keyAlpha) = 0;
};

}  // namespace ui

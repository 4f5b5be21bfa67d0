#pragma once

#include <vector>

#include "ui/render/i_bitmap.h"
#include "ui/render/pixel_kernels.h"

namespace ui {

// A 32-bit DIB section.
class GdiBitmap : public IBitmap {
 public:
  GdiBitmap() = default;
  ~GdiBitmap() override;

  GdiBitmap(const GdiBitmap&) = delete;
  GdiBitmap& operator=(const GdiBitmap&) = delete;

  bool Create(HDC dc, int width, int height, bool topDown) override;
  void Clear() override;
  HBITMAP Detach() override;
  HBITMAP GetHandle() const override { return handle_; }
  void* GetPixelBits() const override { return bits_; }
  int GetWidth() const override { return width_; }
  int GetHeight() const override { return height_; }
  void ResetPixels(const UiRect& rect, unsigned char value) override;
  void MakeOpaque(const UiRect& rect, const UiRect& insets, int keyAlpha) override;
  // Around drawing with GDI, which writes 0 into the alpha of every pixel it touches: the
  // first keeps the area's alpha and marks every pixel opaque, the second makes the pixels
  // GDI wrote opaque and gives the others their alpha back.
  void KeepAlphaForGdi(const UiRect& rect, std::vector<unsigned char>* kept);
  void RestoreAlphaAfterGdi(const UiRect& rect, const std::vector<unsigned char>& kept);

  bool IsTopDown() const { return topDown_; }
  // The row operations the pixel work uses (the fastest by default).
  void UseKernels(const PixelKernels& kernels) { kernels_ = &kernels; }

 private:
  void Destroy();
  // rect cut to the surface; empty when nothing of it is inside.
  UiRect ClipToSurface(const UiRect& rect) const;
  unsigned char* Row(int y) const;
  template <typename Visit>
  void ForEachRow(const UiRect& area, Visit visit) const;

  HBITMAP handle_ = nullptr;
  unsigned char* bits_ = nullptr;
  int width_ = 0;
  int height_ = 0;
  // Row 0 of the memory is the bottom row of a bottom-up bitmap.
  bool topDown_ = true;
  const PixelKernels* kernels_ = &PixelKernels::Best();
};

}  // namespace ui

#pragma once

#include <cstdint>
#include <vector>

#include "ui/render/pixel_kernels.h"
#include "ui/render/render_types.h"

namespace ui {

// A 32-bit premultiplied image in memory, read only.
struct PixelImage {
  const uint32_t* bits = nullptr;
  int width = 0;
  int height = 0;
  bool topDown = true;

  const uint32_t* Row(int y) const {
    const int memoryRow = topDown ? y : height - 1 - y;
    return bits + static_cast<size_t>(memoryRow) * static_cast<size_t>(width);
  }
  bool Contains(const UiRect& rect) const {
    return rect.left >= 0 && rect.top >= 0 && rect.right <= width && rect.bottom <= height;
  }
};

// Drawing straight into a surface's memory the way the platform's per-pixel alpha blend
// and its aliased solid fills draw it: rectangles in logical coordinates, moved by the
// origin and cut to the surface and to one device clip rectangle.
class PixelSurface {
 public:
  PixelSurface(uint32_t* bits, int width, int height, bool topDown, const PixelKernels& kernels);

  // Drawing at logical (x, y) lands on pixel (x - origin.x, y - origin.y).
  void SetOrigin(const UiPoint& origin) { origin_ = origin; }
  // Pixels outside the device rectangle are left alone.
  void SetClip(const UiRect& deviceClip);

  // A solid fill of a straight (not premultiplied) colour; an inverted rectangle fills
  // nothing.
  void FillColor(const UiRect& rect, UiColor color);
  // The source area of image, stretched to dest by nearest pixels, laid over the surface
  // with its per-pixel alpha scaled by alpha. dest and source must not be empty and
  // source must lie within the image.
  void Blend(const UiRect& dest, const PixelImage& image, const UiRect& source,
             unsigned char alpha);

 private:
  uint32_t* Row(int y) const;
  // rect in device pixels, cut to the surface and the clip.
  UiRect Visible(const UiRect& rect) const;

  uint32_t* bits_;
  int width_;
  int height_;
  bool topDown_;
  const PixelKernels& kernels_;
  UiPoint origin_;
  UiRect clip_;
  std::vector<uint32_t> scratch_;  // a stretched source row
  std::vector<int> columns_;       // the source column of each destination column
};

// The source pixel a nearest-pixel stretch of length sourceLength to length destLength
// takes for destination pixel index, counted from the start of both. Enlarging samples at
// pixel centres; shrinking keeps, of the source pixels falling into one destination pixel,
// the last across a row and the first down a column, as the platform does.
int NearestColumn(int index, int sourceLength, int destLength);
int NearestRow(int index, int sourceLength, int destLength);

}  // namespace ui

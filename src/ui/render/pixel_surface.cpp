#include "ui/render/pixel_surface.h"

#include <algorithm>

namespace ui {

namespace {

uint32_t Premultiply(UiColor color) {
  const uint32_t a = color >> 24;
  uint32_t out = a << 24;
  for (int shift = 0; shift < 24; shift += 8) {
    out |= ((((color >> shift) & 0xFF) * a + 127) / 255) << shift;
  }
  return out;
}

// Logical to device without overflow: coordinates far off the surface stay off it.
int ToDevice(int logical, int origin) {
  const long long device = static_cast<long long>(logical) - origin;
  return static_cast<int>(std::max<long long>(INT32_MIN, std::min<long long>(INT32_MAX, device)));
}

}  // namespace

// Source pixel s falls into destination pixel ceil((2s + 1) * d / (2 * s)) - 1; when
// enlarging, destination pixel i takes the one whose centre is nearest, ties to the lower.
namespace {

template <typename Number>
int Column(Number index, Number s, Number d) {
  if (d >= s) return static_cast<int>(((2 * index + 1) * s - 1) / (2 * d));
  return static_cast<int>((2 * s * (index + 1) - d) / (2 * d));
}

template <typename Number>
int RowOf(Number index, Number s, Number d) {
  if (d >= s) return static_cast<int>(((2 * index + 1) * s - 1) / (2 * d));
  const Number n = 2 * s * index - d;
  return n < 0 ? 0 : static_cast<int>(n / (2 * d) + 1);
}

// Below this, every product above fits 32 bits, which spares a 64-bit division.
constexpr int kSmallLength = 23000;

bool Small(int s, int d) {
  return s < kSmallLength && d < kSmallLength;
}

}  // namespace

int NearestColumn(int index, int sourceLength, int destLength) {
  if (Small(sourceLength, destLength)) return Column<int>(index, sourceLength, destLength);
  return Column<long long>(index, sourceLength, destLength);
}

int NearestRow(int index, int sourceLength, int destLength) {
  if (Small(sourceLength, destLength)) return RowOf<int>(index, sourceLength, destLength);
  return RowOf<long long>(index, sourceLength, destLength);
}

PixelSurface::PixelSurface(uint32_t* bits, int width, int height, bool topDown,
                           const PixelKernels& kernels)
    : bits_(bits),
      width_(width),
      height_(height),
      topDown_(topDown),
      kernels_(kernels),
      clip_{0, 0, width, height} {}

void PixelSurface::SetClip(const UiRect& deviceClip) {
  clip_ = deviceClip.Intersection(UiRect{0, 0, width_, height_});
}

uint32_t* PixelSurface::Row(int y) const {
  const int memoryRow = topDown_ ? y : height_ - 1 - y;
  return bits_ + static_cast<size_t>(memoryRow) * static_cast<size_t>(width_);
}

UiRect PixelSurface::Visible(const UiRect& rect) const {
  const UiRect device{ToDevice(rect.left, origin_.x), ToDevice(rect.top, origin_.y),
                      ToDevice(rect.right, origin_.x), ToDevice(rect.bottom, origin_.y)};
  return device.Intersection(clip_);
}

void PixelSurface::FillColor(const UiRect& rect, UiColor color) {
  const UiRect area = Visible(rect);
  if (area.IsEmpty() || (color >> 24) == 0) return;
  const uint32_t pixel = Premultiply(color);
  const bool opaque = (color >> 24) == 255;
  for (int y = area.top; y < area.bottom; ++y) {
    uint32_t* row = Row(y) + area.left;
    if (opaque) {
      kernels_.fill(row, area.Width(), pixel);
    } else {
      kernels_.blendSolid(row, area.Width(), pixel);
    }
  }
}

void PixelSurface::Blend(const UiRect& dest, const PixelImage& image, const UiRect& source,
                         unsigned char alpha) {
  const UiRect area = Visible(dest);
  if (area.IsEmpty() || alpha == 0) return;
  const int left = ToDevice(dest.left, origin_.x);
  const int top = ToDevice(dest.top, origin_.y);
  const bool sameWidth = dest.Width() == source.Width();
  if (!sameWidth) {
    scratch_.resize(static_cast<size_t>(area.Width()));
    columns_.resize(static_cast<size_t>(area.Width()));
    for (int x = area.left; x < area.right; ++x) {
      columns_[static_cast<size_t>(x - area.left)] =
          NearestColumn(x - left, source.Width(), dest.Width());
    }
  }
  int gatheredRow = -1;
  for (int y = area.top; y < area.bottom; ++y) {
    const int sourceY = source.top + NearestRow(y - top, source.Height(), dest.Height());
    const uint32_t* from = image.Row(sourceY) + source.left;
    if (sameWidth) {
      from += area.left - left;
    } else {
      // Rows that repeat a source row reuse its stretched copy.
      if (sourceY != gatheredRow) {
        for (size_t i = 0; i < scratch_.size(); ++i) scratch_[i] = from[columns_[i]];
        gatheredRow = sourceY;
      }
      from = scratch_.data();
    }
    kernels_.blendRow(Row(y) + area.left, from, area.Width(), alpha);
  }
}

}  // namespace ui

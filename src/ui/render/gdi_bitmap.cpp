#include "ui/render/gdi_bitmap.h"

#include <windows.h>

#include <cstdint>

namespace ui {

GdiBitmap::~GdiBitmap() {
  Destroy();
}

void GdiBitmap::Destroy() {
  if (handle_) ::DeleteObject(handle_);
  handle_ = nullptr;
  bits_ = nullptr;
  width_ = 0;
  height_ = 0;
}

bool GdiBitmap::Create(HDC dc, int width, int height, bool topDown) {
  Destroy();
  if (!dc || width <= 0 || height <= 0) return false;
  // Refuse sizes whose byte count does not fit the header's 32-bit image size.
  if (static_cast<unsigned long long>(width) * static_cast<unsigned long long>(height) * 4 >
      0x7FFFFFFFull) {
    return false;
  }
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = topDown ? -height : height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  info.bmiHeader.biSizeImage = static_cast<DWORD>(width) * static_cast<DWORD>(height) * 4;
  void* bits = nullptr;
  HBITMAP handle = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!handle) return false;
  BITMAP description = {};
  if (!::GetObjectW(handle, sizeof(description), &description) || !description.bmBits) {
    ::DeleteObject(handle);
    return false;
  }
  handle_ = handle;
  bits_ = static_cast<unsigned char*>(description.bmBits);
  width_ = width;
  height_ = height;
  topDown_ = topDown;
  return true;
}

void GdiBitmap::Clear() {
  if (!bits_) return;
  ::GdiFlush();
  // The rows lie back to back: one run over the whole surface.
  kernels_->fill(reinterpret_cast<uint32_t*>(bits_), width_ * height_, 0);
}

HBITMAP GdiBitmap::Detach() {
  HBITMAP handle = handle_;
  handle_ = nullptr;
  bits_ = nullptr;
  width_ = 0;
  height_ = 0;
  return handle;
}

UiRect GdiBitmap::ClipToSurface(const UiRect& rect) const {
  return rect.Intersection(UiRect{0, 0, width_, height_});
}

unsigned char* GdiBitmap::Row(int y) const {
  const int memoryRow = topDown_ ? y : height_ - 1 - y;
  return bits_ + static_cast<size_t>(memoryRow) * static_cast<size_t>(width_) * 4;
}

// Visits the area's rows in the order they lie in memory, so that the surface is streamed
// forwards whichever way up it is.
template <typename Visit>
void GdiBitmap::ForEachRow(const UiRect& area, Visit visit) const {
  if (topDown_) {
    for (int y = area.top; y < area.bottom; ++y) visit(y, Row(y));
  } else {
    for (int y = area.bottom - 1; y >= area.top; --y) visit(y, Row(y));
  }
}

void GdiBitmap::ResetPixels(const UiRect& rect, unsigned char value) {
  if (!bits_) return;
  const UiRect area = ClipToSurface(rect);
  if (area.IsEmpty()) return;
  ::GdiFlush();
  const uint32_t pixel = value * 0x01010101u;
  if (area.left == 0 && area.right == width_) {
    // Whole rows lie back to back in memory: one run over the block.
    unsigned char* first = topDown_ ? Row(area.top) : Row(area.bottom - 1);
    kernels_->fill(reinterpret_cast<uint32_t*>(first), area.Width() * area.Height(), pixel);
    return;
  }
  ForEachRow(area, [&](int, unsigned char* row) {
    kernels_->fill(reinterpret_cast<uint32_t*>(row) + area.left, area.Width(), pixel);
  });
}

void GdiBitmap::MakeOpaque(const UiRect& rect, const UiRect& insets, int keyAlpha) {
  if (!bits_) return;
  const UiRect area = ClipToSurface(rect);
  if (area.IsEmpty()) return;
  ::GdiFlush();
  // Rows between the top and bottom insets are opaque across; the others only between the
  // left and right insets, which leaves the four corner areas alone.
  const int bandLeft = area.left > insets.left ? area.left : insets.left;
  const int bandRight = area.right < width_ - insets.right ? area.right : width_ - insets.right;
  ForEachRow(area, [&](int y, unsigned char* row) {
    auto* pixels = reinterpret_cast<uint32_t*>(row);
    if (y >= insets.top && y < height_ - insets.bottom) {
      kernels_->makeOpaque(pixels + area.left, area.Width(), keyAlpha);
    } else if (bandLeft < bandRight) {
      kernels_->makeOpaque(pixels + bandLeft, bandRight - bandLeft, keyAlpha);
    }
  });
}

void GdiBitmap::KeepAlphaForGdi(const UiRect& rect, std::vector<unsigned char>* kept) {
  kept->clear();
  if (!bits_) return;
  const UiRect area = ClipToSurface(rect);
  if (area.IsEmpty()) return;
  ::GdiFlush();
  kept->reserve(static_cast<size_t>(area.Width()) * area.Height());
  for (int y = area.top; y < area.bottom; ++y) {
    unsigned char* pixel = Row(y) + area.left * 4;
    for (int x = area.left; x < area.right; ++x, pixel += 4) {
      kept->push_back(pixel[3]);
      pixel[3] = 0xFF;
    }
  }
}

void GdiBitmap::RestoreAlphaAfterGdi(const UiRect& rect, const std::vector<unsigned char>& kept) {
  if (!bits_) return;
  const UiRect area = ClipToSurface(rect);
  if (area.IsEmpty() || kept.size() != static_cast<size_t>(area.Width()) * area.Height()) return;
  ::GdiFlush();
  size_t i = 0;
  for (int y = area.top; y < area.bottom; ++y) {
    unsigned char* pixel = Row(y) + area.left * 4;
    for (int x = area.left; x < area.right; ++x, pixel += 4, ++i) {
      pixel[3] = pixel[3] == 0 ? 0xFF : kept[i];
    }
  }
}

}  // namespace ui

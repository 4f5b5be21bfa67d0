#include "ui/render/gdi_bitmap.h"

#include <windows.h>

#include <cstdint>
#include <cstring>

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
  std::memset(bits_, 0, static_cast<size_t>(width_) * static_cast<size_t>(height_) * 4);
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
  const size_t bytes = static_cast<size_t>(area.Width()) * 4;
  if (area.left == 0 && area.right == width_) {
    // Whole rows lie back to back in memory: one pass over the block.
    unsigned char* first = topDown_ ? Row(area.top) : Row(area.bottom - 1);
    std::memset(first, value, bytes * static_cast<size_t>(area.Height()));
    return;
  }
  ForEachRow(area, [&](int, unsigned char* row) {
    std::memset(row + static_cast<size_t>(area.left) * 4, value, bytes);
  });
}

namespace {

void SetAlphas(unsigned char* row, int from, int to, int keyAlpha) {
  const int count = to - from;
  if (keyAlpha == 0) {
    // Stores only: the colour bytes are neither read nor written.
    unsigned char* alpha = row + static_cast<size_t>(from) * 4 + 3;
    for (int i = 0; i < count; ++i) alpha[static_cast<size_t>(i) * 4] = 255;
    return;
  }
  // Whole pixels rather than alpha bytes, so that the loop vectorises.
  const uint32_t key = static_cast<uint32_t>(keyAlpha) << 24;
  uint32_t* pixel = reinterpret_cast<uint32_t*>(row) + from;
  for (int i = 0; i < count; ++i) {
    const uint32_t colour = pixel[i] & 0x00FFFFFFu;
    pixel[i] = (pixel[i] & 0xFF000000u) == key ? colour : colour | 0xFF000000u;
  }
}

}  // namespace

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
    if (y >= insets.top && y < height_ - insets.bottom) {
      SetAlphas(row, area.left, area.right, keyAlpha);
    } else if (bandLeft < bandRight) {
      SetAlphas(row, bandLeft, bandRight, keyAlpha);
    }
  });
}

}  // namespace ui

#include "ui/render/gdi_bitmap.h"

#include <windows.h>

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

void GdiBitmap::ResetPixels(const UiRect& rect, unsigned char value) {
  if (!bits_) return;
  const UiRect area = ClipToSurface(rect);
  if (area.IsEmpty()) return;
  ::GdiFlush();
  const size_t bytes = static_cast<size_t>(area.Width()) * 4;
  for (int y = area.top; y < area.bottom; ++y) {
    std::memset(Row(y) + static_cast<size_t>(area.left) * 4, value, bytes);
  }
}

namespace {

void SetAlphas(unsigned char* row, int from, int to, int keyAlpha) {
  unsigned char* alpha = row + static_cast<size_t>(from) * 4 + 3;
  if (keyAlpha == 0) {
    for (int x = from; x < to; ++x, alpha += 4) *alpha = 255;
    return;
  }
  for (int x = from; x < to; ++x, alpha += 4) *alpha = (*alpha == keyAlpha) ? 0 : 255;
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
  for (int y = area.top; y < area.bottom; ++y) {
    unsigned char* row = Row(y);
    if (y >= insets.top && y < height_ - insets.bottom) {
      SetAlphas(row, area.left, area.right, keyAlpha);
    } else if (bandLeft < bandRight) {
      SetAlphas(row, bandLeft, bandRight, keyAlpha);
    }
  }
}

}  // namespace ui

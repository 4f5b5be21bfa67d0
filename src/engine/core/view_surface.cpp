#include "engine/core/view_surface.h"

#include <windows.h>

namespace engine {

void ViewSurface::Publish(std::vector<uint32_t>& pixels, int width, int height) {
  std::lock_guard<std::mutex> hold(lock_);
  front_.swap(pixels);
  width_ = width;
  height_ = height;
  fresh_ = true;
  ++published_;
}

void ViewSurface::Clear() {
  std::lock_guard<std::mutex> hold(lock_);
  front_.clear();
  width_ = height_ = 0;
  fresh_ = false;
}

void ViewSurface::Paint(HDC dc, int width, int height) {
  std::lock_guard<std::mutex> hold(lock_);
  int drawnWidth = 0;
  int drawnHeight = 0;
  if (width_ > 0 && height_ > 0 && front_.size() >= static_cast<size_t>(width_) * height_) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width_;
    info.bmiHeader.biHeight = -height_;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    SetDIBitsToDevice(dc, 0, 0, width_, height_, 0, 0, 0, height_, front_.data(), &info,
                      DIB_RGB_COLORS);
    drawnWidth = width_;
    drawnHeight = height_;
    if (fresh_) ++painted_;
    fresh_ = false;
  }
  HBRUSH white = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  if (drawnWidth < width) {
    RECT right = {drawnWidth, 0, width, height};
    FillRect(dc, &right, white);
  }
  if (drawnHeight < height) {
    RECT below = {0, drawnHeight, drawnWidth < width ? drawnWidth : width, height};
    FillRect(dc, &below, white);
  }
}

}  // namespace engine

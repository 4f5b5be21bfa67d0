#include "ui/core/images/image_info.h"

#include <windows.h>

#include <cstdint>

namespace ui {

ImageInfo::~ImageInfo() {
  for (HBITMAP frame : frames) {
    if (frame) ::DeleteObject(frame);
  }
}

HBITMAP ImageInfo::Frame(int index) const {
  if (index < 0 || index >= FrameCount()) return nullptr;
  return frames[index];
}

int ImageInfo::FrameDelayMs(int index) const {
  if (index < 0 || index >= FrameCount() || static_cast<size_t>(index) >= frameDelays.size()) {
    return 0;
  }
  // GIF stores 16-bit delays; anything larger is clamped rather than wrapped.
  const int64_t delay = static_cast<int64_t>(frameDelays[index]) * 10;
  if (delay < 30) return 100;
  if (delay < 50) return 50;
  return delay > INT32_MAX ? INT32_MAX : static_cast<int>(delay);
}

}  // namespace ui

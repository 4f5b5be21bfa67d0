#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ui/render/render_types.h"

namespace ui {

// A decoded image file, shared by every control that shows it and kept in the image cache
// while any of them holds it. Every frame is a native bitmap made at load time, so painting
// never decodes.
struct ImageInfo {
  ImageInfo() = default;
  // Deletes the frames.
  ~ImageInfo();
  ImageInfo(const ImageInfo&) = delete;
  ImageInfo& operator=(const ImageInfo&) = delete;

  int FrameCount() const { return static_cast<int>(frames.size()); }
  bool IsAnimated() const { return frames.size() > 1; }
  // The frame's bitmap; nothing for an index out of range.
  HBITMAP Frame(int index) const;
  // How long the frame shows, in milliseconds: the stored delay in hundredths of a second,
  // where delays below 30 ms count as 100 ms and those below 50 ms as 50 ms, as browsers
  // play them. 0 for an image without delays or an index beyond its frames or delays.
  int FrameDelayMs(int index) const;

  int width = 0;
  int height = 0;
  // The normalised full path it was loaded from; its key in the image cache.
  std::wstring path;
  // Has transparent pixels, so it must be blended rather than copied.
  bool alpha = false;
  // Registered in the image cache: its last holder's release removes the entry.
  bool cached = false;
  // Frame delays in hundredths of a second as the file stores them; empty for a single frame.
  std::vector<uint32_t> frameDelays;
  // One bitmap per frame, in order, owned.
  std::vector<HBITMAP> frames;
};

}  // namespace ui

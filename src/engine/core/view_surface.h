#pragma once

// The pixels a browser's window shows: the latest decoded frame, handed over whole from the
// thread that decodes frames to the window's thread that paints it.

#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

struct HDC__;

namespace engine {

class ViewSurface {
 public:
  // Takes the frame (32-bit BGRX rows, top-down) and gives back the buffer it replaces, for
  // the next frame to be decoded into without allocating.
  void Publish(std::vector<uint32_t>& pixels, int width, int height);
  // Draws the latest frame at the top left of an area of the given size; what the frame
  // does not cover is white.
  void Paint(HDC__* dc, int width, int height);
  void Clear();

  // A frame arrived from the browser, before it is decoded.
  void NoteReceived() { ++received_; }
  int64_t FramesReceived() const { return received_; }
  int64_t FramesPublished() const { return published_; }
  // Frames that were painted at least once.
  int64_t FramesPainted() const { return painted_; }

 private:
  std::mutex lock_;
  std::vector<uint32_t> front_;
  int width_ = 0;
  int height_ = 0;
  bool fresh_ = false;
  std::atomic<int64_t> received_{0};
  std::atomic<int64_t> published_{0};
  std::atomic<int64_t> painted_{0};
};

}  // namespace engine

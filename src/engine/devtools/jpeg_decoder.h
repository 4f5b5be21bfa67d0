#pragma once

// Decodes the browser's JPEG frames into 32-bit pixels. Usable from one thread at a time.

#include <cstdint>
#include <string>
#include <vector>

namespace engine {

class JpegDecoder {
 public:
  // Fills `pixels` with BGRX rows, top-down; false (and nothing changed) on bad input.
  bool Decode(const std::string& bytes, std::vector<uint32_t>& pixels, int& width, int& height);

 private:
  // Frames are decoded here first, so that a frame that turns out bad leaves the caller's
  // pixels as they were; a good one trades places with them.
  std::vector<uint32_t> scratch_;
};

}  // namespace engine

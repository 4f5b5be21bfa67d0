#pragma once

// Decodes the browser's JPEG frames into 32-bit pixels. Usable from one thread at a time.

#include <cstdint>
#include <string>
#include <vector>

namespace engine {

class JpegDecoder {
 public:
  JpegDecoder();
  ~JpegDecoder();
  JpegDecoder(const JpegDecoder&) = delete;
  JpegDecoder& operator=(const JpegDecoder&) = delete;

  // Fills `pixels` with BGRX rows, top-down; false (and nothing changed) on bad input.
  bool Decode(const std::string& bytes, std::vector<uint32_t>& pixels, int& width, int& height);

 private:
  uintptr_t token_ = 0;
};

}  // namespace engine

#pragma once

// The frame decoder the engine had before it was made fast: the reference the frame cost is
// measured against in the same run.

#include <cstdint>
#include <string>
#include <vector>

namespace baseline {

// A screencast frame's base64 JPEG into BGRX rows, top-down.
bool DecodeFrame(const std::string& base64, std::vector<uint32_t>& pixels, int& width, int& height);

}  // namespace baseline

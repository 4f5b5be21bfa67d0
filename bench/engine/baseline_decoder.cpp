#include "baseline_decoder.h"

#include <climits>

#include "engine/transport/websocket_client.h"

// The image decoder as the engine first built it: without its SIMD paths on 32-bit MinGW,
// and private to this file so that it sits beside the engine's own in one program.
#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#define STBI_ONLY_JPEG
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STBI_MAX_DIMENSIONS 16384
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#include <stb_image.h>
#pragma GCC diagnostic pop

namespace baseline {

bool DecodeFrame(const std::string& base64, std::vector<uint32_t>& pixels, int& width,
                 int& height) {
  const std::string bytes = engine::Base64Decode(base64);
  if (bytes.empty() || bytes.size() > static_cast<size_t>(INT_MAX)) return false;
  int w = 0;
  int h = 0;
  int channels = 0;
  stbi_uc* rgb = stbi_load_from_memory(reinterpret_cast<const stbi_uc*>(bytes.data()),
                                       static_cast<int>(bytes.size()), &w, &h, &channels, 3);
  if (!rgb) return false;
  const size_t count = static_cast<size_t>(w) * h;
  pixels.resize(count);
  const stbi_uc* from = rgb;
  for (size_t i = 0; i < count; ++i, from += 3) {
    pixels[i] =
        (static_cast<uint32_t>(from[0]) << 16) | (static_cast<uint32_t>(from[1]) << 8) | from[2];
  }
  stbi_image_free(rgb);
  width = w;
  height = h;
  return true;
}

}  // namespace baseline

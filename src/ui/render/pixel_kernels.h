#pragma once

#include <cstdint>

namespace ui {

// Row operations on 32-bit premultiplied pixels (blue, green, red, alpha in memory order),
// with the rounding of the platform's per-pixel alpha blend: a source pixel s scaled by a
// constant alpha k is (s * k + 127) / 255 per byte (unchanged when k is 255), and is laid
// over a destination byte d as s + (d * (255 - alpha of s) + 127) / 255. A byte that would
// pass 255 (only a source colour above its own alpha does that) stays at 255.
// Two sets exist, plain C++ and SSE2; they give the same pixels.
struct PixelKernels {
  // Sets count pixels to value.
  void (*fill)(uint32_t* row, int count, uint32_t value);
  // Lays the premultiplied pixel over count pixels.
  void (*blendSolid)(uint32_t* row, int count, uint32_t pixel);
  // Lays count source pixels, scaled by alpha, over the destination pixels.
  void (*blendRow)(uint32_t* row, const uint32_t* source, int count, unsigned alpha);
  // Alpha bytes: 255, or 0 where they equal a key alpha that is not 0.
  void (*makeOpaque)(uint32_t* row, int count, int keyAlpha);

  static const PixelKernels& Plain();
  // Null when this build or this processor has no SSE2.
  static const PixelKernels* Sse2();
  // The fastest set this processor runs.
  static const PixelKernels& Best();
};

}  // namespace ui

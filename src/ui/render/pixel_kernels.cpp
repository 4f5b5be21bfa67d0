#include "ui/render/pixel_kernels.h"

namespace ui {

namespace {

// (x + 127) / 255 for x up to 255 * 255 + 127, without a division.
inline uint32_t Div255(uint32_t x) {
  const uint32_t t = x + 128;
  return (t + (t >> 8)) >> 8;
}

inline uint32_t Scale(uint32_t pixel, unsigned alpha) {
  if (alpha == 255) return pixel;
  uint32_t out = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    out |= Div255(((pixel >> shift) & 0xFF) * alpha) << shift;
  }
  return out;
}

inline uint32_t Over(uint32_t destination, uint32_t source) {
  const uint32_t keep = 255 - (source >> 24);
  uint32_t out = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    uint32_t byte = ((source >> shift) & 0xFF) + Div255(((destination >> shift) & 0xFF) * keep);
    if (byte > 255) byte = 255;
    out |= byte << shift;
  }
  return out;
}

void Fill(uint32_t* row, int count, uint32_t value) {
  for (int i = 0; i < count; ++i) row[i] = value;
}

void BlendSolid(uint32_t* row, int count, uint32_t pixel) {
  for (int i = 0; i < count; ++i) row[i] = Over(row[i], pixel);
}

void BlendRow(uint32_t* row, const uint32_t* source, int count, unsigned alpha) {
  for (int i = 0; i < count; ++i) {
    const uint32_t s = Scale(source[i], alpha);
    if (s >= 0xFF000000u) {
      row[i] = s;
    } else if (s != 0) {
      row[i] = Over(row[i], s);
    }
  }
}

void MakeOpaque(uint32_t* row, int count, int keyAlpha) {
  const uint32_t key = static_cast<uint32_t>(keyAlpha) << 24;
  for (int i = 0; i < count; ++i) {
    const uint32_t colour = row[i] & 0x00FFFFFFu;
    row[i] = (keyAlpha != 0 && (row[i] & 0xFF000000u) == key) ? colour : colour | 0xFF000000u;
  }
}

const PixelKernels kPlain = {Fill, BlendSolid, BlendRow, MakeOpaque};

bool ProcessorHasSse2() {
#if defined(__i386__) || defined(__x86_64__)
  __builtin_cpu_init();
  return __builtin_cpu_supports("sse2");
#else
  return false;
#endif
}

}  // namespace

const PixelKernels* Sse2KernelsForThisBuild();

const PixelKernels& PixelKernels::Plain() {
  return kPlain;
}

const PixelKernels* PixelKernels::Sse2() {
  static const PixelKernels* const kernels =
      ProcessorHasSse2() ? Sse2KernelsForThisBuild() : nullptr;
  return kernels;
}

const PixelKernels& PixelKernels::Best() {
  const PixelKernels* sse2 = Sse2();
  return sse2 ? *sse2 : kPlain;
}

}  // namespace ui

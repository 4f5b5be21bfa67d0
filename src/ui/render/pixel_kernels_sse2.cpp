// Built with SSE2 enabled; nothing here runs unless the processor reports SSE2.
#include <emmintrin.h>

#include "ui/render/pixel_kernels.h"

namespace ui {

namespace {

// (x + 127) / 255 per 16-bit lane, x up to 255 * 255 + 127.
inline __m128i Div255(__m128i x) {
  const __m128i t = _mm_add_epi16(x, _mm_set1_epi16(128));
  return _mm_srli_epi16(_mm_add_epi16(t, _mm_srli_epi16(t, 8)), 8);
}

// Each pixel's alpha copied to its four lanes.
inline __m128i AlphaLanes(__m128i pixels16) {
  const __m128i low = _mm_shufflelo_epi16(pixels16, _MM_SHUFFLE(3, 3, 3, 3));
  return _mm_shufflehi_epi16(low, _MM_SHUFFLE(3, 3, 3, 3));
}

// Two pixels widened to 16-bit lanes: source laid over destination.
inline __m128i Over16(__m128i destination16, __m128i source16) {
  const __m128i keep = _mm_sub_epi16(_mm_set1_epi16(255), AlphaLanes(source16));
  return _mm_add_epi16(source16, Div255(_mm_mullo_epi16(destination16, keep)));
}

inline __m128i Scale16(__m128i source16, __m128i alpha) {
  return Div255(_mm_mullo_epi16(source16, alpha));
}

// Four pixels: source (already scaled) over destination.
inline __m128i Over4(__m128i destination, __m128i source) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i low = Over16(_mm_unpacklo_epi8(destination, zero), _mm_unpacklo_epi8(source, zero));
  const __m128i high =
      Over16(_mm_unpackhi_epi8(destination, zero), _mm_unpackhi_epi8(source, zero));
  return _mm_packus_epi16(low, high);
}

inline __m128i Scale4(__m128i source, __m128i alpha) {
  const __m128i zero = _mm_setzero_si128();
  return _mm_packus_epi16(Scale16(_mm_unpacklo_epi8(source, zero), alpha),
                          Scale16(_mm_unpackhi_epi8(source, zero), alpha));
}

inline __m128i Load(const uint32_t* p) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

inline void Store(uint32_t* p, __m128i v) {
  _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
}

// Loads and stores the last count (< 4) pixels through a small buffer.
template <typename Work>
void Tail(uint32_t* row, const uint32_t* source, int count, Work work) {
  uint32_t d[4] = {};
  uint32_t s[4] = {};
  for (int i = 0; i < count; ++i) {
    d[i] = row[i];
    if (source) s[i] = source[i];
  }
  Store(d, work(Load(d), Load(s)));
  for (int i = 0; i < count; ++i) row[i] = d[i];
}

void Fill(uint32_t* row, int count, uint32_t value) {
  const __m128i v = _mm_set1_epi32(static_cast<int>(value));
  int i = 0;
  // Align the stores once the row is long enough for it to pay.
  for (; i < count && (reinterpret_cast<uintptr_t>(row + i) & 15) != 0; ++i) row[i] = value;
  for (; i + 16 <= count; i += 16) {
    auto* p = reinterpret_cast<__m128i*>(row + i);
    _mm_store_si128(p, v);
    _mm_store_si128(p + 1, v);
    _mm_store_si128(p + 2, v);
    _mm_store_si128(p + 3, v);
  }
  for (; i + 4 <= count; i += 4) _mm_store_si128(reinterpret_cast<__m128i*>(row + i), v);
  for (; i < count; ++i) row[i] = value;
}

void BlendSolid(uint32_t* row, int count, uint32_t pixel) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i source16 = _mm_unpacklo_epi8(_mm_set1_epi32(static_cast<int>(pixel)), zero);
  const __m128i keep = _mm_sub_epi16(_mm_set1_epi16(255), AlphaLanes(source16));
  auto work = [&](__m128i d, __m128i) {
    const __m128i low =
        _mm_add_epi16(source16, Div255(_mm_mullo_epi16(_mm_unpacklo_epi8(d, zero), keep)));
    const __m128i high =
        _mm_add_epi16(source16, Div255(_mm_mullo_epi16(_mm_unpackhi_epi8(d, zero), keep)));
    return _mm_packus_epi16(low, high);
  };
  int i = 0;
  for (; i + 4 <= count; i += 4) Store(row + i, work(Load(row + i), zero));
  if (i < count) Tail(row + i, nullptr, count - i, work);
}

void BlendRow(uint32_t* row, const uint32_t* source, int count, unsigned alpha) {
  const __m128i alpha16 = _mm_set1_epi16(static_cast<short>(alpha));
  const __m128i zero = _mm_setzero_si128();
  const __m128i alphaBytes = _mm_set1_epi32(static_cast<int>(0xFF000000u));
  const bool scaled = alpha != 255;
  auto work = [&](__m128i d, __m128i s) {
    if (scaled) s = Scale4(s, alpha16);
    return Over4(d, s);
  };
  int i = 0;
  for (; i + 4 <= count; i += 4) {
    const __m128i s = Load(source + i);
    // Runs of fully transparent and, unscaled, fully opaque pixels are common in images.
    if (_mm_movemask_epi8(_mm_cmpeq_epi32(s, zero)) == 0xFFFF) continue;
    if (!scaled &&
        _mm_movemask_epi8(_mm_cmpeq_epi32(_mm_and_si128(s, alphaBytes), alphaBytes)) == 0xFFFF) {
      Store(row + i, s);
      continue;
    }
    Store(row + i, work(Load(row + i), s));
  }
  if (i < count) Tail(row + i, source + i, count - i, work);
}

void MakeOpaque(uint32_t* row, int count, int keyAlpha) {
  const __m128i alphaBytes = _mm_set1_epi32(static_cast<int>(0xFF000000u));
  const __m128i key = _mm_set1_epi32(static_cast<int>(static_cast<uint32_t>(keyAlpha) << 24));
  const bool keyed = keyAlpha != 0;
  auto work = [&](__m128i p, __m128i) {
    const __m128i opaque = _mm_or_si128(p, alphaBytes);
    if (!keyed) return opaque;
    const __m128i match = _mm_cmpeq_epi32(_mm_and_si128(p, alphaBytes), key);
    // Matching pixels lose their alpha, the others become opaque.
    return _mm_or_si128(_mm_and_si128(match, _mm_andnot_si128(alphaBytes, p)),
                        _mm_andnot_si128(match, opaque));
  };
  const __m128i zero = _mm_setzero_si128();
  int i = 0;
  for (; i + 4 <= count; i += 4) Store(row + i, work(Load(row + i), zero));
  if (i < count) Tail(row + i, nullptr, count - i, work);
}

const PixelKernels kSse2 = {Fill, BlendSolid, BlendRow, MakeOpaque};

}  // namespace

const PixelKernels* Sse2KernelsForThisBuild() {
  return &kSse2;
}

}  // namespace ui

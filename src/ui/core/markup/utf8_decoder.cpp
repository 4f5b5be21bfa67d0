#include "ui/core/markup/utf8_decoder.h"

#include <cstdint>
#include <cstring>

#if defined(__i386__) || defined(__x86_64__)
#include <emmintrin.h>
#endif

namespace ui {

namespace {

constexpr wchar_t kReplacement = 0xFFFD;

// Length of the sequence a lead byte starts and the range its second byte must fall in,
// which excludes overlong forms, surrogates and values past U+10FFFF. Length 0: the byte
// cannot start a sequence.
struct Lead {
  int length;
  uint8_t low;
  uint8_t high;
};

Lead LeadOf(uint8_t byte) {
  if (byte >= 0xC2 && byte <= 0xDF) return {2, 0x80, 0xBF};
  if (byte == 0xE0) return {3, 0xA0, 0xBF};
  if (byte == 0xED) return {3, 0x80, 0x9F};
  if (byte >= 0xE1 && byte <= 0xEF) return {3, 0x80, 0xBF};
  if (byte == 0xF0) return {4, 0x90, 0xBF};
  if (byte == 0xF4) return {4, 0x80, 0x8F};
  if (byte >= 0xF1 && byte <= 0xF3) return {4, 0x80, 0xBF};
  return {0, 0, 0};
}

// Decodes one sequence starting with a byte of 0x80 or above. Returns the bytes used:
// the whole sequence, or the maximal ill-formed part, for which *o gets U+FFFD.
size_t DecodeSequence(const uint8_t* p, const uint8_t* end, wchar_t** o) {
  const Lead lead = LeadOf(p[0]);
  uint32_t code = p[0] & (0x7F >> lead.length);
  size_t used = 1;
  bool complete = lead.length > 0;
  for (int i = 1; complete && i < lead.length; ++i) {
    const uint8_t low = i == 1 ? lead.low : 0x80;
    const uint8_t high = i == 1 ? lead.high : 0xBF;
    if (p + i >= end || p[i] < low || p[i] > high) {
      complete = false;
    } else {
      code = (code << 6) | (p[i] & 0x3F);
      ++used;
    }
  }
  if (!complete) {
    *(*o)++ = kReplacement;
  } else if (code >= 0x10000) {
    code -= 0x10000;
    *(*o)++ = static_cast<wchar_t>(0xD800 + (code >> 10));
    *(*o)++ = static_cast<wchar_t>(0xDC00 + (code & 0x3FF));
  } else {
    *(*o)++ = static_cast<wchar_t>(code);
  }
  return used;
}

// Widens ASCII bytes four at a time until a byte of 0x80 or above or fewer than four are
// left.
inline void WidenAsciiWords(const uint8_t*& p, const uint8_t* end, wchar_t*& o) {
  while (end - p >= 4) {
    uint32_t word;
    std::memcpy(&word, p, sizeof(word));
    if (word & 0x80808080u) break;
    o[0] = p[0];
    o[1] = p[1];
    o[2] = p[2];
    o[3] = p[3];
    o += 4;
    p += 4;
  }
}

#if defined(__i386__) || defined(__x86_64__)
#define TARNWICK_UTF8_SSE2 1

// Widens ASCII sixteen bytes at a time; stops at the block holding a byte of 0x80 or above,
// after widening the ASCII bytes in front of it.
__attribute__((target("sse2"))) void WidenAsciiBlocks(const uint8_t*& p, const uint8_t* end,
                                                      wchar_t*& o) {
  const __m128i zero = _mm_setzero_si128();
  while (end - p >= 16) {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const int high = _mm_movemask_epi8(block);
    if (high != 0) {
      const int ascii = __builtin_ctz(static_cast<unsigned>(high));
      for (int i = 0; i < ascii; ++i) o[i] = p[i];
      o += ascii;
      p += ascii;
      return;
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(o), _mm_unpacklo_epi8(block, zero));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(o + 8), _mm_unpackhi_epi8(block, zero));
    o += 16;
    p += 16;
  }
}

bool ProcessorHasSse2() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("sse2");
}
#endif

template <bool kSse2>
size_t Decode(const char* bytes, size_t length, wchar_t* out) {
  const auto* p = reinterpret_cast<const uint8_t*>(bytes);
  const auto* const end = p + length;
  wchar_t* o = out;
  while (p < end) {
    // Layout text is mostly ASCII: widen it in blocks.
#ifdef TARNWICK_UTF8_SSE2
    if (kSse2) WidenAsciiBlocks(p, end, o);
#endif
    WidenAsciiWords(p, end, o);
    if (p == end) break;
    if (*p < 0x80) {
      *o++ = *p++;
    } else {
      p += DecodeSequence(p, end, &o);
    }
  }
  return static_cast<size_t>(o - out);
}

}  // namespace

bool DecodeUtf8UsesSse2() {
#ifdef TARNWICK_UTF8_SSE2
  static const bool sse2 = ProcessorHasSse2();
  return sse2;
#else
  return false;
#endif
}

size_t DecodeUtf8(const char* bytes, size_t length, wchar_t* out) {
  return DecodeUtf8UsesSse2() ? Decode<true>(bytes, length, out)
                              : Decode<false>(bytes, length, out);
}

size_t DecodeUtf8Plain(const char* bytes, size_t length, wchar_t* out) {
  return Decode<false>(bytes, length, out);
}

}  // namespace ui

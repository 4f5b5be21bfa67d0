#include "runtime/string_util.h"

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace kbase {

namespace {

constexpr uint32_t kMaxCodePoint = 0x10FFFF;
constexpr size_t kMaxFormatted = 32 * 1024 * 1024;

bool IsContinuation(uint8_t byte) {
  return (byte & 0xC0) == 0x80;
}

// Decodes one multi-byte sequence starting at p[0] (which is not ASCII). Returns its
// length, or 0 when the sequence is ill-formed or cut off. Second-byte ranges follow the
// well-formed table, which rules out overlong forms, surrogates and values past U+10FFFF.
size_t DecodeSequence(const uint8_t* p, size_t left, uint32_t* code) {
  const uint8_t lead = p[0];
  size_t length;
  uint8_t low = 0x80, high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (left < length || p[1] < low || p[1] > high) return 0;
  uint32_t value = lead & (0xFF >> (length + 1));
  for (size_t i = 1; i < length; ++i) {
    if (!IsContinuation(p[i])) return 0;
    value = (value << 6) | (p[i] & 0x3F);
  }
  *code = value;
  return length;
}

void AppendUtf8(uint32_t code, std::string* out) {
  if (code < 0x80) {
    out->push_back(static_cast<char>(code));
  } else if (code < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (code >> 6)));
    out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else if (code < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (code >> 12)));
    out->push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (code >> 18)));
    out->push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
  }
}

bool IsHighSurrogate(uint32_t unit) {
  return unit >= 0xD800 && unit <= 0xDBFF;
}

bool IsLowSurrogate(uint32_t unit) {
  return unit >= 0xDC00 && unit <= 0xDFFF;
}

}  // namespace

std::wstring Utf8ToWide(const char* data, size_t size) {
  // A UTF-8 input never needs more UTF-16 units than it has bytes.
  std::wstring out(size, L'\0');
  const auto* p = reinterpret_cast<const uint8_t*>(data);
  size_t i = 0, o = 0;
  while (i < size) {
    if (p[i] < 0x80) {
      out[o++] = p[i++];
      continue;
    }
    uint32_t code = 0;
    const size_t length = DecodeSequence(p + i, size - i, &code);
    if (length == 0 || code > kMaxCodePoint) return std::wstring();
    i += length;
    if (code >= 0x10000) {
      code -= 0x10000;
      out[o++] = static_cast<wchar_t>(0xD800 + (code >> 10));
      out[o++] = static_cast<wchar_t>(0xDC00 + (code & 0x3FF));
    } else {
      out[o++] = static_cast<wchar_t>(code);
    }
  }
  out.resize(o);
  return out;
}

std::wstring Utf8ToWide(const std::string& utf8) {
  return Utf8ToWide(utf8.data(), utf8.size());
}

std::string WideToUtf8(const wchar_t* data, size_t size) {
  std::string out;
  out.reserve(size);
  for (size_t i = 0; i < size; ++i) {
    const uint32_t unit = static_cast<uint16_t>(data[i]);
    if (IsHighSurrogate(unit)) {
      if (i + 1 == size) return std::string();
      const uint32_t next = static_cast<uint16_t>(data[i + 1]);
      if (IsLowSurrogate(next)) {
        AppendUtf8(0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00), &out);
        ++i;
        continue;
      }
    }
    AppendUtf8(unit, &out);
  }
  return out;
}

std::string WideToUtf8(const std::wstring& wide) {
  return WideToUtf8(wide.data(), wide.size());
}

std::string FormatNarrow(const char* format, ...) {
  std::vector<char> buffer(1024);
  while (true) {
    va_list args;
    va_start(args, format);
    const int needed = vsnprintf(buffer.data(), buffer.size(), format, args);
    va_end(args);
    if (needed >= 0 && static_cast<size_t>(needed) < buffer.size()) {
      return std::string(buffer.data(), static_cast<size_t>(needed));
    }
    // A runtime that reports truncation as -1 gets a doubled buffer; one that reports the
    // length needed gets exactly that.
    size_t next = needed < 0 ? buffer.size() * 2 : static_cast<size_t>(needed) + 1;
    if (next > kMaxFormatted) return std::string();
    buffer.assign(next, '\0');
  }
}

}  // namespace kbase

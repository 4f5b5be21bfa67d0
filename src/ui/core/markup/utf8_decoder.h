#pragma once

#include <cstddef>

namespace ui {

// Converts UTF-8 to UTF-16, writing at most `length` units to `out` (UTF-8 never needs
// more) and returning how many were written; no terminator is added. Well-formed input
// converts as MultiByteToWideChar with CP_UTF8 converts it. Each maximal ill-formed
// subsequence becomes one U+FFFD, the Unicode standard's recommended practice, so an ASCII
// byte after a cut sequence is never lost: markup stays markup.
// Runs of ASCII are widened sixteen bytes at a time with SSE2 when the processor has it.
size_t DecodeUtf8(const char* bytes, size_t length, wchar_t* out);

// The same conversion without SSE2, and whether DecodeUtf8 uses SSE2 here; for comparing
// the two.
size_t DecodeUtf8Plain(const char* bytes, size_t length, wchar_t* out);
bool DecodeUtf8UsesSse2();

}  // namespace ui

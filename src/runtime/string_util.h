#pragma once

#include <string>

namespace kbase {

// Strict UTF-8 to UTF-16: an ill-formed or cut-off input gives the empty string, never a
// partial result.
std::wstring Utf8ToWide(const std::string& utf8);
std::wstring Utf8ToWide(const char* data, size_t size);

// UTF-16 to UTF-8. Paired surrogates are combined; any other unit (a lone surrogate
// included) is encoded on its own. An input that ends with a high surrogate gives the
// empty string.
std::string WideToUtf8(const std::wstring& wide);
std::string WideToUtf8(const wchar_t* data, size_t size);

// printf-style formatting; the whole text (up to 32 MB), or empty on a formatting error.
std::string FormatNarrow(const char* format, ...) __attribute__((format(gnu_printf, 1, 2)));

}  // namespace kbase

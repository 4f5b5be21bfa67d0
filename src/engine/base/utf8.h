#pragma once

// UTF-8 and UTF-16 conversion that never fails: ill-formed input becomes U+FFFD, so that
// page-controlled text of any encoding passes through the engine unharmed.

#include <string>

namespace engine {

std::wstring Utf8ToWide(const std::string& utf8);
std::string WideToUtf8(const std::wstring& text);
// True when the text is well-formed UTF-8 (no overlong forms, surrogates or cut sequences).
bool IsValidUtf8(const std::string& text);

}  // namespace engine

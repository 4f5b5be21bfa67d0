#include "engine/cef/cef_string.h"

#include "engine/base/utf8.h"

std::string CefString::ToString() const {
  return engine::WideToUtf8(text_);
}

void CefString::FromString(const std::string& utf8) {
  text_ = engine::Utf8ToWide(utf8);
}

#include "engine/cef/cef_types.h"

#include <windows.h>

#include <cstring>

namespace {
void FreeText(wchar_t* str) {
  delete[] str;
}
}  // namespace

int cef_string_set(const wchar_t* src, size_t length, cef_string_t* output, int /*copy*/) {
  if (!output) return 0;
  cef_string_clear(output);
  if (!src) return 1;
  output->str = new wchar_t[length + 1];
  std::memcpy(output->str, src, length * sizeof(wchar_t));
  output->str[length] = 0;
  output->length = length;
  output->dtor = FreeText;
  return 1;
}

void cef_string_clear(cef_string_t* str) {
  if (!str) return;
  if (str->dtor && str->str) str->dtor(str->str);
  str->str = nullptr;
  str->length = 0;
  str->dtor = nullptr;
}

void CefWindowInfo::SetAsChild(CefWindowHandle parent, const CefRect& bounds) {
  style = WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_TABSTOP | WS_VISIBLE;
  parent_window = parent;
  x = bounds.x;
  y = bounds.y;
  width = bounds.width;
  height = bounds.height;
}

void CefWindowInfo::SetAsPopup(CefWindowHandle parent, const CefString& name) {
  style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_VISIBLE;
  parent_window = parent;
  x = y = width = height = static_cast<int>(CW_USEDEFAULT);
  window_name = name;
}

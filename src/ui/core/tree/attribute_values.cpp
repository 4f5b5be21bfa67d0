#include "ui/core/tree/attribute_values.h"

#include <cwchar>

#include "ui/core/tree/place_holder.h"

namespace ui {

namespace {

// In the order of the states' values.
const wchar_t* const kStateWords[kControlStateCount] = {L"normal", L"hot", L"pushed", L"disabled"};

// Reads up to count integers separated by one character each; never reads past the end.
void ReadIntegers(const std::wstring& value, int* out, int count) {
  const wchar_t* p = value.c_str();
  for (int i = 0; i < count; ++i) {
    wchar_t* end = nullptr;
    out[i] = static_cast<int>(std::wcstol(p, &end, 10));
    if (*end == L'\0') return;
    p = end + 1;
  }
}

}  // namespace

bool ParseBoolValue(const std::wstring& value) {
  return value == L"true";
}

UiRect ParseRectValue(const std::wstring& value) {
  int v[4] = {0, 0, 0, 0};
  ReadIntegers(value, v, 4);
  return UiRect{v[0], v[1], v[2], v[3]};
}

UiSize ParseSizeValue(const std::wstring& value) {
  int v[2] = {0, 0};
  ReadIntegers(value, v, 2);
  return UiSize{v[0], v[1]};
}

int ParseLengthValue(const std::wstring& value) {
  if (value == L"stretch") return kLengthStretch;
  if (value == L"auto") return kLengthAuto;
  return ParseIntValue(value);
}

int ParseIntValue(const std::wstring& value) {
  return static_cast<int>(std::wcstol(value.c_str(), nullptr, 10));
}

bool ParseStateWord(const std::wstring& word, ControlState* state) {
  for (int i = 0; i < kControlStateCount; ++i) {
    if (word == kStateWords[i]) {
      *state = static_cast<ControlState>(i);
      return true;
    }
  }
  return false;
}

const wchar_t* StateWord(ControlState state) {
  return kStateWords[static_cast<int>(state)];
}

std::wstring SkipLeadingBlanks(const std::wstring& value) {
  size_t first = 0;
  while (first < value.size() && value[first] <= L' ') ++first;
  return value.substr(first);
}

}  // namespace ui

#include "ui/core/tree/attribute_values.h"

#include <cwchar>

#include "ui/core/tree/place_holder.h"

namespace ui {

namespace {

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
  static const struct {
    const wchar_t* word;
    ControlState state;
  } kStates[] = {{L"normal", ControlState::kNormal},
                 {L"hot", ControlState::kHot},
                 {L"pushed", ControlState::kPushed},
                 {L"disabled", ControlState::kDisabled}};
  for (const auto& entry : kStates) {
    if (word == entry.word) {
      *state = entry.state;
      return true;
    }
  }
  return false;
}

bool ParseStateInName(const std::wstring& name, const std::wstring& prefix,
                      const std::wstring& suffix, ControlState* state) {
  if (name.size() <= prefix.size() + suffix.size()) return false;
  if (name.compare(0, prefix.size(), prefix) != 0) return false;
  if (name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0) return false;
  return ParseStateWord(name.substr(prefix.size(), name.size() - prefix.size() - suffix.size()),
                        state);
}

}  // namespace ui

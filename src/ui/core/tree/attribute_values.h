#pragma once

#include <string>

#include "ui/core/tree/control_state.h"
#include "ui/render/render_types.h"

namespace ui {

// Readers for layout attribute values. Numbers are read as far as they go (a non-number is
// 0); lists stop at the end of the text, leaving missing numbers 0.

// True exactly for "true".
bool ParseBoolValue(const std::wstring& value);
// Colour names and similar words in attributes may start with blanks.
std::wstring SkipLeadingBlanks(const std::wstring& value);
// Four integers separated by any single character: left, top, right, bottom.
UiRect ParseRectValue(const std::wstring& value);
// Two integers separated by any single character.
UiSize ParseSizeValue(const std::wstring& value);
// "stretch" is -1, "auto" -2, anything else a number.
int ParseLengthValue(const std::wstring& value);
int ParseIntValue(const std::wstring& value);
// "normal", "hot", "pushed" or "disabled"; false for anything else.
bool ParseStateWord(const std::wstring& word, ControlState* state);
// The word of a state as layout attributes write it, inside names as "hot" in "hotcolor".
const wchar_t* StateWord(ControlState state);

}  // namespace ui

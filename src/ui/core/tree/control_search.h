#pragma once

#include <string>

namespace ui {

class Control;

// The control itself or its first descendant (in FindControl order) whose name equals the
// given one without regard to case; unnamed controls never match.
Control* FindControlByNameBelow(Control* parent, const std::wstring& name);

}  // namespace ui

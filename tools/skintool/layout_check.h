#pragma once

#include <string>
#include <vector>

#include "skin_location.h"

namespace ui {
class XmlDocument;
}  // namespace ui

// What the window builder would meet in a layout that parses: element names it cannot make
// a control of (skipped with their subtrees), include and child-box files that are not
// there, and image files that are not there. One text per problem, in document order,
// each named once.
std::vector<std::wstring> CheckLayout(const ui::XmlDocument& document, const SkinLocation& where);

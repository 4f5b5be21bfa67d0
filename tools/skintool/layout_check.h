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
// each named once. With `files`, every include, child-box and image file the layout names
// is added to it as a full path, present or not.
std::vector<std::wstring> CheckLayout(const ui::XmlDocument& document, const SkinLocation& where,
                                      std::vector<std::wstring>* files = nullptr);

// The line `check` prints for a file that did not load: the file, the parser's message and,
// where it has one, the text where it stopped.
std::wstring LoadFailureLine(const std::wstring& file, const ui::XmlDocument& document);

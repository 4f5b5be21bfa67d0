#pragma once

#include <string>

namespace ui {

class Control;
class Window;
class XmlNode;

// The pieces of a layout file that are not controls: the "Window" and "Global" roots'
// attributes, the definitions under them, and the layout event bindings.

// The value of the element's first attribute of that name, whole; empty when absent.
std::wstring AttributeText(const XmlNode& element, const wchar_t* name);

// Applies the "Window" root's attributes to the window.
void ApplyWindowAttributes(const XmlNode& root, Window& window);
// The "Global" root's default colour names.
void ApplyGlobalAttributes(const XmlNode& root);
// A "Class" element's attribute list; empty name when it has none.
void ReadClass(const XmlNode& element, std::wstring* name, std::wstring* attributes);
// A "Font" or "TextColor" element under "Global".
void RegisterGlobalFont(const XmlNode& element);
void RegisterGlobalTextColor(const XmlNode& element);

// Attaches the handlers of an "Event" (or, on a box, a "BubbledEvent") element to the
// control that encloses it.
void BindLayoutEvent(const XmlNode& element, Control* target);

}  // namespace ui

#include "ui/core/skin/layout_definitions.h"

#include <windows.h>

#include <cwchar>
#include <vector>

#include "ui/core/markup/xml_node.h"
#include "ui/core/resources/dpi_scaler.h"
#include "ui/core/resources/ui_registry.h"
#include "ui/core/tree/attribute_values.h"
#include "ui/core/tree/box.h"
#include "ui/core/tree/control_search.h"
#include "ui/core/window/window.h"

namespace ui {

namespace {

constexpr int kDefaultFontSize = 12;

bool IsShadowAttribute(const std::wstring& name) {
  return name == L"shadowattached" || name == L"shadowimage" || name == L"shadowcorner";
}

UiRect ScaledInsets(const UiRect& insets) {
  const DpiScaler& scaler = UiRegistry::GetDpiScaler();
  return UiRect{scaler.ScaleLength(insets.left), scaler.ScaleLength(insets.top),
                scaler.ScaleLength(insets.right), scaler.ScaleLength(insets.bottom)};
}

UiRect ShadowBand(Window& window) {
  return window.GetShadow().IsAttached() ? window.GetShadow().GetCorner() : UiRect{};
}

int WorkAreaHeight(HWND hwnd) {
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  if (!::GetMonitorInfoW(::MonitorFromWindow(hwnd, MONITOR_DEFAULTTOPRIMARY), &monitor)) return 0;
  return monitor.rcWork.bottom - monitor.rcWork.top;
}

// The height is a share of the work area; the min and max sizes, which already hold the
// shadow band, bound the height with its band.
void ApplyHeightPercent(Window& window, double fraction) {
  window.heightPercent = fraction;
  const UiRect band = ShadowBand(window);
  int height = static_cast<int>(WorkAreaHeight(window.GetHWND()) * fraction);
  height += band.top + band.bottom;
  const UiSize minSize = window.GetMinSize();
  const UiSize maxSize = window.GetMaxSize();
  if (minSize.cy != 0 && height < minSize.cy) height = minSize.cy;
  if (maxSize.cy != 0 && height > maxSize.cy) height = maxSize.cy;
  const int width = window.GetInitSize().cx;
  const int bareWidth = width == 0 ? 0 : width - band.left - band.right;
  window.SetInitSize(bareWidth, height - band.top - band.bottom, false);
}

void ApplyWindowAttribute(Window& window, const std::wstring& name, const std::wstring& value) {
  const DpiScaler& scaler = UiRegistry::GetDpiScaler();
  if (name == L"size") {
    const UiSize size = ParseSizeValue(value);
    window.SetInitSize(size.cx, size.cy);
  } else if (name == L"heightpercent") {
    ApplyHeightPercent(window, std::wcstod(value.c_str(), nullptr));
  } else if (name == L"sizebox") {
    window.sizeBox = ParseRectValue(value);
  } else if (name == L"caption") {
    window.caption = scaler.ScaleRect(ParseRectValue(value));
  } else if (name == L"textid") {
    if (window.GetHWND()) window.SetTextId(value);
  } else if (name == L"roundcorner") {
    const UiSize size = ParseSizeValue(value);
    window.roundCorner = UiSize{scaler.ScaleLength(size.cx), scaler.ScaleLength(size.cy)};
  } else if (name == L"mininfo") {
    const UiSize size = ParseSizeValue(value);
    window.SetMinSize(size.cx, size.cy);
  } else if (name == L"maxinfo") {
    const UiSize size = ParseSizeValue(value);
    window.SetMaxSize(size.cx, size.cy);
  } else if (name == L"shadowattached") {
    window.GetShadow().SetAttached(ParseBoolValue(value));
  } else if (name == L"shadowimage") {
    window.GetShadow().SetImage(value);
  } else if (name == L"shadowcorner") {
    window.GetShadow().SetCorner(ParseRectValue(value));
  } else if (name == L"alphafixcorner" || name == L"custom_shadow") {
    window.alphaFixCorner = ScaledInsets(ParseRectValue(value));
  }
}

std::vector<std::wstring> SplitBlanks(const std::wstring& text) {
  std::vector<std::wstring> words;
  size_t pos = 0;
  while (pos < text.size()) {
    const size_t blank = text.find(L' ', pos);
    const size_t stop = blank == std::wstring::npos ? text.size() : blank;
    if (stop > pos) words.push_back(text.substr(pos, stop - pos));
    pos = stop + 1;
  }
  return words;
}

Control* FindReceiver(Control* owner, const std::wstring& receiver) {
  if (receiver.compare(0, 2, L".\\") == 0 || receiver.compare(0, 2, L"./") == 0) {
    return FindControlByNameBelow(owner, receiver.substr(2));
  }
  IControlWindow* window = owner->GetWindow();
  return window ? window->FindControlByName(receiver) : nullptr;
}

}  // namespace

std::wstring AttributeText(const XmlNode& element, const wchar_t* name) {
  for (int i = 0; i < element.AttributeCount(); ++i) {
    if (std::wcscmp(element.AttributeName(i), name) == 0) return element.AttributeValue(i);
  }
  return std::wstring();
}

void ApplyWindowAttributes(const XmlNode& root, Window& window) {
  // The shadow's settings come first: the sizes add the band of the shadow in force, so a
  // band set later would leave them measured for another one.
  for (int pass = 0; pass < 2; ++pass) {
    for (int i = 0; i < root.AttributeCount(); ++i) {
      const std::wstring name = root.AttributeName(i);
      if (IsShadowAttribute(name) == (pass == 0)) {
        ApplyWindowAttribute(window, name, root.AttributeValue(i));
      }
    }
  }
}

void ApplyGlobalAttributes(const XmlNode& root) {
  for (int i = 0; i < root.AttributeCount(); ++i) {
    const std::wstring name = root.AttributeName(i);
    if (name == L"defaultfontcolor") {
      UiRegistry::SetDefaultTextColorName(root.AttributeValue(i));
    } else if (name == L"disabledfontcolor") {
      UiRegistry::SetDefaultDisabledTextColorName(root.AttributeValue(i));
    }
  }
}

void ReadClass(const XmlNode& element, std::wstring* name, std::wstring* attributes) {
  name->clear();
  attributes->clear();
  for (int i = 0; i < element.AttributeCount(); ++i) {
    const std::wstring attribute = element.AttributeName(i);
    const wchar_t* value = element.AttributeValue(i);
    if (attribute == L"name") {
      *name = value;
    } else if (attribute == L"value") {
      *attributes += value;
    } else if (attribute == L"_value") {
      *attributes += std::wstring(L" value=\"") + value + L"\"";
    } else {
      *attributes += L" " + attribute + L"=\"" + value + L"\"";
    }
  }
  attributes->erase(0, attributes->find_first_not_of(L' '));
}

void RegisterGlobalFont(const XmlNode& element) {
  const std::wstring face = AttributeText(element, L"name");
  if (face.empty()) return;
  const std::wstring size = AttributeText(element, L"size");
  UiRegistry::AddFont(AttributeText(element, L"id"), face,
                      element.HasAttribute(L"size") ? ParseIntValue(size) : kDefaultFontSize,
                      ParseBoolValue(AttributeText(element, L"bold")),
                      ParseBoolValue(AttributeText(element, L"underline")),
                      ParseBoolValue(AttributeText(element, L"italic")),
                      ParseBoolValue(AttributeText(element, L"default")));
}

void RegisterGlobalTextColor(const XmlNode& element) {
  const std::wstring value = AttributeText(element, L"value");
  if (!value.empty()) UiRegistry::AddTextColor(AttributeText(element, L"name"), value);
}

void BindLayoutEvent(const XmlNode& element, Control* target) {
  const bool bubbled = std::wcscmp(element.Name(), L"BubbledEvent") == 0;
  Box* box = bubbled ? dynamic_cast<Box*>(target) : nullptr;
  if (!target || (bubbled && !box)) return;
  const std::wstring changes = AttributeText(element, L"applyattribute");
  for (const std::wstring& typeName : SplitBlanks(AttributeText(element, L"type"))) {
    const EventType type = EventTypeFromName(typeName);
    for (const std::wstring& receiver : SplitBlanks(AttributeText(element, L"receiver"))) {
      EventHandler handler = [target, receiver, changes](EventArgs*) {
        if (Control* found = FindReceiver(target, receiver)) found->ApplyAttributeList(changes);
        return true;
      };
      if (box) {
        box->AttachLayoutBubbledEvent(type, std::move(handler));
      } else {
        target->AttachLayoutEvent(type, std::move(handler));
      }
    }
  }
}

}  // namespace ui

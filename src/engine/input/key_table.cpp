#include "engine/input/key_table.h"

#include <windows.h>

#include <map>

namespace engine {
namespace {

struct Entry {
  const char* key;
  const char* shifted;  // nullptr when shift does not change the key
  const char* code;
  int location;
};

const std::map<int, Entry>& Table() {
  static const std::map<int, Entry> table = {
      {VK_BACK, {"Backspace", nullptr, "Backspace", 0}},
      {VK_TAB, {"Tab", nullptr, "Tab", 0}},
      {VK_RETURN, {"Enter", nullptr, "Enter", 0}},
      {VK_PAUSE, {"Pause", nullptr, "Pause", 0}},
      {VK_CAPITAL, {"CapsLock", nullptr, "CapsLock", 0}},
      {VK_ESCAPE, {"Escape", nullptr, "Escape", 0}},
      {VK_SPACE, {" ", nullptr, "Space", 0}},
      {VK_PRIOR, {"PageUp", nullptr, "PageUp", 0}},
      {VK_NEXT, {"PageDown", nullptr, "PageDown", 0}},
      {VK_END, {"End", nullptr, "End", 0}},
      {VK_HOME, {"Home", nullptr, "Home", 0}},
      {VK_LEFT, {"ArrowLeft", nullptr, "ArrowLeft", 0}},
      {VK_UP, {"ArrowUp", nullptr, "ArrowUp", 0}},
      {VK_RIGHT, {"ArrowRight", nullptr, "ArrowRight", 0}},
      {VK_DOWN, {"ArrowDown", nullptr, "ArrowDown", 0}},
      {VK_SNAPSHOT, {"PrintScreen", nullptr, "PrintScreen", 0}},
      {VK_INSERT, {"Insert", nullptr, "Insert", 0}},
      {VK_DELETE, {"Delete", nullptr, "Delete", 0}},
      {VK_LWIN, {"Meta", nullptr, "MetaLeft", 1}},
      {VK_RWIN, {"Meta", nullptr, "MetaRight", 2}},
      {VK_APPS, {"ContextMenu", nullptr, "ContextMenu", 0}},
      // A key the input method took; which key it was is the input method's to know.
      {VK_PROCESSKEY, {"Process", nullptr, "", 0}},
      {VK_MULTIPLY, {"*", nullptr, "NumpadMultiply", 3}},
      {VK_ADD, {"+", nullptr, "NumpadAdd", 3}},
      {VK_SUBTRACT, {"-", nullptr, "NumpadSubtract", 3}},
      {VK_DECIMAL, {".", nullptr, "NumpadDecimal", 3}},
      {VK_DIVIDE, {"/", nullptr, "NumpadDivide", 3}},
      {VK_NUMLOCK, {"NumLock", nullptr, "NumLock", 0}},
      {VK_SCROLL, {"ScrollLock", nullptr, "ScrollLock", 0}},
      {VK_OEM_1, {";", ":", "Semicolon", 0}},
      {VK_OEM_PLUS, {"=", "+", "Equal", 0}},
      {VK_OEM_COMMA, {",", "<", "Comma", 0}},
      {VK_OEM_MINUS, {"-", "_", "Minus", 0}},
      {VK_OEM_PERIOD, {".", ">", "Period", 0}},
      {VK_OEM_2, {"/", "?", "Slash", 0}},
      {VK_OEM_3, {"`", "~", "Backquote", 0}},
      {VK_OEM_4, {"[", "{", "BracketLeft", 0}},
      {VK_OEM_5, {"\\", "|", "Backslash", 0}},
      {VK_OEM_6, {"]", "}", "BracketRight", 0}},
      {VK_OEM_7, {"'", "\"", "Quote", 0}},
  };
  return table;
}

// Shift turns the digit row into these, on the US layout.
const char* const kShiftedDigits[] = {")", "!", "@", "#", "$", "%", "^", "&", "*", "("};

bool ModifierName(int virtualKey, bool extended, KeyName& name) {
  const char* key = virtualKey == VK_SHIFT     ? "Shift"
                    : virtualKey == VK_CONTROL ? "Control"
                    : virtualKey == VK_MENU    ? "Alt"
                                               : nullptr;
  if (!key) return false;
  // Windows tells the right Shift by its scan code, not the extended flag; the caller passes
  // that as `extended` too.
  name.key = key;
  name.code = name.key + (extended ? "Right" : "Left");
  name.location = extended ? 2 : 1;
  return true;
}

}  // namespace

bool KeyNameOf(int virtualKey, bool shift, bool extended, KeyName& name) {
  name = KeyName();
  if (virtualKey >= 'A' && virtualKey <= 'Z') {
    const char letter = static_cast<char>(shift ? virtualKey : virtualKey - 'A' + 'a');
    name.key = std::string(1, letter);
    name.code = std::string("Key") + static_cast<char>(virtualKey);
    return true;
  }
  if (virtualKey >= '0' && virtualKey <= '9') {
    name.key =
        shift ? kShiftedDigits[virtualKey - '0'] : std::string(1, static_cast<char>(virtualKey));
    name.code = std::string("Digit") + static_cast<char>(virtualKey);
    return true;
  }
  if (virtualKey >= VK_NUMPAD0 && virtualKey <= VK_NUMPAD9) {
    name.key = std::string(1, static_cast<char>('0' + virtualKey - VK_NUMPAD0));
    name.code = "Numpad" + name.key;
    name.keypad = true;
    name.location = 3;
    return true;
  }
  if (virtualKey >= VK_F1 && virtualKey <= VK_F24) {
    name.key = name.code = "F" + std::to_string(virtualKey - VK_F1 + 1);
    return true;
  }
  if (ModifierName(virtualKey, extended, name)) return true;
  if (virtualKey == VK_RETURN && extended) {
    name.key = "Enter";
    name.code = "NumpadEnter";
    name.keypad = true;
    name.location = 3;
    return true;
  }
  auto it = Table().find(virtualKey);
  if (it == Table().end()) return false;
  const Entry& e = it->second;
  name.key = shift && e.shifted ? e.shifted : e.key;
  name.code = e.code;
  name.location = e.location;
  name.keypad = e.location == 3;
  return true;
}

}  // namespace engine

// The DOM names of the keys of a US keyboard.

#include <gtest/gtest.h>

#include <windows.h>

#include "engine/input/key_table.h"

namespace {

struct KeyCase {
  int virtualKey;
  bool shift;
  bool extended;
  const char* key;
  const char* code;
  int location;
};

const KeyCase kKeys[] = {
    {'A', false, false, "a", "KeyA", 0},
    {'A', true, false, "A", "KeyA", 0},
    {'Z', false, false, "z", "KeyZ", 0},
    {'0', false, false, "0", "Digit0", 0},
    {'1', true, false, "!", "Digit1", 0},
    {'9', true, false, "(", "Digit9", 0},
    {VK_OEM_1, false, false, ";", "Semicolon", 0},
    {VK_OEM_1, true, false, ":", "Semicolon", 0},
    {VK_OEM_PLUS, true, false, "+", "Equal", 0},
    {VK_OEM_COMMA, false, false, ",", "Comma", 0},
    {VK_OEM_MINUS, true, false, "_", "Minus", 0},
    {VK_OEM_PERIOD, false, false, ".", "Period", 0},
    {VK_OEM_2, true, false, "?", "Slash", 0},
    {VK_OEM_3, true, false, "~", "Backquote", 0},
    {VK_OEM_4, false, false, "[", "BracketLeft", 0},
    {VK_OEM_5, true, false, "|", "Backslash", 0},
    {VK_OEM_6, true, false, "}", "BracketRight", 0},
    {VK_OEM_7, true, false, "\"", "Quote", 0},
    {VK_SPACE, false, false, " ", "Space", 0},
    {VK_F1, false, false, "F1", "F1", 0},
    {VK_F12, true, false, "F12", "F12", 0},
    {VK_F24, false, false, "F24", "F24", 0},
    {VK_LEFT, true, true, "ArrowLeft", "ArrowLeft", 0},
    {VK_DOWN, false, true, "ArrowDown", "ArrowDown", 0},
    {VK_HOME, false, true, "Home", "Home", 0},
    {VK_END, false, true, "End", "End", 0},
    {VK_PRIOR, false, true, "PageUp", "PageUp", 0},
    {VK_NEXT, false, true, "PageDown", "PageDown", 0},
    {VK_INSERT, false, true, "Insert", "Insert", 0},
    {VK_DELETE, false, true, "Delete", "Delete", 0},
    {VK_BACK, false, false, "Backspace", "Backspace", 0},
    {VK_TAB, true, false, "Tab", "Tab", 0},
    {VK_RETURN, false, false, "Enter", "Enter", 0},
    {VK_RETURN, false, true, "Enter", "NumpadEnter", 3},
    {VK_ESCAPE, false, false, "Escape", "Escape", 0},
    {VK_SHIFT, true, false, "Shift", "ShiftLeft", 1},
    {VK_SHIFT, true, true, "Shift", "ShiftRight", 2},
    {VK_CONTROL, false, false, "Control", "ControlLeft", 1},
    {VK_CONTROL, false, true, "Control", "ControlRight", 2},
    {VK_MENU, false, false, "Alt", "AltLeft", 1},
    {VK_MENU, false, true, "Alt", "AltRight", 2},
    {VK_LWIN, false, true, "Meta", "MetaLeft", 1},
    {VK_CAPITAL, false, false, "CapsLock", "CapsLock", 0},
    {VK_NUMPAD0, false, false, "0", "Numpad0", 3},
    {VK_NUMPAD7, false, false, "7", "Numpad7", 3},
    {VK_MULTIPLY, false, false, "*", "NumpadMultiply", 3},
    {VK_ADD, false, false, "+", "NumpadAdd", 3},
    {VK_SUBTRACT, false, false, "-", "NumpadSubtract", 3},
    {VK_DECIMAL, false, false, ".", "NumpadDecimal", 3},
    {VK_DIVIDE, false, true, "/", "NumpadDivide", 3},
    {VK_NUMLOCK, false, false, "NumLock", "NumLock", 0},
    {VK_PROCESSKEY, false, false, "Process", "", 0},
};

TEST(KeyTable, NamesEveryKeyOfTheUsLayout) {
  for (const KeyCase& c : kKeys) {
    engine::KeyName name;
    ASSERT_TRUE(engine::KeyNameOf(c.virtualKey, c.shift, c.extended, name)) << c.code;
    EXPECT_EQ(name.key, c.key) << c.code;
    EXPECT_EQ(name.code, c.code) << c.key;
    EXPECT_EQ(name.location, c.location) << c.code;
    EXPECT_EQ(name.keypad, c.location == 3) << c.code;
  }
}

TEST(KeyTable, UnknownKeysHaveNoName) {
  for (int virtualKey : {0, 0xFF, VK_LBUTTON, 0x07, 0xE8}) {
    engine::KeyName name;
    EXPECT_FALSE(engine::KeyNameOf(virtualKey, false, false, name)) << virtualKey;
  }
}

}  // namespace

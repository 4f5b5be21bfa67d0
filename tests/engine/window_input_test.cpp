// Window messages read as key events: modifiers held from their key-down to their key-up
// message, and the editing shortcuts they make.

#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "engine/input/window_input.h"

namespace {

using engine::KeyInput;
using engine::MouseInput;

struct Message {
  UINT message;
  WPARAM wParam;
  LPARAM flags = 0;  // scan code and extended flag
};

const LPARAM kRightShift = 0x36 << 16;
const LPARAM kLeftShift = 0x2A << 16;
const LPARAM kExtended = 1 << 24;

struct ChordCase {
  const char* name;
  std::vector<Message> messages;  // the last one is checked
  bool isInput;
  int modifiers;
  const char* key;
  std::vector<std::string> commands;
};

const UINT kDown = WM_KEYDOWN;
const UINT kUp = WM_KEYUP;

const ChordCase kChords[] = {
    {"shift's own press", {{kDown, VK_SHIFT}}, true, MouseInput::kShift, "Shift", {}},
    {"shift's own release", {{kDown, VK_SHIFT}, {kUp, VK_SHIFT}}, true, 0, "Shift", {}},
    {"shift+home", {{kDown, VK_SHIFT}, {kDown, VK_HOME}}, true, MouseInput::kShift, "Home", {}},
    {"home after shift went up",
     {{kDown, VK_SHIFT}, {kUp, VK_SHIFT}, {kDown, VK_HOME}},
     true,
     0,
     "Home",
     {}},
    {"shift+a is a capital", {{kDown, VK_SHIFT}, {kDown, 'A'}}, true, MouseInput::kShift, "A", {}},
    {"the right shift holds while the left goes up",
     {{kDown, VK_SHIFT, kLeftShift},
      {kDown, VK_SHIFT, kRightShift},
      {kUp, VK_SHIFT, kLeftShift},
      {kDown, VK_END, kExtended}},
     true,
     MouseInput::kShift,
     "End",
     {}},
    {"both shifts up",
     {{kDown, VK_SHIFT, kLeftShift},
      {kDown, VK_SHIFT, kRightShift},
      {kUp, VK_SHIFT, kLeftShift},
      {kUp, VK_SHIFT, kRightShift},
      {kDown, VK_END, kExtended}},
     true,
     0,
     "End",
     {}},
    {"the right ctrl's release ends only its own hold",
     {{kDown, VK_CONTROL}, {kUp, VK_CONTROL, kExtended}, {kDown, 'A'}},
     true,
     MouseInput::kControl,
     "a",
     {"selectAll"}},
    {"the left windows key (extended) is held and released",
     {{kDown, VK_LWIN, kExtended}, {kUp, VK_LWIN, kExtended}, {kDown, 'A'}},
     true,
     0,
     "a",
     {}},
    {"ctrl+left",
     {{kDown, VK_CONTROL}, {kDown, VK_LEFT}},
     true,
     MouseInput::kControl,
     "ArrowLeft",
     {}},
    {"ctrl+a", {{kDown, VK_CONTROL}, {kDown, 'A'}}, true, MouseInput::kControl, "a", {"selectAll"}},
    {"ctrl+c", {{kDown, VK_CONTROL}, {kDown, 'C'}}, true, MouseInput::kControl, "c", {"copy"}},
    {"ctrl+shift+z",
     {{kDown, VK_CONTROL}, {kDown, VK_SHIFT}, {kDown, 'Z'}},
     true,
     MouseInput::kControl | MouseInput::kShift,
     "Z",
     {"redo"}},
    {"ctrl+alt+a is no shortcut",
     {{kDown, VK_CONTROL}, {WM_SYSKEYDOWN, VK_MENU}, {kDown, 'A'}},
     true,
     MouseInput::kControl | MouseInput::kAlt,
     "a",
     {}},
    {"a after ctrl went up",
     {{kDown, VK_CONTROL}, {kUp, VK_CONTROL}, {kDown, 'A'}},
     true,
     0,
     "a",
     {}},
    {"a character typed with ctrl is no text",
     {{kDown, VK_CONTROL}, {WM_CHAR, 'a'}},
     false,
     0,
     "",
     {}},
    {"a character typed with AltGr is text",
     {{kDown, VK_CONTROL}, {WM_SYSKEYDOWN, VK_MENU}, {WM_CHAR, '@'}},
     true,
     MouseInput::kControl | MouseInput::kAlt,
     "@",
     {}},
};

TEST(WindowInput, ModifierKeysHoldFromTheirPressToTheirRelease) {
  for (const ChordCase& c : kChords) {
    engine::ForgetHeldKeys();
    KeyInput input;
    bool isInput = false;
    for (const Message& m : c.messages) {
      const LPARAM lParam = m.flags | (m.message == kUp ? (1 | (3u << 30)) : 1);
      isInput = engine::KeyInputOf(m.message, m.wParam, lParam, input);
    }
    ASSERT_EQ(isInput, c.isInput) << c.name;
    if (!c.isInput) continue;
    EXPECT_EQ(input.modifiers, c.modifiers) << c.name;
    EXPECT_EQ(input.key, c.key) << c.name;
    EXPECT_EQ(input.commands, c.commands) << c.name;
  }
  engine::ForgetHeldKeys();
}

TEST(WindowInput, LosingTheFocusForgetsHeldKeys) {
  KeyInput input;
  ASSERT_TRUE(engine::KeyInputOf(WM_KEYDOWN, VK_CONTROL, 1, input));
  engine::ForgetHeldKeys();
  ASSERT_TRUE(engine::KeyInputOf(WM_KEYDOWN, 'V', 1, input));
  EXPECT_EQ(input.modifiers, 0);
  EXPECT_TRUE(input.commands.empty());
}

TEST(WindowInput, AltHeldReachesTheMouse) {
  engine::ForgetHeldKeys();
  KeyInput key;
  ASSERT_TRUE(engine::KeyInputOf(WM_SYSKEYDOWN, VK_MENU, 1, key));
  MouseInput mouse;
  ASSERT_TRUE(engine::MouseInputOf(nullptr, WM_MOUSEMOVE, MK_SHIFT, MAKELPARAM(5, 6), mouse));
  EXPECT_EQ(mouse.modifiers, MouseInput::kAlt | MouseInput::kShift);
  ASSERT_TRUE(engine::KeyInputOf(WM_SYSKEYUP, VK_MENU, 1 | (3u << 30), key));
  ASSERT_TRUE(engine::MouseInputOf(nullptr, WM_MOUSEMOVE, 0, MAKELPARAM(5, 6), mouse));
  EXPECT_EQ(mouse.modifiers, 0);
}

}  // namespace

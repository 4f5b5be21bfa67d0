#pragma once

// The user's input as the engine hands it to a page: mouse, keys and input-method text.

#include <string>
#include <vector>

namespace engine {

// A mouse event in the view, in the view's pixels.
struct MouseInput {
  enum class Type { kMove, kPress, kRelease, kWheel };
  enum Modifier { kAlt = 1, kControl = 2, kMeta = 4, kShift = 8 };
  enum Button { kNone = 0, kLeft = 1, kMiddle = 2, kRight = 3 };
  Type type = Type::kMove;
  int x = 0;
  int y = 0;
  Button button = kNone;
  int buttons = 0;  // held buttons: 1 left, 2 right, 4 middle
  int clickCount = 0;
  int modifiers = 0;
  int deltaX = 0;  // wheel, in pixels; positive scrolls right and down
  int deltaY = 0;
};

// A key event in the view: a key pressed or released, or a character it typed.
struct KeyInput {
  enum class Type { kRawDown, kUp, kChar };
  Type type = Type::kRawDown;
  int windowsKeyCode = 0;
  std::string key;
  std::string code;
  std::string text;   // UTF-8, for characters
  int modifiers = 0;  // MouseInput::Modifier
  int location = 0;
  bool keypad = false;
  bool autoRepeat = false;
  std::vector<std::string> commands;  // editing commands the key stands for
};

// Text an input method composes in the view, or commits.
struct CompositionInput {
  enum class Type { kUpdate, kCommit, kCancel };
  Type type = Type::kUpdate;
  std::string text;  // UTF-8
  // The selection in the text being composed, in UTF-16 units.
  int selectionStart = 0;
  int selectionEnd = 0;
};

}  // namespace engine

#pragma once

// The DOM names of the keys of a US keyboard, by Windows virtual key.

#include <string>

namespace engine {

struct KeyName {
  std::string key;   // what the key means: "a", "A", "Enter", "ArrowLeft", ...
  std::string code;  // where it is: "KeyA", "Enter", "NumpadEnter", ...
  bool keypad = false;
  int location = 0;  // 0 standard, 1 left, 2 right, 3 numeric pad
};

// False for keys the table does not know. `extended` is the message's extended-key flag,
// which tells the right-hand modifiers and the pad's Enter from the others.
bool KeyNameOf(int virtualKey, bool shift, bool extended, KeyName& name);

}  // namespace engine

#pragma once

// Native window messages read as the page's input.

#include <cstdint>

#include "engine/backend.h"

struct HWND__;

namespace engine {

// The mouse event a window message stands for; false for other messages.
bool MouseInputOf(HWND__* window, unsigned message, uintptr_t wParam, intptr_t lParam,
                  MouseInput& input);

// The key event a window message stands for; false for other messages and for characters
// that are not text (control characters, the first half of a surrogate pair).
bool KeyInputOf(unsigned message, uintptr_t wParam, intptr_t lParam, KeyInput& input);

}  // namespace engine

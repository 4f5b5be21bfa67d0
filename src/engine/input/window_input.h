#pragma once

// Native window messages read as the page's input.

#include <cstdint>

#include "engine/input/input_events.h"

struct HWND__;

namespace engine {

// The mouse event a window message stands for; false for other messages.
bool MouseInputOf(HWND__* window, unsigned message, uintptr_t wParam, intptr_t lParam,
                  MouseInput& input);

// The key event a window message stands for; false for other messages and for characters
// that are not text (control characters, the first half of a surrogate pair).
// Modifier keys count as held from their key-down message to their key-up message, besides
// what the thread's keyboard state says.
bool KeyInputOf(unsigned message, uintptr_t wParam, intptr_t lParam, KeyInput& input);

// The editing command (as the browser names it) a Ctrl shortcut stands for, or nullptr.
const char* EditingCommand(int virtualKey, int modifiers);

// The focus went elsewhere: releases of modifier keys go elsewhere too.
void ForgetHeldKeys();

}  // namespace engine

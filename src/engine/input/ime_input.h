#pragma once

// Input-method messages read as the page's composition: text being composed is shown in
// the page as it changes, and the text the input method commits is typed.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/input/input_events.h"

struct HWND__;

namespace engine {

// What the input method holds for a window, as the system reads it.
struct ImeStrings {
  std::wstring composing;                 // the text being composed
  std::wstring result;                    // the text committed
  int cursor = -1;                        // the caret in the text being composed
  std::vector<unsigned char> attributes;  // one per character being composed (ATTR_*)
};

// Reads the parts (GCS_* flags) of a window's input method that a message announced.
using ImeReader = std::function<ImeStrings(HWND__* window, unsigned long parts)>;

// For tests: input methods read through `reader`; an empty one restores the system's.
void SetImeReader(ImeReader reader);

// The composition events an input-method message stands for (none, one, or a commit
// followed by a new composition). False for messages that are not the input method's.
// The engine's windows all live on one thread, and one of them composes at a time.
bool CompositionOf(HWND__* window, unsigned message, uintptr_t wParam, intptr_t lParam,
                   std::vector<CompositionInput>& events);

// Puts the input method's composition and candidate windows of the window at the caret
// (in the window's pixels), below the line it stands on.
void PlaceImeWindows(HWND__* window, int x, int y, int height);

}  // namespace engine

#include "engine/input/window_input.h"

#include <windows.h>
#include <windowsx.h>

#include "engine/base/utf8.h"
#include "engine/input/key_table.h"

namespace engine {
namespace {

// Modifier keys the engine's windows saw go down and not yet up: the left keys' modifier
// bits, and the right keys' shifted by kRightKeys. The thread's keyboard state misses keys
// whose messages were posted to a window rather than typed (automation, tools, tests); the
// engine's windows all live on one thread.
constexpr int kRightKeys = 4;
thread_local int heldKeys = 0;

int HeldByMessages() {
  return (heldKeys | heldKeys >> kRightKeys) & 0xF;
}

int ModifierOfKey(int virtualKey) {
  switch (virtualKey) {
    case VK_SHIFT:
    case VK_LSHIFT:
    case VK_RSHIFT:
      return MouseInput::kShift;
    case VK_CONTROL:
    case VK_LCONTROL:
    case VK_RCONTROL:
      return MouseInput::kControl;
    case VK_MENU:
    case VK_LMENU:
    case VK_RMENU:
      return MouseInput::kAlt;
    case VK_LWIN:
    case VK_RWIN:
      return MouseInput::kMeta;
  }
  return 0;
}

// `extended`: the message's extended flag (the right Shift's scan code counts as one).
bool IsRightKey(int virtualKey, bool extended) {
  switch (virtualKey) {
    case VK_RSHIFT:
    case VK_RCONTROL:
    case VK_RMENU:
    case VK_RWIN:
      return true;
    case VK_SHIFT:
    case VK_CONTROL:
    case VK_MENU:
      return extended;
  }
  return false;
}

void NoteModifierKey(int virtualKey, bool extended, bool down) {
  const bool right = IsRightKey(virtualKey, extended);
  const int key = ModifierOfKey(virtualKey) << (right ? kRightKeys : 0);
  if (down) {
    heldKeys |= key;
  } else {
    heldKeys &= ~key;
  }
}

int ModifiersOf(WPARAM keys) {
  int modifiers = HeldByMessages() & MouseInput::kAlt;
  if (keys & MK_SHIFT) modifiers |= MouseInput::kShift;
  if (keys & MK_CONTROL) modifiers |= MouseInput::kControl;
  if (GetKeyState(VK_MENU) < 0) modifiers |= MouseInput::kAlt;
  return modifiers;
}

int ButtonsOf(WPARAM keys) {
  return (keys & MK_LBUTTON ? 1 : 0) | (keys & MK_RBUTTON ? 2 : 0) | (keys & MK_MBUTTON ? 4 : 0);
}

struct ButtonMessage {
  UINT message;
  MouseInput::Type type;
  MouseInput::Button button;
  int clickCount;
};

const ButtonMessage kButtonMessages[] = {
    {WM_LBUTTONDOWN, MouseInput::Type::kPress, MouseInput::kLeft, 1},
    {WM_LBUTTONDBLCLK, MouseInput::Type::kPress, MouseInput::kLeft, 2},
    {WM_LBUTTONUP, MouseInput::Type::kRelease, MouseInput::kLeft, 1},
    {WM_MBUTTONDOWN, MouseInput::Type::kPress, MouseInput::kMiddle, 1},
    {WM_MBUTTONDBLCLK, MouseInput::Type::kPress, MouseInput::kMiddle, 2},
    {WM_MBUTTONUP, MouseInput::Type::kRelease, MouseInput::kMiddle, 1},
    {WM_RBUTTONDOWN, MouseInput::Type::kPress, MouseInput::kRight, 1},
    {WM_RBUTTONDBLCLK, MouseInput::Type::kPress, MouseInput::kRight, 2},
    {WM_RBUTTONUP, MouseInput::Type::kRelease, MouseInput::kRight, 1},
};

int KeyModifiers() {
  int modifiers = HeldByMessages();
  if (GetKeyState(VK_SHIFT) < 0) modifiers |= MouseInput::kShift;
  if (GetKeyState(VK_CONTROL) < 0) modifiers |= MouseInput::kControl;
  if (GetKeyState(VK_MENU) < 0) modifiers |= MouseInput::kAlt;
  if (GetKeyState(VK_LWIN) < 0 || GetKeyState(VK_RWIN) < 0) modifiers |= MouseInput::kMeta;
  return modifiers;
}

bool CharInputOf(wchar_t unit, KeyInput& input) {
  // Characters come one UTF-16 unit at a time; the engine's windows all live on one thread.
  static thread_local wchar_t high = 0;
  if (unit >= 0xD800 && unit <= 0xDBFF) {
    high = unit;
    return false;
  }
  std::wstring text;
  if (unit >= 0xDC00 && unit <= 0xDFFF) {
    if (!high) return false;
    text = {high, unit};
  } else if ((unit < 0x20 && unit != L'\r') || unit == 0x7F) {
    return false;  // control characters: their keys already did what they do
  } else {
    text = std::wstring(1, unit);
  }
  high = 0;
  input.modifiers = KeyModifiers();
  // A key typed with Ctrl (not AltGr, which is Ctrl+Alt) is a shortcut, never text.
  const int ctrlAlt = MouseInput::kControl | MouseInput::kAlt;
  if ((input.modifiers & ctrlAlt) == MouseInput::kControl) return false;
  input.type = KeyInput::Type::kChar;
  input.text = input.key = WideToUtf8(text);
  return true;
}

}  // namespace

bool KeyInputOf(unsigned message, uintptr_t wParam, intptr_t lParam, KeyInput& input) {
  input = KeyInput();
  if (message == WM_CHAR) return CharInputOf(static_cast<wchar_t>(wParam), input);
  const bool down = message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
  if (!down && message != WM_KEYUP && message != WM_SYSKEYUP) return false;
  const int virtualKey = static_cast<int>(wParam);
  const int scanCode = static_cast<int>((lParam >> 16) & 0xFF);
  const bool extended = ((lParam >> 24) & 1) != 0 || (virtualKey == VK_SHIFT && scanCode == 0x36);
  // A modifier's own press already counts it held, its release no more, as in a browser.
  NoteModifierKey(virtualKey, extended, down);
  input.type = down ? KeyInput::Type::kRawDown : KeyInput::Type::kUp;
  input.windowsKeyCode = virtualKey;
  input.modifiers = KeyModifiers();
  input.autoRepeat = down && ((lParam >> 30) & 1) != 0;
  KeyName name;
  if (KeyNameOf(virtualKey, (input.modifiers & MouseInput::kShift) != 0, extended, name)) {
    input.key = name.key;
    input.code = name.code;
    input.location = name.location;
    input.keypad = name.keypad;
  }
  if (down) {
    if (const char* command = EditingCommand(virtualKey, input.modifiers)) {
      input.commands.push_back(command);
    }
  }
  return true;
}

const char* EditingCommand(int virtualKey, int modifiers) {
  const int others = modifiers & ~(MouseInput::kControl | MouseInput::kShift);
  if (!(modifiers & MouseInput::kControl) || others) return nullptr;
  const bool shift = (modifiers & MouseInput::kShift) != 0;
  switch (virtualKey) {
    case 'A':
      return shift ? nullptr : "selectAll";
    case 'C':
      return shift ? nullptr : "copy";
    case 'X':
      return shift ? nullptr : "cut";
    case 'V':
      return shift ? nullptr : "paste";
    case 'Z':
      return shift ? "redo" : "undo";
    case 'Y':
      return shift ? nullptr : "redo";
  }
  return nullptr;
}

void ForgetHeldKeys() {
  heldKeys = 0;
}

bool MouseInputOf(HWND window, unsigned message, uintptr_t wParam, intptr_t lParam,
                  MouseInput& input) {
  input = MouseInput();
  if (message == WM_MOUSELEAVE) {
    // A move outside the view is how the page learns the pointer left.
    input.x = input.y = -1;
    return true;
  }
  if (message == WM_MOUSEWHEEL || message == WM_MOUSEHWHEEL) {
    POINT at = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ScreenToClient(window, &at);
    const int delta = GET_WHEEL_DELTA_WPARAM(wParam);
    input.type = MouseInput::Type::kWheel;
    input.x = at.x;
    input.y = at.y;
    // A notch away from the user scrolls up; a tilt to the right scrolls right.
    if (message == WM_MOUSEWHEEL) {
      input.deltaY = -delta;
    } else {
      input.deltaX = delta;
    }
    input.modifiers = ModifiersOf(GET_KEYSTATE_WPARAM(wParam));
    input.buttons = ButtonsOf(GET_KEYSTATE_WPARAM(wParam));
    return true;
  }
  input.x = GET_X_LPARAM(lParam);
  input.y = GET_Y_LPARAM(lParam);
  input.modifiers = ModifiersOf(wParam);
  input.buttons = ButtonsOf(wParam);
  if (message == WM_MOUSEMOVE) return true;
  for (const ButtonMessage& b : kButtonMessages) {
    if (b.message == message) {
      input.type = b.type;
      input.button = b.button;
      input.clickCount = b.clickCount;
      return true;
    }
  }
  return false;
}

}  // namespace engine

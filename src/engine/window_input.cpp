#include "engine/window_input.h"

#include <windows.h>
#include <windowsx.h>

namespace engine {
namespace {

int ModifiersOf(WPARAM keys) {
  int modifiers = 0;
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

}  // namespace

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

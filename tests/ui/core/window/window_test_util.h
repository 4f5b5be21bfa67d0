#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/message_pump.h"
#include "ui/core/tree/box.h"
#include "ui/core/window/window.h"

namespace window_test {

// A native window of the framework with a class of its own for the tests.
class TestNativeWindow : public ui::Window {
 public:
  std::wstring GetWindowClassName() const override { return L"TarnwickTestWindow"; }
  void OnFinalMessage(HWND hwnd) override {
    ++finalMessages;
    ui::Window::OnFinalMessage(hwnd);
  }
  int finalMessages = 0;
};

// Creates, initialises and shows a popup window at the rectangle with the root attached.
// Without a shadow unless asked for.
HWND CreateShown(ui::Window* window, const ui::UiRect& rect, ui::Control* root, bool layered,
                 bool shadow = false);
using test_messages::Drain;
using test_messages::PumpUntil;
inline void Pump(int milliseconds) {
  test_messages::PumpFor(milliseconds);
}
LPARAM At(int x, int y);

// A control that counts activations and sends a click, as a button does.
class ClickControl : public ui::Control {
 public:
  void Activate() override;
  int activations = 0;
};

}  // namespace window_test

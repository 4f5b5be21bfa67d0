#include "ui/controls/button.h"

#include <windows.h>

#include <type_traits>

#include "ui/core/tree/i_control_window.h"

namespace ui {

template <typename Base>
ButtonTemplate<Base>::ButtonTemplate() {
  this->SetTextStyle(kTextEndEllipsis | kTextNoClip | kTextSingleLine | kTextCenter | kTextVCenter);
}

template <typename Base>
void ButtonTemplate<Base>::Activate() {
  if (!this->IsActivatable()) return;
  IControlWindow* window = this->GetWindow();
  this->SendEvent(kEventClick, 0, 0, 0, 0.0f, window ? window->GetLastMousePoint() : UiPoint{});
}

template <typename Base>
void ButtonTemplate<Base>::HandleEvent(EventArgs* args) {
  if (this->PassOnDisabledMouse(args)) return;
  const int type = args->type;
  if (type == kEventKeyDown && this->IsKeyboardEnabled() &&
      (args->keyCharacter == VK_SPACE || args->keyCharacter == VK_RETURN)) {
    Activate();
    return;
  }
  if (type == kEventInternalMenu && this->IsContextMenuUsed()) {
    this->SendEvent(kEventMenu, args->wParam, args->lParam);
    return;
  }
  Base::HandleEvent(args);
}

template <typename Base>
bool ButtonTemplate<Base>::CanTakeTabFocus() const {
  if constexpr (std::is_base_of_v<Box, Base>) {
    return false;
  } else {
    return this->IsEnabled() && this->IsKeyboardEnabled();
  }
}

template class ButtonTemplate<Control>;
template class ButtonTemplate<Box>;

}  // namespace ui

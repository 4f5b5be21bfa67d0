#include "ui/controls/list_container_element.h"

#include <windows.h>

#include "ui/controls/i_list_owner.h"
#include "ui/core/tree/i_control_window.h"

namespace ui {

ListContainerElement::ListContainerElement() {
  SetTextStyle(kTextEndEllipsis | kTextNoClip | kTextSingleLine | kTextVCenter);
  // A pen or a finger on an item scrolls its list; it does not click the item.
  receivePointer_ = false;
}

void ListContainerElement::SetSelected(bool selected, bool sendEvent) {
  if (!IsEnabled() || !selected || !listOwner_) return;
  listOwner_->SelectItem(index_, false, sendEvent);
}

void ListContainerElement::SetFadeVisible(bool visible) {
  Control::SetFadeVisible(visible);
  if (IsVisible() || !selected_) return;
  selected_ = false;
  if (listOwner_) listOwner_->SelectItem(-1, false, true);
}

void ListContainerElement::SendDoubleClick() {
  IControlWindow* window = GetWindow();
  if (!window || !IsActivatable()) return;
  SendEvent(kEventDoubleClick, 0, 0, 0, 0.0f, window->GetLastMousePoint());
}

void ListContainerElement::HandleEvent(EventArgs* args) {
  // An item in a list is one of the list's children, so its parent is its list.
  if (PassOnDisabledMouse(args)) return;
  const int type = args->type;
  if (type == kEventInternalButtonDown) {
    SendDoubleClick();
    return;
  }
  if (type == kEventKeyDown && IsEnabled() && args->wParam == VK_RETURN) {
    if (IsActivatable() && GetWindow()) GetWindow()->SendNotify(this, kEventReturn, 0, 0);
    return;
  }
  if (type == kEventInternalMenu && IsEnabled()) {
    const std::weak_ptr<kbase::WeakFlag> alive = WeakFlagOf();
    SetSelected(true, true);
    if (alive.expired()) return;
    if (GetWindow()) GetWindow()->SendNotify(this, kEventMenu, 0, 0);
    if (!alive.expired()) Invalidate();
    return;
  }
  OptionTemplate<Box>::HandleEvent(args);
}

}  // namespace ui

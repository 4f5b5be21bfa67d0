#include <windowsx.h>

#include <vector>

#include "ui/core/tree/box.h"
#include "ui/core/window/i_ui_message_filter.h"
#include "ui/core/window/window.h"
#include "ui/services/touch_input.h"

namespace ui {

namespace {

// Where reflected child notifications arrive.
constexpr UINT kReflectBase = 0x2000;
constexpr DWORD kHoverWithoutToolTip = 400;
constexpr UiPoint kNowhere{-100000, -100000};

UiPoint PointOf(LPARAM lParam) {
  return UiPoint{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
}

Control* HitProc(Control* control, void* data) {
  const UiPoint& p = *static_cast<const UiPoint*>(data);
  const UiRect r = control->GetPosition();
  return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom ? control : nullptr;
}

}  // namespace

LRESULT Window::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, bool* handled) {
  LRESULT result = 0;
  if (RunMessageFilters(message, wParam, lParam, &result)) {
    *handled = true;
    return result;
  }
  const std::weak_ptr<kbase::WeakFlag> alive = WeakFlagOf();
  *handled = true;
  switch (message) {
    case WM_SIZE:
      if (focus_ && !Send(focus_, kEventWindowResize)) return 0;
      if (root_) root_->Relayout();
      if (wParam != SIZE_MINIMIZED) shadow_.MaximizedChanged(wParam == SIZE_MAXIMIZED);
      return 0;
    case WM_GETMINMAXINFO:
      ApplyTrackSizes(reinterpret_cast<MINMAXINFO*>(lParam));
      *handled = false;
      return 0;
    case WM_KILLFOCUS:
      OnKillFocus(lParam);
      *handled = false;
      return 0;
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_CLOSE:
      OnClose();
      *handled = false;
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_SETCURSOR:
      if (LOWORD(lParam) != HTCLIENT) break;
      if (!OnSetCursor(handled) || *handled) return TRUE;
      return 0;
    case WM_NOTIFY: {
      const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
      if (!header) break;
      return ::SendMessageW(header->hwndFrom, message + kReflectBase, wParam, lParam);
    }
    case WM_COMMAND:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
      if (!lParam) break;
      return ::SendMessageW(reinterpret_cast<HWND>(lParam), message + kReflectBase, wParam, lParam);
    case WM_CONTEXTMENU:
      OnContextMenu(wParam, lParam);
      return 0;
    case WM_KEYDOWN:
      if (!OnKeyDown(wParam, lParam)) return 0;
      *handled = false;
      return 0;
    case WM_KEYUP:
      if (keyDown_) {
        Control* control = keyDown_;
        keyDown_ = nullptr;
        if (!Send(control, kEventKeyUp, wParam, lParam, static_cast<wchar_t>(wParam), {0, 0})) {
          return 0;
        }
      }
      *handled = false;
      return 0;
    case WM_CHAR:
      if (focus_) Send(focus_, kEventChar, wParam, lParam, static_cast<wchar_t>(wParam), {0, 0});
      *handled = false;
      return 0;
    case WM_IME_STARTCOMPOSITION:
    case WM_IME_ENDCOMPOSITION:
      if (focus_) {
        Send(focus_,
             message == WM_IME_STARTCOMPOSITION ? kEventImeStartComposition
                                                : kEventImeEndComposition,
             wParam, lParam);
      }
      *handled = false;
      return 0;
    case WM_MOUSEMOVE:
      OnMouseMove(wParam, lParam);
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
      OnButtonDown(message, wParam, lParam);
      return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
      OnButtonUp(message, wParam, lParam);
      if (message == WM_RBUTTONUP) *handled = false;
      return 0;
    case WM_MOUSEWHEEL:
      OnMouseWheel(wParam, lParam);
      return 0;
    case WM_TOUCH:
      OnTouch(wParam, lParam, handled);
      return 0;
    case kMessagePointerDown:
    case kMessagePointerUpdate:
    case kMessagePointerUp:
      OnPointer(message, wParam, lParam, handled);
      return 0;
    case WM_MOUSEHOVER:
      OnMouseHover(lParam);
      return 0;
    case WM_MOUSELEAVE:
      OnMouseLeave();
      return 0;
    case kDeferredDestroyMessage:
      DestroyDeferredControls();
      return 0;
    default:
      break;
  }
  *handled = false;
  return 0;
}

void Window::ApplyTrackSizes(MINMAXINFO* info) const {
  const UiRect band = shadow_.IsAttached() ? shadow_.GetCorner() : UiRect{};
  const int bandWidth = band.left + band.right;
  const int bandHeight = band.top + band.bottom;
  // A size that is only the shadow's band was never set.
  auto usable = [](int value, int bandSum) { return value > 0 && value != bandSum; };
  if (usable(maxSize_.cx, bandWidth)) info->ptMaxTrackSize.x = maxSize_.cx;
  if (usable(maxSize_.cy, bandHeight)) info->ptMaxTrackSize.y = maxSize_.cy;
  if (usable(minSize_.cx, bandWidth)) info->ptMinTrackSize.x = minSize_.cx;
  if (usable(minSize_.cy, bandHeight)) info->ptMinTrackSize.y = minSize_.cy;
}

bool Window::RunMessageFilters(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  // Filters whose owner has gone drop out.
  messageFilters_.erase(std::remove_if(messageFilters_.begin(), messageFilters_.end(),
                                       [](const auto& entry) { return entry.second.expired(); }),
                        messageFilters_.end());
  const std::weak_ptr<kbase::WeakFlag> alive = WeakFlagOf();
  for (size_t i = 0; i < messageFilters_.size(); ++i) {
    auto entry = messageFilters_[i];
    if (entry.second.expired()) continue;
    bool handled = false;
    const LRESULT answer = entry.first->MessageHandler(message, wParam, lParam, &handled);
    if (alive.expired()) {
      *result = answer;
      return true;
    }
    // Hover tracking needs every mouse move, whatever a filter did with it.
    if (handled && message != WM_MOUSEMOVE) {
      *result = answer;
      return true;
    }
  }
  return false;
}

bool Window::Send(Control* control, EventType type, WPARAM wParam, LPARAM lParam, wchar_t key,
                  UiPoint point, float pressure) {
  if (!control) return true;
  const std::weak_ptr<kbase::WeakFlag> alive = WeakFlagOf();
  if (point.x == -1 && point.y == -1) point = lastMousePoint_;
  control->SendEvent(type, static_cast<std::uint32_t>(wParam), static_cast<std::uint32_t>(lParam),
                     key, pressure, point);
  return !alive.expired();
}

void Window::SendNotify(Control* control, EventType type, std::uint32_t wParam,
                        std::uint32_t lParam) {
  Send(control, type, wParam, lParam);
}

Control* Window::FindControlAt(const UiPoint& point) const {
  if (!root_) return nullptr;
  UiPoint p = point;
  return root_->FindControl(HitProc, &p, kFindVisible | kFindHitTest | kFindTopFirst);
}

// Mouse.

bool Window::UpdateHover(WPARAM wParam, LPARAM lParam) {
  Control* found = FindControlAt(lastMousePoint_);
  if (found && found->GetWindow() != this) return false;
  hover_ = found;
  if (eventHover_ == found) return true;
  if (eventHover_) {
    Control* old = eventHover_;
    eventHover_ = nullptr;
    if (!Send(old, kEventMouseLeave)) return false;
    HideToolTip();
  }
  if (hover_) {
    eventHover_ = hover_;
    if (!Send(eventHover_, kEventMouseEnter, wParam, lParam)) return false;
  }
  return true;
}

bool Window::OnMouseMove(WPARAM wParam, LPARAM lParam) {
  if (touchCaptured_ || pointerCaptured_) return true;
  if (!mouseLeaveArmed_ && lParam != -1) {
    TRACKMOUSEEVENT track{};
    track.cbSize = sizeof(track);
    track.dwFlags = TME_HOVER | TME_LEAVE;
    track.hwndTrack = hwnd_;
    track.dwHoverTime =
        tooltip_ ? static_cast<DWORD>(::SendMessageW(tooltip_, TTM_GETDELAYTIME, TTDT_INITIAL, 0))
                 : kHoverWithoutToolTip;
    ::TrackMouseEvent(&track);
    mouseLeaveArmed_ = true;
  }
  lastMousePoint_ = PointOf(lParam);
  const std::weak_ptr<kbase::WeakFlag> alive = WeakFlagOf();
  if (!UpdateHover(wParam, lParam)) return !alive.expired();
  Control* target = pushed_ ? pushed_ : hover_;
  return Send(target, kEventMouseMove, wParam, lParam);
}

bool Window::OnButtonDown(UINT message, WPARAM wParam, LPARAM lParam) {
  if (touchCaptured_ || pointerCaptured_) return true;
  ::SetFocus(hwnd_);
  lastMousePoint_ = PointOf(lParam);
  Control* control = FindControlAt(lastMousePoint_);
  if (!control || control->GetWindow() != this) return true;
  pushed_ = control;
  const std::weak_ptr<kbase::WeakFlag> alive = WeakFlagOf();
  const std::weak_ptr<kbase::WeakFlag> controlAlive = control->WeakFlagOf();
  control->SetFocus();
  if (alive.expired()) return false;
  if (controlAlive.expired()) return true;
  ::SetCapture(hwnd_);
  mouseCaptured_ = true;
  const EventType type = message == WM_LBUTTONDOWN     ? kEventButtonDown
                         : message == WM_LBUTTONDBLCLK ? kEventInternalButtonDown
                                                       : kEventRButtonDown;
  return Send(control, type, wParam, lParam);
}

bool Window::OnButtonUp(UINT message, WPARAM wParam, LPARAM lParam) {
  lastMousePoint_ = PointOf(lParam);
  ReleaseMouseCapture();
  if (!pushed_) return true;
  Control* control = pushed_;
  if (message == WM_LBUTTONUP) {
    pushed_ = nullptr;
    return Send(control, kEventButtonUp, wParam, lParam);
  }
  // The pushed control stays for the context menu that follows.
  return Send(control, kEventRButtonUp, wParam, lParam);
}

void Window::ReleaseMouseCapture() {
  if (mouseCaptured_) ::ReleaseCapture();
  mouseCaptured_ = false;
}

bool Window::OnMouseWheel(WPARAM wParam, LPARAM lParam) {
  POINT screen{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  ::ScreenToClient(hwnd_, &screen);
  lastMousePoint_ = UiPoint{screen.x, screen.y};
  Control* control = FindControlAt(lastMousePoint_);
  if (!control) return true;
  const int delta = GET_WHEEL_DELTA_WPARAM(wParam);
  return Send(control, kEventScrollWheel, static_cast<WPARAM>(delta), lParam, 0, UiPoint{0, 0});
}

bool Window::OnContextMenu(WPARAM wParam, LPARAM lParam) {
  POINT screen{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  ::ScreenToClient(hwnd_, &screen);
  lastMousePoint_ = UiPoint{screen.x, screen.y};
  if (!pushed_) return true;
  ReleaseMouseCapture();
  Control* control = pushed_;
  pushed_ = nullptr;
  return Send(control, kEventInternalMenu, wParam, lParam);
}

bool Window::OnMouseHover(LPARAM lParam) {
  const UiPoint point = PointOf(lParam);
  Control* control = FindControlAt(point);
  if (!control) return true;
  if (eventHover_ && !Send(eventHover_, kEventMouseHover, 0, lParam)) return false;
  // The hover handler may have removed the control.
  control = FindControlAt(point);
  if (control) ShowToolTip(control);
  return true;
}

void Window::OnMouseLeave() {
  HideToolTip();
  if (mouseLeaveArmed_) {
    mouseLeaveArmed_ = false;
    // Hover moves off every control.
    ::SendMessageW(hwnd_, WM_MOUSEMOVE, 0, static_cast<LPARAM>(-1));
  }
}

void Window::ShowToolTip(Control* control) {
  const std::wstring text = control->GetToolTipText();
  if (text.empty()) return;
  if (!tooltip_) {
    tooltip_ =
        ::CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                          CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_,
                          nullptr, ::GetModuleHandleW(nullptr), nullptr);
    if (!tooltip_) return;
    toolInfo_ = TOOLINFOW{};
    toolInfo_.cbSize = sizeof(TOOLINFOW);
    toolInfo_.uFlags = TTF_IDISHWND;
    toolInfo_.hwnd = hwnd_;
    toolInfo_.uId = reinterpret_cast<UINT_PTR>(hwnd_);
    toolInfo_.hinst = ::GetModuleHandleW(nullptr);
    ::SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&toolInfo_));
  }
  tooltipText_ = text;
  const UiRect r = control->GetPosition();
  toolInfo_.lpszText = const_cast<wchar_t*>(tooltipText_.c_str());
  toolInfo_.rect = RECT{r.left, r.top, r.right, r.bottom};
  ::SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, control->GetToolTipWidth());
  ::SendMessageW(tooltip_, TTM_SETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&toolInfo_));
  ::SendMessageW(tooltip_, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&toolInfo_));
}

void Window::HideToolTip() {
  if (tooltip_) {
    ::SendMessageW(tooltip_, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&toolInfo_));
  }
}

bool Window::OnSetCursor(bool* handled) {
  if (mouseCaptured_ || touchCaptured_ || pointerCaptured_) {
    *handled = true;
    return true;
  }
  // Where the cursor was for the message being handled; asking the system where it is now
  // costs a round trip to the display.
  const DWORD position = ::GetMessagePos();
  POINT cursor{GET_X_LPARAM(position), GET_Y_LPARAM(position)};
  ::ScreenToClient(hwnd_, &cursor);
  Control* control = FindControlAt(UiPoint{cursor.x, cursor.y});
  *handled = control != nullptr;
  return Send(control, kEventSetCursor);
}

// Touch and pointer.

bool Window::FocusForPress(Control* control, bool* controlGone) {
  ::SetFocus(hwnd_);
  const std::weak_ptr<kbase::WeakFlag> alive = WeakFlagOf();
  const std::weak_ptr<kbase::WeakFlag> controlAlive = control->WeakFlagOf();
  control->SetFocus();
  *controlGone = controlAlive.expired();
  return !alive.expired();
}

bool Window::OnTouch(WPARAM wParam, LPARAM lParam, bool* handled) {
  *handled = false;
  if (!touchRegistered_) return true;
  const UINT count = LOWORD(wParam);
  if (count == 0) return true;
  const HTOUCHINPUT input = reinterpret_cast<HTOUCHINPUT>(lParam);
  // As many records as the message announces: a fixed array would drop or overrun contacts.
  std::vector<TOUCHINPUT> inputs(count);
  if (!GetTouchInputs(input, count, inputs.data())) return true;
  // Read, the handle is ours to close; the default procedure must not see it again.
  CloseTouchInput(input);
  *handled = true;
  for (const TOUCHINPUT& touch : inputs) {
    if (!OnTouchPoint(touch)) return false;
  }
  return true;
}

bool Window::OnTouchPoint(const TOUCHINPUT& touch) {
  // Only the first finger down drives the controls, as the mouse does.
  if (!(touch.dwFlags & TOUCHEVENTF_PRIMARY)) return true;
  POINT client{TOUCH_COORD_TO_PIXEL(touch.x), TOUCH_COORD_TO_PIXEL(touch.y)};
  ::ScreenToClient(hwnd_, &client);
  const UiPoint point{client.x, client.y};
  if (touch.dwFlags & TOUCHEVENTF_DOWN) {
    lastTouchPoint_ = point;
    Control* control = FindControlAt(point);
    if (!control || control->GetWindow() != this) return true;
    bool controlGone = false;
    if (!FocusForPress(control, &controlGone)) return false;
    if (controlGone) return true;
    touchCaptured_ = control;
    return Send(control, kEventTouchDown, 0, 0, 0, point);
  }
  if (!touchCaptured_) return true;
  lastTouchPoint_ = point;
  if (touch.dwFlags & TOUCHEVENTF_MOVE)
    return Send(touchCaptured_, kEventTouchMove, 0, 0, 0, point);
  if (touch.dwFlags & TOUCHEVENTF_UP) {
    Control* control = touchCaptured_;
    touchCaptured_ = nullptr;
    return Send(control, kEventTouchUp, 0, 0, 0, point);
  }
  return true;
}

bool Window::OnPointer(UINT message, WPARAM wParam, LPARAM lParam, bool* handled) {
  *handled = false;
  if (!pointerInputEnabled_ || !(HIWORD(wParam) & kPointerFlagPrimary)) return true;
  const UINT32 id = LOWORD(wParam);
  DWORD kind = 0;
  if (!GetPointerKind(id, &kind)) return true;
  // A contact that reports no pressure presses fully.
  float pressure = 1.0f;
  if (kind == kPointerKindTouch) {
    PointerTouchInfo info{};
    if (!GetPointerTouchData(id, &info)) return true;
    if (info.touchMask & kTouchMaskPressure) {
      pressure = static_cast<float>(info.pressure) / kPointerFullPressure;
    }
  } else if (kind == kPointerKindPen) {
    PointerPenInfo info{};
    if (!GetPointerPenData(id, &info)) return true;
    if (info.penMask & kPenMaskPressure) {
      pressure = static_cast<float>(info.pressure) / kPointerFullPressure;
    }
  } else {
    // The mouse keeps to its own messages.
    return true;
  }
  POINT client{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  ::ScreenToClient(hwnd_, &client);
  const UiPoint point{client.x, client.y};
  if (message == kMessagePointerDown) {
    Control* control = FindControlAt(point);
    // A control that does not take pointer input gets the mouse messages the system makes
    // from the unhandled pointer message.
    if (!control || control->GetWindow() != this || !control->IsReceivePointer()) return true;
    *handled = true;
    bool controlGone = false;
    if (!FocusForPress(control, &controlGone)) return false;
    if (controlGone) return true;
    pointerCaptured_ = control;
    return Send(control, kEventPointerDown, wParam, lParam, 0, point, pressure);
  }
  if (!pointerCaptured_) return true;
  *handled = pointerCaptured_->IsReceivePointer();
  if (message == kMessagePointerUpdate) {
    return Send(pointerCaptured_, kEventPointerUpdate, wParam, lParam, 0, point, pressure);
  }
  Control* control = pointerCaptured_;
  pointerCaptured_ = nullptr;
  return Send(control, kEventPointerUp, wParam, lParam, 0, point, pressure);
}

// Keyboard and focus.

bool Window::OnKeyDown(WPARAM wParam, LPARAM lParam) {
  if (!focus_) return true;
  const bool tabIsOwn = focus_->WantsTab() && focus_->IsVisible() && focus_->IsEnabled();
  if (wParam == VK_TAB && !tabIsOwn) {
    MoveTabFocus((::GetKeyState(VK_SHIFT) & 0x8000) == 0);
    return true;
  }
  keyDown_ = focus_;
  return Send(focus_, kEventKeyDown, wParam, lParam, static_cast<wchar_t>(wParam), UiPoint{0, 0});
}

bool Window::OnKillFocus(LPARAM lParam) {
  (void)lParam;
  Control* captured = pointerCaptured_ ? pointerCaptured_
                      : touchCaptured_ ? touchCaptured_
                                       : pushed_;
  pointerCaptured_ = touchCaptured_ = pushed_ = nullptr;
  if (captured && captured->IsButtonUpOnFocusLoss()) {
    ReleaseMouseCapture();
    // Released away from every control: losing the focus ends a press, it never clicks.
    return Send(captured, kEventButtonUp, 0, 0, 0, kNowhere);
  }
  return true;
}

bool Window::OnClose() {
  if (eventHover_) {
    Control* control = eventHover_;
    eventHover_ = nullptr;
    if (!Send(control, kEventMouseLeave)) return false;
  }
  for (Control** captured : {&pushed_, &touchCaptured_, &pointerCaptured_}) {
    if (Control* control = *captured) {
      *captured = nullptr;
      if (!Send(control, kEventButtonUp)) return false;
    }
  }
  const std::weak_ptr<kbase::WeakFlag> alive = WeakFlagOf();
  SetFocusControl(nullptr);
  if (alive.expired()) return false;
  if (HWND owner = ::GetWindow(hwnd_, GW_OWNER)) ::SetFocus(owner);
  return true;
}

void Window::SetFocusControl(Control* control) {
  if (::GetFocus() != hwnd_ && control != focus_ && hwnd_) ::SetFocus(hwnd_);
  if (control == focus_) return;
  const std::weak_ptr<kbase::WeakFlag> alive = WeakFlagOf();
  if (Control* old = focus_) {
    focus_ = nullptr;
    const std::weak_ptr<kbase::WeakFlag> oldAlive = old->WeakFlagOf();
    if (!Send(old, kEventInternalKillFocus)) return;
    if (!oldAlive.expired() && !Send(old, kEventKillFocus)) return;
  }
  if (!control || control->GetWindow() != this || !control->IsVisible() || !control->IsEnabled()) {
    return;
  }
  focus_ = control;
  const std::weak_ptr<kbase::WeakFlag> controlAlive = control->WeakFlagOf();
  if (!Send(control, kEventInternalSetFocus)) return;
  if (!controlAlive.expired()) SendNotify(control, kEventSetFocus, 0, 0);
}

namespace {

// The walk of MoveTabFocus: every Tab stop in tree order, with the focused control.
struct TabSearch {
  Control* focused;
  bool forward;
  bool passed = false;
  Control* first = nullptr;
  Control* previous = nullptr;
  Control* last = nullptr;
  Control* found = nullptr;
};

Control* TabProc(Control* control, void* data) {
  auto* s = static_cast<TabSearch*>(data);
  if (control == s->focused) {
    if (!s->forward && s->previous) {
      s->found = s->previous;
      return control;
    }
    s->passed = true;
    return nullptr;
  }
  if (!control->CanTakeTabFocus()) return nullptr;
  if (!s->first) s->first = control;
  if (s->forward && s->passed) {
    s->found = control;
    return control;
  }
  s->previous = control;
  s->last = control;
  return nullptr;
}

}  // namespace

void Window::MoveTabFocus(bool forward) {
  if (!root_) return;
  if (needsLayout_ && forward) {
    // The Tab stops are not where they will be yet: the move waits for the layout.
    pendingTab_ = true;
    ::InvalidateRect(hwnd_, nullptr, FALSE);
    if (layered_) ::PostMessageW(hwnd_, WM_PAINT, 0, 0);
    return;
  }
  pendingTab_ = false;
  TabSearch search{focus_, forward};
  root_->FindControl(TabProc, &search, kFindVisible | kFindEnabled | kFindMeFirst);
  Control* next = search.found;
  if (!next) next = forward ? search.first : search.last;
  if (next) SetFocusControl(next);
}

}  // namespace ui

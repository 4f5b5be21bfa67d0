#include "ui/controls/c_combo_wnd.h"

#include <algorithm>

#include "ui/controls/combo.h"
#include "ui/controls/list_box.h"

namespace ui {

CComboWnd::~CComboWnd() {
  ReturnList();
}

bool CComboWnd::ShowDropDown(Combo* combo) {
  combo_ = combo;
  openedIndex_ = combo->GetCurSel();
  auto* owner = dynamic_cast<Window*>(combo->GetWindow());
  const HWND parent = owner ? owner->GetHWND() : nullptr;
  if (!parent) return false;
  const RECT rc = PlaceOnScreen(parent);
  const std::weak_ptr<kbase::WeakFlag> alive = WeakFlagOf();
  const HWND hwnd = CreateNativeWindow(parent, L"", WS_POPUP, WS_EX_TOOLWINDOW, true,
                                       UiRect{rc.left, rc.top, rc.right, rc.bottom});
  if (!hwnd || alive.expired()) return false;
  HWND top = hwnd;
  while (HWND up = ::GetParent(top)) top = up;
  ::ShowWindow(hwnd, SW_SHOW);
  // The keys move through the list while it is open.
  combo->GetListBox()->SetFocus();
  if (alive.expired()) return false;
  // The owner keeps its active caption while the pop-up has the focus.
  ::SendMessageW(top, WM_NCACTIVATE, TRUE, 0);
  return !alive.expired();
}

int CComboWnd::ContentHeight(int width) const {
  const int limit = combo_->GetDropBoxHeight();
  const ListBox* list = combo_->GetListBox();
  int sum = 0;
  for (Control* item : list->GetItems()) {
    if (!item->IsVisible()) continue;
    const int height = item->EstimateSize(UiSize{width, limit}).cy;
    // An item that stretches takes all the room there is.
    if (height < 0) return limit;
    sum += height;
  }
  return std::min(sum + 2, limit);
}

RECT CComboWnd::PlaceOnScreen(HWND comboWindow) const {
  UiRect rc = combo_->GetPosition(true);
  const UiPoint scroll = combo_->GetScrollOffsetInScrollBox();
  rc.Offset(-scroll.x, -scroll.y);
  const int width = combo_->GetDropBoxWidth();
  const int right = width >= 1 ? rc.left + width : rc.right;
  const int height = ContentHeight(right - rc.left);
  RECT below{rc.left, rc.bottom + 1, right, rc.bottom + 1 + height};
  ::MapWindowPoints(comboWindow, nullptr, reinterpret_cast<POINT*>(&below), 2);
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  ::GetMonitorInfoW(::MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &info);
  if (below.bottom <= info.rcWork.bottom && !combo_->IsPopupTop()) return below;
  RECT above{rc.left, rc.top - height, right, rc.top};
  ::MapWindowPoints(comboWindow, nullptr, reinterpret_cast<POINT*>(&above), 2);
  return above;
}

void CComboWnd::OnCreate() {
  InitWindow(GetHWND());
  auto* root = new Box();
  // The list is the combo's; the pop-up only borrows it.
  root->SetAutoDestroy(false);
  root->Add(combo_->GetListBox());
  GetShadow().SetAttached(false);
  AttachRoot(root);
  if (IControlWindow* owner = combo_->GetWindow()) {
    SetResourceSubFolder(owner->GetResourceSubFolder());
  }
}

void CComboWnd::ReturnList() {
  auto* root = dynamic_cast<Box*>(GetRoot());
  if (!root || root->GetCount() == 0) return;
  Control* list = root->GetItemAt(0);
  root->RemoveAt(0);
  list->AttachToWindow(nullptr, nullptr, false);
}

void CComboWnd::BeginClose() {
  closing_ = true;
  ::PostMessageW(GetHWND(), WM_CLOSE, 0, 0);
  if (combo_) combo_->SelectItem(combo_->GetListBox()->GetCurSel());
  ReturnList();
}

void CComboWnd::ReleaseCombo() {
  ReturnList();
  combo_ = nullptr;
  if (closing_) return;
  closing_ = true;
  ::ShowWindow(GetHWND(), SW_HIDE);
  ::PostMessageW(GetHWND(), WM_CLOSE, 0, 0);
}

LRESULT CComboWnd::HandleNativeMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  const HWND hwnd = GetHWND();
  switch (message) {
    case WM_CREATE:
      OnCreate();
      return 0;
    case WM_KILLFOCUS:
      if (!closing_ && reinterpret_cast<HWND>(wParam) != hwnd) BeginClose();
      break;
    case WM_CLOSE:
      if (combo_) {
        combo_->AttachToWindow(combo_->GetWindow(), combo_->GetParent(), false);
        combo_->SetPosition(combo_->GetPosition());
        const std::weak_ptr<kbase::WeakFlag> alive = WeakFlagOf();
        combo_->SetFocus();
        if (alive.expired()) return 0;
      }
      break;
    default:
      break;
  }
  // Once closing, the framework keeps out of what is left of the pop-up's life.
  if (closing_) return ::DefWindowProcW(hwnd, message, wParam, lParam);
  return Window::HandleNativeMessage(message, wParam, lParam);
}

void CComboWnd::OnFinalMessage(HWND hwnd) {
  ReturnList();
  if (combo_) {
    combo_->DropDownClosed();
    combo_->Invalidate();
  }
  Window::OnFinalMessage(hwnd);
  delete this;
}

}  // namespace ui

#include "ui/controls/list_box.h"

#include <windows.h>

#include <algorithm>

#include "ui/controls/list_container_element.h"
#include "ui/controls/scroll_bar.h"
#include "ui/core/tree/attribute_values.h"
#include "ui/core/tree/i_control_window.h"

namespace ui {

ListBox::ListBox(Layout* layout) : ScrollableBox(layout) {}

void ListBox::SetAttribute(const std::wstring& name, const std::wstring& value) {
  if (name == L"scrollselect") {
    SetScrollSelect(ParseBoolValue(value));
  } else {
    ScrollableBox::SetAttribute(name, value);
  }
}

// Selection.

ListContainerElement* ListBox::GetSelectableItem(int index) const {
  auto* item = dynamic_cast<ListContainerElement*>(GetItemAt(index));
  if (!item || !item->IsVisible() || !item->IsEnabled()) return nullptr;
  return item;
}

int ListBox::FindSelectableItem(int index, bool forward) const {
  const int count = GetCount();
  if (count == 0) return -1;
  index = std::clamp(index, 0, count - 1);
  if (forward) {
    for (int i = index; i < count; ++i) {
      if (GetSelectableItem(i)) return i;
    }
    return -1;
  }
  for (int i = index; i >= 0; --i) {
    if (GetSelectableItem(i)) return i;
  }
  return FindSelectableItem(0, true);
}

bool ListBox::SelectItem(int index, bool takeFocus, bool sendEvent) {
  // A target that cannot be selected leaves the selection as it is; only a negative index
  // clears it.
  ListContainerElement* item = index < 0 ? nullptr : GetSelectableItem(index);
  if (index >= 0 && !item) return false;
  const std::weak_ptr<kbase::WeakFlag> alive = WeakFlagOf();
  const int old = currentIndex_;
  currentIndex_ = -1;
  if (auto* previous = dynamic_cast<ListContainerElement*>(GetItemAt(old))) {
    previous->SetSelectedState(false, sendEvent);
    if (alive.expired()) return false;
  }
  if (!item) return false;
  // An unselect handler may have changed the children.
  if (GetSelectableItem(index) != item) return false;
  currentIndex_ = index;
  const std::weak_ptr<kbase::WeakFlag> itemAlive = item->WeakFlagOf();
  item->SetSelectedState(true, sendEvent);
  if (alive.expired()) return false;
  if (!itemAlive.expired()) {
    EnsureVisible(item->GetPosition());
    if (takeFocus) item->SetFocus();
  }
  if (alive.expired()) return false;
  if (window_ && sendEvent) {
    window_->SendNotify(this, kEventSelect, static_cast<std::uint32_t>(index),
                        static_cast<std::uint32_t>(old));
  }
  return true;
}

void ListBox::EnsureVisible(const UiRect& rect) {
  const UiSize scroll = GetScrollPos();
  UiRect r = rect;
  r.Offset(-scroll.cx, -scroll.cy);
  const UiRect padding = layout_->GetPadding();
  UiRect view{rect_.left + padding.left, rect_.top + padding.top, rect_.right - padding.right,
              rect_.bottom - padding.bottom};
  ScrollBar* hbar = GetHorizontalScrollBar();
  if (hbar && hbar->IsVisible()) view.bottom -= hbar->GetFixedHeight();
  if (r.left >= view.left && r.top >= view.top && r.right <= view.right &&
      r.bottom <= view.bottom) {
    // A list inside an item of an outer list: the outer one brings the item into view.
    auto* outerItem = dynamic_cast<ListContainerElement*>(GetParent());
    if (outerItem && outerItem->GetOwner()) outerItem->GetOwner()->EnsureVisible(r);
    return;
  }
  int dx = 0;
  if (r.left < view.left) dx = r.left - view.left;
  if (r.right > view.right) dx = r.right - view.right;
  int dy = 0;
  if (r.top < view.top) dy = r.top - view.top;
  if (r.bottom > view.bottom) dy = r.bottom - view.bottom;
  SetScrollPos(UiSize{scroll.cx + dx, scroll.cy + dy});
}

void ListBox::StopScroll() {
  GetScrollAnimation().Stop();
}

void ListBox::DispatchEvent(EventArgs* args) {
  ScrollableBox::DispatchEvent(args);
}

bool ListBox::ScrollItemToTop(const std::wstring& name) {
  Control* found = nullptr;
  for (Control* child : items_) {
    if (child->GetName() == name) {
      found = child;
      break;
    }
  }
  if (!found || GetScrollRange().cy == 0) return false;
  const int d = found->GetPosition().top - (rect_.top + layout_->GetPadding().top);
  if (d < 0) return false;
  SetScrollPos(UiSize{GetScrollPos().cx, d});
  return true;
}

Control* ListBox::GetTopItem() {
  const int top = rect_.top + layout_->GetPadding().top + GetScrollPos().cy;
  for (Control* child : items_) {
    if (child->IsVisible() && !child->IsFloat() && child->GetPosition().bottom >= top) {
      return child;
    }
  }
  return nullptr;
}

// Input.

bool ListBox::HandleSelectionKey(std::uint32_t key) {
  int target = -1;
  switch (key) {
    case VK_HOME:
      target = FindSelectableItem(0, false);
      break;
    case VK_END:
      // The last item that can be selected, even when a hidden or disabled child follows.
      target = FindSelectableItem(GetCount() - 1, false);
      break;
    case VK_UP:
      target = FindSelectableItem(currentIndex_ - 1, false);
      break;
    case VK_DOWN:
      target = FindSelectableItem(currentIndex_ + 1, true);
      break;
    default:
      return false;
  }
  // Nothing selectable that way: the selection stays.
  if (target >= 0) SelectItem(target, true, true);
  return true;
}

void ListBox::HandleEvent(EventArgs* args) {
  if (PassOnDisabledMouse(args)) return;
  switch (args->type) {
    case kEventKeyDown:
      if (HandleSelectionKey(args->wParam)) return;
      break;
    case kEventButtonDown:
    case kEventButtonUp:
      return;
    case kEventScrollWheel:
      if (scrollSelect_) {
        HandleSelectionKey(static_cast<int>(args->wParam) > 0 ? VK_UP : VK_DOWN);
        return;
      }
      break;
    default:
      break;
  }
  ScrollableBox::HandleEvent(args);
}

bool ListBox::ButtonDown(EventArgs* args) {
  const bool result = ScrollableBox::ButtonDown(args);
  StopScroll();
  return result;
}

// Children.

void ListBox::RenumberItems(int first, int last) {
  first = std::max(first, 0);
  last = std::min(last, GetCount() - 1);
  for (int i = first; i <= last; ++i) {
    if (auto* item = dynamic_cast<ListContainerElement*>(items_[i])) item->SetIndex(i);
  }
}

bool ListBox::Add(Control* child) {
  auto* item = dynamic_cast<ListContainerElement*>(child);
  if (item && CanAdopt(child)) {
    item->SetOwner(this);
    item->SetIndex(GetCount());
  }
  return ScrollableBox::Add(child);
}

bool ListBox::AddAt(Control* child, int index) {
  if (!ScrollableBox::AddAt(child, index)) return false;
  // Unlike a plain box, every item keeps its index and owner wherever it is inserted.
  if (auto* item = dynamic_cast<ListContainerElement*>(child)) item->SetOwner(this);
  RenumberItems(index, GetCount() - 1);
  if (currentIndex_ >= index) ++currentIndex_;
  return true;
}

bool ListBox::SetItemIndex(Control* child, int index) {
  const int old = GetItemIndex(child);
  if (old < 0) return false;
  if (old == index) return true;
  Control* selected = GetItemAt(currentIndex_);
  if (!ScrollableBox::SetItemIndex(child, index)) return false;
  RenumberItems(std::min(old, index), std::max(old, index));
  if (currentIndex_ >= 0) currentIndex_ = GetItemIndex(selected);
  return true;
}

bool ListBox::Remove(Control* child) {
  const int index = GetItemIndex(child);
  return index >= 0 && ListBox::RemoveAt(index);
}

bool ListBox::RemoveAt(int index) {
  Control* child = GetItemAt(index);
  if (!child) return false;
  // A removed item that lives on (a list that does not destroy its children) no longer
  // selects through this list.
  if (auto* item = dynamic_cast<ListContainerElement*>(child)) {
    item->SetOwner(nullptr);
    item->SetIndex(-1);
  }
  if (!ScrollableBox::Remove(child)) return false;
  RenumberItems(index, GetCount() - 1);
  if (index == currentIndex_) {
    // The selected item is gone: nothing is selected until its neighbour is, so no other
    // item is told it was unselected and the notification's old index is -1.
    currentIndex_ = -1;
    if (selectNeighbourOnRemove_) {
      // The neighbour is scrolled into view where it lies now, not where it lay before.
      if (window_ && !rect_.IsEmpty()) SetPosition(rect_);
      SelectItem(FindSelectableItem(index, false), false, true);
    }
  } else if (index < currentIndex_) {
    --currentIndex_;
  }
  return true;
}

void ListBox::RemoveAll() {
  currentIndex_ = -1;
  ScrollableBox::RemoveAll();
}

}  // namespace ui

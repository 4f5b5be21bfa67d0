#include "ui/controls/virtual_list_box.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>

#include "ui/controls/list_data_source.h"
#include "ui/controls/scroll_bar.h"
#include "ui/controls/virtual_layout.h"

namespace ui {

VirtualListBox::VirtualListBox() : ListBox(new VirtualLayout()) {
  // Position, range and the previous position are read from the vertical bar.
  EnableScrollBar(true, false);
}

int VirtualListBox::GetDataCount() const {
  return dataSource_ ? std::max(dataSource_->GetItemCount(), 0) : 0;
}

int VirtualListBox::GetContentHeight() const {
  const int64_t height = static_cast<int64_t>(GetDataCount()) * std::max(itemHeight_, 0);
  return static_cast<int>(std::min<int64_t>(height, kMaxContentHeight));
}

int VirtualListBox::ScrollY() const {
  return GetScrollPos().cy;
}

void VirtualListBox::InitItems(int count) {
  poolSize_ = std::max(count, 0);
  const int wanted = std::min(poolSize_, GetDataCount());
  while (GetCount() > wanted) RemoveAt(GetCount() - 1);
  while (GetCount() < wanted) {
    Control* item = dataSource_->CreateItem();
    if (!item || !Add(item)) {
      delete item;
      return;
    }
  }
  for (int i = 0; i < wanted; ++i) dataSource_->FillItem(items_[i], i);
}

void VirtualListBox::Refresh() {
  const int rows = GetDataCount();
  const int n = GetCount();
  if (rows < n) {
    for (int i = 0; i < n - rows; ++i) RemoveAt(0);
  } else if (n < rows) {
    for (int i = n; i < std::min(poolSize_, rows); ++i) {
      Control* item = dataSource_->CreateItem();
      if (!item || !Add(item)) {
        delete item;
        break;
      }
    }
  }
  if (GetCount() < rows) {
    RearrangeItems(true);
    Relayout();
    return;
  }
  if (n == poolSize_) layout_->ArrangeChildren(items_, rect_);
  for (int i = 0; i < GetCount(); ++i) dataSource_->FillItem(items_[i], i);
}

void VirtualListBox::SetPosition(const UiRect& rect) {
  const bool changed = !(rect == rect_);
  ListBox::SetPosition(rect);
  if (changed && GetCount() < GetDataCount()) RearrangeItems(true);
}

void VirtualListBox::SetScrollPos(UiSize position) {
  if (ScrollBar* bar = GetVerticalScrollBar()) {
    previousScrollY_ = static_cast<int>(bar->GetScrollPos());
  }
  ListBox::SetScrollPos(position);
  if (GetCount() < GetDataCount()) RearrangeItems(false);
}

void VirtualListBox::RemoveAll() {
  ListBox::RemoveAll();
  ScrollBar* bar = GetVerticalScrollBar();
  if (bar && bar->GetScrollPos() != 0) {
    bar->SetScrollPos(0);
    bar->SetPosition(bar->GetPosition());
  }
  previousScrollY_ = 0;
  firstArrangeDone_ = false;
}

bool VirtualListBox::NeedsRearrange(int* direction) {
  *direction = -1;
  if (!firstArrangeDone_) {
    firstArrangeDone_ = true;
    return true;
  }
  const int n = GetCount();
  if (n <= 0 || GetDataCount() <= n || rect_.Width() <= 0) return false;
  const int p = ScrollY();
  if (p >= previousScrollY_) {
    // The last pooled row ends above the bottom of the view.
    if (items_.back()->GetPosition().bottom - rect_.bottom - p < 0) {
      *direction = 1;
      return true;
    }
    return false;
  }
  // The first pooled row starts below the top of the view.
  return p < items_.front()->GetPosition().top - rect_.top;
}

void VirtualListBox::PlaceItem(int child, int row, const UiRect& area) {
  const int top = area.top + row * itemHeight_;
  items_[child]->SetPosition(UiRect{area.left, top, area.right, top + itemHeight_});
  if (row >= 0 && row < GetDataCount()) dataSource_->FillItem(items_[child], row);
}

void VirtualListBox::RearrangeItems(bool force) {
  // Without a height there is no row to place anything at.
  if (itemHeight_ <= 0 || !dataSource_) return;
  int direction = -1;
  if (!force && !NeedsRearrange(&direction)) return;
  const int top = ScrollY() / itemHeight_;
  const UiRect area = rect_;
  const int n = GetCount();
  if (direction == 1) {
    for (int i = 0; i < n; ++i) PlaceItem(i, top + i, area);
    return;
  }
  const int rows = area.Height() / itemHeight_;
  // Spare items above the view; a pool too small for the view has none.
  const int spare = std::max(n - rows - 1, 0);
  for (int j = spare - 1; j >= 0; --j) PlaceItem(j, top - (spare - j), area);
  for (int j = spare; j < n; ++j) PlaceItem(j, top + (j - spare), area);
}

void VirtualListBox::HandleEvent(EventArgs* args) {
  const int type = args->type;
  const bool mouse = type >= kEventMouseFirst && type <= kEventMouseLast;
  if (!mouse && type == kEventKeyDown) {
    switch (args->wParam) {
      case VK_END:
        SetScrollPosY(GetScrollRange().cy);
        return;
      case VK_HOME:
        SetScrollPosY(0);
        return;
      case VK_UP:
      case VK_DOWN:
        OnArrowKeyDown(static_cast<int>(args->wParam));
        return;
      default:
        break;
    }
  }
  if (type == kEventKeyUp && (args->wParam == VK_UP || args->wParam == VK_DOWN)) {
    OnArrowKeyUp(static_cast<int>(args->wParam));
    return;
  }
  ListBox::HandleEvent(args);
}

}  // namespace ui

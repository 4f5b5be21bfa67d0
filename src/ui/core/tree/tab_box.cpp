#include "ui/core/tree/tab_box.h"

#include "ui/core/tree/attribute_values.h"

namespace ui {

void TabBox::SetAttribute(const std::wstring& name, const std::wstring& value) {
  if (name == L"selectedid") {
    selectedIndex_ = ParseIntValue(value);
  } else if (name == L"fadeswitch") {
    fadeSwitch_ = ParseBoolValue(value);
  } else {
    Box::SetAttribute(name, value);
  }
}

bool TabBox::Add(Control* child) {
  if (!Box::Add(child)) return false;
  const int index = GetCount() - 1;
  if (selectedIndex_ == -1 && child->IsVisible()) selectedIndex_ = index;
  if (index != selectedIndex_ || !child->IsVisible()) HidePage(child);
  return true;
}

bool TabBox::AddAt(Control* child, int index) {
  if (!Box::AddAt(child, index)) return false;
  if (selectedIndex_ == -1 && child->IsVisible()) {
    selectedIndex_ = index;
  } else if (selectedIndex_ < index) {
    HidePage(child);
  } else {
    ++selectedIndex_;
  }
  return true;
}

bool TabBox::Remove(Control* child) {
  const int index = GetItemIndex(child);
  if (!Box::Remove(child)) return false;
  if (index == selectedIndex_) {
    if (GetCount() == 0) {
      selectedIndex_ = -1;
    } else {
      selectedIndex_ = 0;
      ShowPage(GetItemAt(0));
    }
    Relayout();
  } else if (index < selectedIndex_) {
    --selectedIndex_;
  }
  return true;
}

void TabBox::RemoveAll() {
  selectedIndex_ = -1;
  Box::RemoveAll();
  Relayout();
}

bool TabBox::SelectItem(int index) {
  Control* page = GetItemAt(index);
  if (!page) return false;
  if (index == selectedIndex_) return true;
  if (Control* old = GetItemAt(selectedIndex_)) HidePage(old);
  selectedIndex_ = index;
  ShowPage(page);
  Relayout();
  return true;
}

void TabBox::ShowPage(Control* page) {
  if (!fadeSwitch_) page->SetFadeVisible(true);
  page->SetMouseEnabled(true);
  if (Box* box = dynamic_cast<Box*>(page)) box->SetMouseChildEnabled(true);
  page->SetAlpha(255);
  page->Invalidate();
}

void TabBox::HidePage(Control* page) {
  if (!fadeSwitch_) page->SetFadeVisible(false);
  page->SetMouseEnabled(false);
  if (Box* box = dynamic_cast<Box*>(page)) box->SetMouseChildEnabled(false);
  page->SetAlpha(0);
  page->Invalidate();
}

}  // namespace ui

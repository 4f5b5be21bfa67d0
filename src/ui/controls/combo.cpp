#include "ui/controls/combo.h"

#include "ui/controls/c_combo_wnd.h"
#include "ui/controls/list_box.h"
#include "ui/controls/list_container_element.h"
#include "ui/core/resources/dpi_scaler.h"
#include "ui/core/resources/ui_registry.h"
#include "ui/core/tree/attribute_values.h"
#include "ui/core/tree/v_layout.h"
#include "ui/render/i_render_context.h"

namespace ui {

namespace {

constexpr UiRect kListInsets{1, 1, 1, 1};

}  // namespace

Combo::Combo() : listBox_(new ListBox(new VLayout())) {
  listBox_->GetLayout()->SetPadding(kListInsets, true);
  listBox_->SetBorderSize(kListInsets, true);
  // Items taken out of the combo belong to whoever took them.
  listBox_->SetAutoDestroy(false);
  listBox_->EnableScrollBar(true, false);
  listBox_->ApplyAttributeList(dropBoxAttributes_);
  listBox_->AttachEvent(kEventSelect,
                        MakeWeak([this](EventArgs* args) { return OnSelectItem(args); }));
}

Combo::~Combo() {
  if (dropDownWindow_) dropDownWindow_->ReleaseCombo();
  dropDownWindow_ = nullptr;
  // The items still in the list go with the combo.
  listBox_->SetAutoDestroy(true);
}

CComboWnd* Combo::MakeDropDownWindow() {
  return new CComboWnd();
}

void Combo::Activate() {
  if (!IsActivatable() || dropDownWindow_) return;
  CComboWnd* popup = MakeDropDownWindow();
  dropDownWindow_ = popup;
  const std::weak_ptr<kbase::WeakFlag> self = WeakFlagOf();
  const std::weak_ptr<kbase::WeakFlag> popupAlive = popup->WeakFlagOf();
  if (!popup->ShowDropDown(this)) {
    // Nothing was opened: the combo can open again.
    if (!popupAlive.expired()) delete popup;
    if (!self.expired()) dropDownWindow_ = nullptr;
    return;
  }
  if (self.expired()) return;
  const UiPoint point = popupAlive.expired() ? UiPoint{} : popup->GetLastMousePoint();
  SendEvent(kEventClick, 0, 0, 0, 0.0f, point);
  if (!self.expired()) Invalidate();
}

bool Combo::OnSelectItem(EventArgs*) {
  CComboWnd* popup = dropDownWindow_;
  if (popup) ::PostMessageW(popup->GetHWND(), WM_KILLFOCUS, 0, 0);
  currentIndex_ = listBox_->GetCurSel();
  if (Control* item = listBox_->GetItemAt(currentIndex_)) {
    // It must not look hovered when the list opens again.
    item->SetState(ControlState::kNormal);
    item->SetHotAlpha(0);
    item->Invalidate();
  }
  if (popup) {
    SendEvent(kEventSelect, static_cast<std::uint32_t>(currentIndex_),
              static_cast<std::uint32_t>(-1), 0, 0.0f, popup->GetLastMousePoint());
  }
  return true;
}

std::wstring Combo::GetText() const {
  auto* item = dynamic_cast<ListContainerElement*>(listBox_->GetItemAt(currentIndex_));
  return item ? item->GetText() : std::wstring();
}

bool Combo::SelectItem(int index) {
  if (index < 0 || index >= listBox_->GetCount() || index == currentIndex_) return false;
  currentIndex_ = index;
  listBox_->SelectItem(index, false, false);
  return true;
}

void Combo::SetDropBoxSize(int width, int height) {
  const DpiScaler& scaler = UiRegistry::GetDpiScaler();
  dropBoxWidth_ = scaler.ScaleLength(width);
  dropBoxHeight_ = scaler.ScaleLength(height);
}

void Combo::SetAttribute(const std::wstring& name, const std::wstring& value) {
  if (name == L"dropbox") {
    dropBoxAttributes_ = value;
    listBox_->ApplyAttributeList(value);
  } else if (name == L"vscrollbar") {
    // The drop-down list always scrolls vertically.
  } else if (name == L"dropboxsize") {
    const UiSize size = ParseSizeValue(value);
    SetDropBoxSize(size.cx, size.cy);
  } else if (name == L"popuptop") {
    popupTop_ = ParseBoolValue(value);
  } else {
    Box::SetAttribute(name, value);
  }
}

void Combo::PaintText(IRenderContext& context) {
  auto* item = dynamic_cast<ListContainerElement*>(listBox_->GetItemAt(currentIndex_));
  if (!item || !item->GetOwner()) return;
  const std::wstring text = GetText();
  if (text.empty()) return;
  const UiRect padding = item->GetTextPadding();
  const UiRect rect{rect_.left + padding.left, rect_.top + padding.top, rect_.right - padding.right,
                    rect_.bottom - padding.bottom};
  const UiColor color = UiRegistry::GetTextColor(item->GetStateTextColor(ControlState::kNormal));
  context.PaintText(rect, text, color, item->GetFont(),
                    kTextEndEllipsis | kTextSingleLine | kTextVCenter, 255, false);
}

int Combo::GetCount() const {
  return listBox_->GetCount();
}

bool Combo::Add(Control* item) {
  if (!listBox_->Add(item)) return false;
  // In the pop-up a pen or a finger chooses an item.
  item->SetReceivePointer(true);
  currentIndex_ = listBox_->GetCurSel();
  return true;
}

bool Combo::Remove(Control* item) {
  const bool removed = listBox_->Remove(item);
  currentIndex_ = listBox_->GetCurSel();
  return removed;
}

bool Combo::RemoveAt(int index) {
  const bool removed = listBox_->RemoveAt(index);
  currentIndex_ = listBox_->GetCurSel();
  return removed;
}

void Combo::RemoveAll() {
  listBox_->RemoveAll();
  currentIndex_ = -1;
}

}  // namespace ui

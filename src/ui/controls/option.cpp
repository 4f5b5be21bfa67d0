#include "ui/controls/option.h"

#include <memory>
#include <utility>
#include <vector>

#include "ui/core/tree/i_control_window.h"

namespace ui {

template <typename Base>
OptionTemplate<Base>::~OptionTemplate() {
  if (IControlWindow* window = this->GetWindow()) {
    if (!group_.empty()) window->RemoveOptionGroup(group_, this);
  }
}

template <typename Base>
void OptionTemplate<Base>::AttachToWindow(IControlWindow* window, Box* parent, bool init) {
  IControlWindow* old = this->GetWindow();
  if (old && old != window && !group_.empty()) old->RemoveOptionGroup(group_, this);
  CheckBoxTemplate<Base>::AttachToWindow(window, parent, init);
  if (init && window && !group_.empty()) window->AddOptionGroup(group_, this);
}

template <typename Base>
void OptionTemplate<Base>::SetGroup(const std::wstring& group) {
  if (group == group_) return;
  IControlWindow* window = this->GetWindow();
  if (window && !group_.empty()) window->RemoveOptionGroup(group_, this);
  group_ = group;
  if (window && !group_.empty()) window->AddOptionGroup(group_, this);
  // A selected option that joins a group unselects the others there.
  SetSelected(this->selected_, true);
}

template <typename Base>
void OptionTemplate<Base>::UnselectOthers(bool sendEvent) {
  IControlWindow* window = this->GetWindow();
  const std::vector<Control*>* members = window->GetOptionGroup(group_);
  if (!members) return;
  // Handlers may regroup or destroy options while the group is walked: a copy with a
  // liveness flag for each member.
  std::vector<std::pair<Control*, std::weak_ptr<kbase::WeakFlag>>> snapshot;
  snapshot.reserve(members->size());
  for (Control* member : *members) snapshot.emplace_back(member, member->WeakFlagOf());
  for (auto& [member, alive] : snapshot) {
    if (member == this || alive.expired()) continue;
    if (auto* option = dynamic_cast<OptionTemplate<Control>*>(member)) {
      option->SetSelected(false, sendEvent);
    } else if (auto* optionBox = dynamic_cast<OptionTemplate<Box>*>(member)) {
      optionBox->SetSelected(false, sendEvent);
    }
  }
}

template <typename Base>
void OptionTemplate<Base>::SetSelected(bool selected, bool sendEvent) {
  const bool wasSelected = this->selected_;
  this->selected_ = selected;
  IControlWindow* window = this->GetWindow();
  if (!window) {
    this->Invalidate();
    return;
  }
  const std::weak_ptr<kbase::WeakFlag> alive = this->WeakFlagOf();
  if (selected) {
    if (!group_.empty()) UnselectOthers(sendEvent);
    if (alive.expired()) return;
    if (sendEvent) this->SendEvent(kEventSelect);
  } else if (wasSelected && sendEvent) {
    // Only an option that was selected is told it no longer is, and only when asked to tell.
    this->SendEvent(kEventUnselect);
  }
  if (!alive.expired()) this->Invalidate();
}

template <typename Base>
void OptionTemplate<Base>::Activate() {
  const std::weak_ptr<kbase::WeakFlag> alive = this->WeakFlagOf();
  ButtonTemplate<Base>::Activate();
  if (alive.expired() || !this->IsActivatable()) return;
  SetSelected(true, true);
}

template <typename Base>
void OptionTemplate<Base>::SetAttribute(const std::wstring& name, const std::wstring& value) {
  if (name == L"group") {
    SetGroup(value);
  } else {
    CheckBoxTemplate<Base>::SetAttribute(name, value);
  }
}

template class OptionTemplate<Control>;
template class OptionTemplate<Box>;

}  // namespace ui

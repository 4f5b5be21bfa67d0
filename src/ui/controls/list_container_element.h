#pragma once

#include "ui/controls/option.h"

namespace ui {

class IListOwner;

// An item of a list: a box with text, state images and a selected look that its list
// selects, one item at a time. Selecting it goes through the list; it cannot unselect
// itself.
class ListContainerElement : public OptionTemplate<Box> {
 public:
  ListContainerElement();

  int GetIndex() const { return index_; }
  void SetIndex(int index) { index_ = index; }
  IListOwner* GetOwner() const { return listOwner_; }
  void SetOwner(IListOwner* owner) { listOwner_ = owner; }

  // The option's own selection, without asking the list; the list uses it.
  void SetSelectedState(bool selected, bool sendEvent) {
    OptionTemplate<Box>::SetSelected(selected, sendEvent);
  }

  void SetFadeVisible(bool visible) override;
  void HandleEvent(EventArgs* args) override;
  void SetSelected(bool selected, bool sendEvent = true) override;

 private:
  void SendDoubleClick();

  int index_ = -1;
  IListOwner* listOwner_ = nullptr;
};

}  // namespace ui

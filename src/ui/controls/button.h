#pragma once

#include "ui/controls/label.h"

namespace ui {

// A label that is clicked: a click event on activation by the mouse, or by space or return
// while it has the keyboard focus.
template <typename Base>
class ButtonTemplate : public LabelTemplate<Base> {
 public:
  ButtonTemplate();

  void Activate() override;
  void HandleEvent(EventArgs* args) override;
  bool CanTakeTabFocus() const override;
  bool IsClickTarget() const override { return true; }
};

using Button = ButtonTemplate<Control>;
using ButtonBox = ButtonTemplate<Box>;

extern template class ButtonTemplate<Control>;
extern template class ButtonTemplate<Box>;

}  // namespace ui

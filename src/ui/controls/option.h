#pragma once

#include <string>

#include "ui/controls/check_box.h"

namespace ui {

// A check box that is one of a named group in its window: selecting it unselects the others.
template <typename Base>
class OptionTemplate : public CheckBoxTemplate<Base> {
 public:
  ~OptionTemplate() override;

  const std::wstring& GetGroup() const { return group_; }
  void SetGroup(const std::wstring& group);

  void SetSelected(bool selected, bool sendEvent = true) override;
  void Activate() override;
  void AttachToWindow(IControlWindow* window, Box* parent, bool init) override;
  void SetAttribute(const std::wstring& name, const std::wstring& value) override;

 private:
  void UnselectOthers(bool sendEvent);

  std::wstring group_;
};

using Option = OptionTemplate<Control>;
using OptionBox = OptionTemplate<Box>;

extern template class OptionTemplate<Control>;
extern template class OptionTemplate<Box>;

}  // namespace ui

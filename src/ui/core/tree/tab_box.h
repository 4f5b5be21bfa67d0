#pragma once

#include "ui/core/tree/box.h"

namespace ui {

// Shows one child, the selected page, at a time; the others stay in the box hidden.
class TabBox : public Box {
 public:
  void SetAttribute(const std::wstring& name, const std::wstring& value) override;
  bool Add(Control* child) override;
  bool AddAt(Control* child, int index) override;
  bool Remove(Control* child) override;
  void RemoveAll() override;

  int GetCurSel() const { return selectedIndex_; }
  // Shows the page at the index and hides the one shown before; false when there is no
  // such page.
  bool SelectItem(int index);
  bool IsFadeSwitch() const { return fadeSwitch_; }
  void SetFadeSwitch(bool fadeSwitch) { fadeSwitch_ = fadeSwitch; }

 private:
  void ShowPage(Control* page);
  void HidePage(Control* page);

  int selectedIndex_ = -1;
  bool fadeSwitch_ = false;
};

}  // namespace ui

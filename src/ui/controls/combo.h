#pragma once

#include <memory>
#include <string>

#include "ui/core/tree/box.h"

namespace ui {

class CComboWnd;
class ListBox;

// A drop-down selector: shows the text of its selected item and, when activated, opens a
// pop-up window under (or above) itself with its items in a list. Choosing an item closes
// the pop-up and sends "select". Controls added to the combo become items of its list.
class Combo : public Box {
 public:
  static constexpr int kDefaultDropBoxHeight = 150;

  Combo();
  ~Combo() override;

  // The selected item's text; empty when nothing (or no list item) is selected.
  std::wstring GetText() const;
  // Selects without an event or a repaint; false for an index out of range or the current
  // one.
  bool SelectItem(int index);
  int GetCurSel() const { return currentIndex_; }
  // 0 or less for the width keeps the combo's width; the height is the pop-up's largest.
  void SetDropBoxSize(int width, int height);
  int GetDropBoxWidth() const { return dropBoxWidth_; }
  int GetDropBoxHeight() const { return dropBoxHeight_; }
  bool IsPopupTop() const { return popupTop_; }
  ListBox* GetListBox() const { return listBox_.get(); }
  CComboWnd* GetDropDownWindow() const { return dropDownWindow_; }

  void Activate() override;
  void SetAttribute(const std::wstring& name, const std::wstring& value) override;
  void PaintText(IRenderContext& context) override;
  int GetCount() const override;
  bool Add(Control* item) override;
  bool Remove(Control* item) override;
  bool RemoveAt(int index) override;
  void RemoveAll() override;

 protected:
  // The pop-up for one opening; tests make one that fails.
  virtual CComboWnd* MakeDropDownWindow();

 private:
  friend class CComboWnd;

  bool OnSelectItem(EventArgs* args);
  void DropDownClosed() { dropDownWindow_ = nullptr; }

  CComboWnd* dropDownWindow_ = nullptr;
  std::unique_ptr<ListBox> listBox_;
  int currentIndex_ = -1;
  int dropBoxWidth_ = 0;
  int dropBoxHeight_ = kDefaultDropBoxHeight;
  std::wstring dropBoxAttributes_;
  bool popupTop_ = false;
};

}  // namespace ui

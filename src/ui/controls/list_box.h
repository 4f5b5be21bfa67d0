#pragma once

#include <cstdint>
#include <string>

#include "ui/controls/i_list_owner.h"
#include "ui/controls/scrollable_box.h"

namespace ui {

class ListContainerElement;

// A scrollable box of list items that keeps one of them selected: the keys, the wheel
// (with "scrollselect") and the items' own activation move the selection, the list keeps
// the items' indexes as children come and go, scrolls the selected item into view and
// sends "select" with the new and the old index.
class ListBox : public ScrollableBox, public IListOwner {
 public:
  // The list takes the layout; none gives the base layout.
  explicit ListBox(Layout* layout = nullptr);

  bool IsScrollSelect() const { return scrollSelect_; }
  void SetScrollSelect(bool scrollSelect) { scrollSelect_ = scrollSelect; }
  // Scrolls the first child of that name to the top of the content area; false when there
  // is none, nothing to scroll, or it lies above the content top.
  virtual bool ScrollItemToTop(const std::wstring& name);
  // The first child in order that reaches into the view.
  virtual Control* GetTopItem();
  // The item at the index, when it is a list item that can be selected now.
  ListContainerElement* GetSelectableItem(int index) const;

  // IListOwner.
  int GetCurSel() const override { return currentIndex_; }
  bool SelectItem(int index, bool takeFocus = false, bool sendEvent = true) override;
  void DispatchEvent(EventArgs* args) override;
  void EnsureVisible(const UiRect& rect) override;
  void StopScroll() override;

  // Box.
  int FindSelectableItem(int index, bool forward) const override;
  bool Add(Control* child) override;
  bool AddAt(Control* child, int index) override;
  bool SetItemIndex(Control* child, int index) override;
  bool Remove(Control* child) override;
  bool RemoveAt(int index) override;
  void RemoveAll() override;
  void SetAttribute(const std::wstring& name, const std::wstring& value) override;
  void HandleEvent(EventArgs* args) override;
  bool ButtonDown(EventArgs* args) override;

 protected:
  // The list items from the first index to the last (inclusive) learn their positions.
  void RenumberItems(int first, int last);
  // The selection moved by a key: Home, End, Up or Down; false for other keys.
  bool HandleSelectionKey(std::uint32_t key);

  bool scrollSelect_ = false;
  int currentIndex_ = -1;
  bool selectNeighbourOnRemove_ = true;
};

}  // namespace ui

#pragma once

namespace ui {

class Control;

// What a virtual list shows: the application makes the item controls and fills them with
// data rows as they come into view.
class ListDataSource {
 public:
  virtual ~ListDataSource() = default;

  // A new item control; the list owns it from then on.
  virtual Control* CreateItem() = 0;
  // Shows data row index in the item.
  virtual void FillItem(Control* item, int index) = 0;
  virtual int GetItemCount() = 0;
};

}  // namespace ui

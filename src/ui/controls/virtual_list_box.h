#pragma once

#include "ui/controls/list_box.h"

namespace ui {

class ListDataSource;

// A list of any number of rows of one height that owns only a pool of item controls: as the
// view moves, the items are placed at the rows in view (and a few spare ones above) and
// refilled from the data source. The scroll range covers every row.
class VirtualListBox : public ListBox {
 public:
  // The tallest content the list reports: row coordinates stay well inside 32 bits.
  static constexpr int kMaxContentHeight = 0x3FFFFFFF;

  VirtualListBox();

  virtual void SetDataSource(ListDataSource* source) { dataSource_ = source; }
  virtual void SetItemHeight(int height) { itemHeight_ = height; }
  // Makes the pool of count items (no more than there are rows) and fills them from row 0.
  // Run again, it keeps the items it has.
  virtual void InitItems(int count);
  // The data changed: the pool grows or shrinks to fit and is filled again.
  virtual void Refresh();
  // Hooks for derived lists: the Up and Down keys.
  virtual void OnArrowKeyDown(int /*key*/) {}
  virtual void OnArrowKeyUp(int /*key*/) {}

  ListDataSource* GetDataSource() const { return dataSource_; }
  int GetItemHeight() const { return itemHeight_; }
  int GetPoolSize() const { return poolSize_; }
  // Rows of the data source; 0 without one.
  int GetDataCount() const;
  // Every row's height together, counted in 64 bits and capped at kMaxContentHeight.
  int GetContentHeight() const;
  // Places the pool at the rows in view and fills it; unless forced, only when the view
  // has moved past the rows the pool covers.
  void RearrangeItems(bool force);

  // ListBox.
  void SetPosition(const UiRect& rect) override;
  void SetScrollPos(UiSize position) override;
  void RemoveAll() override;
  void HandleEvent(EventArgs* args) override;

 private:
  // Whether the pool must move, and which way: 1 down, -1 up (and every first arrangement).
  bool NeedsRearrange(int* direction);
  // Child i shows row (top + i); rows outside the data are placed but not filled.
  void PlaceItem(int child, int row, const UiRect& area);
  int ScrollY() const;

  ListDataSource* dataSource_ = nullptr;
  int itemHeight_ = 0;
  int poolSize_ = 0;
  int previousScrollY_ = 0;
  bool firstArrangeDone_ = false;
};

}  // namespace ui

#pragma once

#include "ui/core/tree/layout.h"

namespace ui {

// Children in a grid of equal cells, row by row. With an item width the columns follow the
// width available; otherwise the "columns" attribute sets them.
class TileLayout : public Layout {
 public:
  bool SetAttribute(const std::wstring& name, const std::wstring& value) override;
  UiSize ArrangeChildren(const std::vector<Control*>& children, const UiRect& content) override;
  UiSize EstimateChildren(const std::vector<Control*>& children, UiSize available) override;
  void RescaleLengths(const ScaleChange& change) override;

  int GetColumns() const { return columns_; }
  void SetColumns(int columns);
  UiSize GetItemSize() const { return itemSize_; }
  void SetItemSize(UiSize size, bool scale = true);

 private:
  // The columns for a width: from the item width when there is one; never below 1.
  int ColumnsFor(int width) const;
  int RowHeight(const std::vector<Control*>& children, size_t first, int columns, int cellWidth,
                int extra) const;

  int columns_ = 1;
  UiSize itemSize_;
};

}  // namespace ui

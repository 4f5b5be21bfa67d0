#include "ui/core/tree/tile_layout.h"

#include <algorithm>

#include "ui/core/resources/dpi_scaler.h"
#include "ui/core/resources/scale_change.h"
#include "ui/core/resources/ui_registry.h"
#include "ui/core/tree/attribute_values.h"
#include "ui/core/tree/box.h"
#include "ui/core/tree/control.h"

namespace ui {

namespace {

bool TakesCell(const Control* child) {
  return child->IsVisible() && !child->IsFloat();
}

constexpr int kUnboundedHeight = 9999;

}  // namespace

bool TileLayout::SetAttribute(const std::wstring& name, const std::wstring& value) {
  if (name == L"itemsize") {
    SetItemSize(ParseSizeValue(value));
    return true;
  }
  if (name == L"columns") {
    SetColumns(ParseIntValue(value));
    return true;
  }
  return Layout::SetAttribute(name, value);
}

void TileLayout::SetColumns(int columns) {
  if (columns <= 0) return;
  columns_ = columns;
  RelayoutOwner();
}

void TileLayout::SetItemSize(UiSize size, bool scale) {
  if (scale) {
    const DpiScaler& scaler = UiRegistry::GetDpiScaler();
    size = UiSize{scaler.ScaleLength(size.cx), scaler.ScaleLength(size.cy)};
  }
  if (size == itemSize_) return;
  itemSize_ = size;
  RelayoutOwner();
}

void TileLayout::RescaleLengths(const ScaleChange& change) {
  Layout::RescaleLengths(change);
  itemSize_ = change.Size(itemSize_);
}

int TileLayout::ColumnsFor(int width) const {
  const int columns = itemSize_.cx > 0 ? width / itemSize_.cx : columns_;
  return std::max(columns, 1);
}

// The height of the row that starts with the child at first: its tallest child, margins
// included, estimated at the width its cell gives it.
int TileLayout::RowHeight(const std::vector<Control*>& children, size_t first, int columns,
                          int cellWidth, int extra) const {
  int height = 0;
  int column = 0;
  for (size_t i = first; i < children.size() && column < columns; ++i) {
    Control* child = children[i];
    if (!TakesCell(child)) continue;
    const UiRect m = child->GetMargin();
    const bool outer = column == 0 || column == columns - 1;
    int width = cellWidth + (column < extra ? 1 : 0) - m.left - m.right -
                (outer ? childMargin_ / 2 : childMargin_);
    width = ClampWidth(child, width);
    const UiSize s = child->EstimateSize(UiSize{width, kUnboundedHeight});
    height = std::max(height, ClampHeight(child, s.cy) + m.top + m.bottom);
    ++column;
  }
  return height;
}

UiSize TileLayout::ArrangeChildren(const std::vector<Control*>& children, const UiRect& content) {
  const int width = content.Width();
  const int columns = ColumnsFor(width);
  const int cellWidth = width / columns;
  const int extra = width % columns;

  int rowTop = content.top;
  int rowHeight = 0;
  int column = 0;
  int cellLeft = content.left;
  int bottom = content.top;
  for (size_t i = 0; i < children.size(); ++i) {
    Control* child = children[i];
    if (!child->IsVisible()) continue;
    if (child->IsFloat()) {
      PlaceChild(child, content);
      continue;
    }
    if (column == 0) rowHeight = RowHeight(children, i, columns, cellWidth, extra);
    const int cellRight = cellLeft + cellWidth + (column < extra ? 1 : 0);
    const UiRect m = child->GetMargin();
    const UiRect cell{cellLeft + childMargin_ / 2 + m.left, rowTop + m.top,
                      cellRight - childMargin_ / 2 - m.right, rowTop + rowHeight};
    const UiSize s = child->EstimateSize(UiSize{cell.Width(), cell.Height()});
    const int w = ClampWidth(child, s.cx == kLengthStretch ? cell.Width() : s.cx);
    const int h = ClampHeight(child, s.cy == kLengthStretch ? cell.Height() : s.cy);
    const int x = cell.left + (cell.Width() - w) / 2;
    const int y = cell.top + (cell.Height() - h) / 2;
    child->SetPosition(UiRect{x, y, x + w, y + h});
    bottom = rowTop + rowHeight;
    cellLeft = cellRight;
    if (++column == columns) {
      column = 0;
      cellLeft = content.left;
      rowTop += rowHeight + childMargin_;
    }
  }
  return UiSize{width, bottom - content.top};
}

UiSize TileLayout::EstimateChildren(const std::vector<Control*>& children, UiSize available) {
  const int fixedWidth = owner_ ? owner_->GetFixedWidth() : kLengthStretch;
  const int horizontalPadding = padding_.left + padding_.right;
  // A box that takes the width it is given lays its columns out over that width.
  const int contentWidth = fixedWidth >= 0 ? fixedWidth - horizontalPadding : available.cx;
  const int columns = ColumnsFor(contentWidth);
  int width = fixedWidth;
  if (fixedWidth == kLengthAuto) width = std::max(itemSize_.cx, 0) * columns + horizontalPadding;
  int count = 0;
  const Control* first = nullptr;
  for (const Control* child : children) {
    if (!TakesCell(child)) continue;
    if (!first) first = child;
    ++count;
  }
  if (count == 0) return UiSize{width, 0};
  const int rows = (count + columns - 1) / columns;
  const int itemHeight = itemSize_.cy > 0 ? itemSize_.cy : std::max(first->GetFixedHeight(), 0);
  return UiSize{width,
                rows * itemHeight + padding_.top + padding_.bottom + (rows - 1) * childMargin_};
}

}  // namespace ui

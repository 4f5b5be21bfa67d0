#include "ui/core/tree/layout.h"

#include <algorithm>

#include "ui/core/resources/dpi_scaler.h"
#include "ui/core/resources/scale_change.h"
#include "ui/core/resources/ui_registry.h"
#include "ui/core/tree/attribute_values.h"
#include "ui/core/tree/box.h"

namespace ui {

int ClampWidth(const Control* child, int width) {
  width = std::max(width, child->GetMinWidth());
  if (child->GetMaxWidth() >= 0) width = std::min(width, child->GetMaxWidth());
  return width;
}

int ClampHeight(const Control* child, int height) {
  height = std::max(height, child->GetMinHeight());
  if (child->GetMaxHeight() >= 0) height = std::min(height, child->GetMaxHeight());
  return height;
}

bool Layout::SetAttribute(const std::wstring& name, const std::wstring& value) {
  if (name == L"padding") {
    SetPadding(ParseRectValue(value));
    return true;
  }
  if (name == L"childmargin") {
    SetChildMargin(ParseIntValue(value));
    return true;
  }
  return false;
}

void Layout::SetPadding(const UiRect& padding, bool scale) {
  padding_ = scale ? UiRegistry::GetDpiScaler().ScaleRect(padding) : padding;
  RelayoutOwner();
}

void Layout::SetChildMargin(int margin, bool scale) {
  childMargin_ = scale ? UiRegistry::GetDpiScaler().ScaleLength(margin) : margin;
  RelayoutOwner();
}

void Layout::RescaleLengths(const ScaleChange& change) {
  padding_ = change.Rect(padding_);
  childMargin_ = change.Length(childMargin_);
}

void Layout::RelayoutOwner() {
  if (owner_) owner_->Relayout();
}

UiSize Layout::PlaceChild(Control* child, const UiRect& rect) {
  if (!child->IsVisible()) return UiSize{};
  const UiRect m = child->GetMargin();
  const int left = rect.left + m.left;
  const int top = rect.top + m.top;
  const int right = rect.right - m.right;
  const int bottom = rect.bottom - m.bottom;
  const int w = right - left;
  const int h = bottom - top;
  UiSize size = child->EstimateSize(UiSize{w, h});
  if (child->GetFixedWidth() == kLengthAuto && child->GetFixedHeight() == kLengthAuto &&
      child->GetMaxWidth() == kLengthStretch && size.cx > std::max(w, 0)) {
    // Estimated again at the width there is, so that text wraps to it.
    child->SetFixedWidth(std::max(w, 0), false, false);
    size = child->EstimateSize(UiSize{w, h});
    child->SetFixedWidth(kLengthAuto, false, false);
  }
  int width = size.cx == kLengthStretch ? std::max(w, 0) : size.cx;
  width = ClampWidth(child, width);
  int height = size.cy == kLengthStretch ? std::max(h, 0) : size.cy;
  height = ClampHeight(child, height);

  int x = 0;
  switch (child->GetHorAlignType()) {
    case kHAlignLeft:
      x = left;
      break;
    case kHAlignRight:
      x = right - width;
      break;
    case kHAlignCenter:
      x = left + (right - width - left) / 2;
      break;
    default:
      width = 0;
  }
  int y = 0;
  switch (child->GetVerAlignType()) {
    case kVAlignTop:
      y = top;
      break;
    case kVAlignBottom:
      y = bottom - height;
      break;
    case kVAlignCenter:
      y = top + (bottom - height - top) / 2;
      break;
    default:
      height = 0;
  }
  child->SetPosition(UiRect{x, y, x + width, y + height});
  return UiSize{width, height};
}

UiSize Layout::ArrangeChildren(const std::vector<Control*>& children, const UiRect& content) {
  UiSize used;
  for (size_t i = 0; i < children.size(); ++i) {
    Control* child = children[i];
    if (!child->IsVisible()) continue;
    const UiSize size = PlaceChild(child, content);
    used.cx = std::max(used.cx, size.cx);
    used.cy = std::max(used.cy, size.cy);
  }
  return used;
}

UiSize Layout::EstimateChildren(const std::vector<Control*>& children, UiSize available) {
  UiSize size{-9999, -9999};
  bool any = false;
  for (size_t i = 0; i < children.size(); ++i) {
    Control* child = children[i];
    if (!child->IsVisible()) continue;
    any = true;
    const UiSize s = child->EstimateSize(available);
    const UiRect m = child->GetMargin();
    size.cx = std::max(size.cx, ClampWidth(child, s.cx) + m.left + m.right);
    size.cy = std::max(size.cy, ClampHeight(child, s.cy) + m.top + m.bottom);
  }
  // With nothing to show the box wants no room of its own beyond its padding.
  if (!any) size = UiSize{};
  size.cx += padding_.left + padding_.right;
  size.cy += padding_.top + padding_.bottom;
  return size;
}

}  // namespace ui

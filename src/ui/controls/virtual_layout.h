#pragma once

#include <vector>

#include "ui/core/tree/v_layout.h"

namespace ui {

// The column layout of a virtual list: while the list has fewer items than data rows it
// reports the height of every row, so that the scroll range covers the whole list, and
// lets the list place its pool of items where the view is.
class VirtualLayout : public VLayout {
 public:
  UiSize ArrangeChildren(const std::vector<Control*>& children, const UiRect& content) override;
};

}  // namespace ui

#pragma once

#include <vector>

#include "ui/core/tree/layout.h"
#include "ui/render/render_types.h"

namespace ui {

class Control;

// The row and column layouts are one algorithm along two axes: the main axis runs through
// the children, the cross axis across them.
struct LayoutAxis {
  bool horizontal;
};

// Arranges the children along the axis; see HLayout and VLayout.
UiSize ArrangeLinear(LayoutAxis axis, const std::vector<Control*>& children, const UiRect& content,
                     int childMargin);
// The size the children want along the axis, without padding.
UiSize EstimateLinear(LayoutAxis axis, const std::vector<Control*>& children, UiSize available,
                      int childMargin);

// A row or column layout; HLayout and VLayout pick the axis.
class LinearLayout : public Layout {
 public:
  explicit LinearLayout(LayoutAxis axis) : axis_(axis) {}

  UiSize ArrangeChildren(const std::vector<Control*>& children, const UiRect& content) override {
    return ArrangeLinear(axis_, children, content, childMargin_);
  }
  UiSize EstimateChildren(const std::vector<Control*>& children, UiSize available) override;

 private:
  LayoutAxis axis_;
};

}  // namespace ui

#pragma once

#include "ui/core/tree/linear_layout.h"

namespace ui {

// Children in a column, top to bottom; stretch children share the height the others leave.
class VLayout : public LinearLayout {
 public:
  VLayout() : LinearLayout(LayoutAxis{false}) {}
};

}  // namespace ui

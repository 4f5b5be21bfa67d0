#pragma once

#include "ui/core/tree/linear_layout.h"

namespace ui {

// Children in a row, left to right; stretch children share the width the others leave.
class HLayout : public LinearLayout {
 public:
  HLayout() : LinearLayout(LayoutAxis{true}) {}
};

}  // namespace ui

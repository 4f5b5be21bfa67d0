#pragma once

#include "ui/core/tree/box.h"
#include "ui/core/tree/v_layout.h"

namespace ui {

// A box whose children form a column.
class VBox : public Box {
 public:
  VBox() : Box(new VLayout()) {}
};

}  // namespace ui

#pragma once

#include "ui/core/box.h"
#include "ui/core/v_layout.h"

namespace ui {

// A box whose children form a column.
class VBox : public Box {
 public:
  VBox() : Box(new VLayout()) {}
};

}  // namespace ui

#pragma once

#include "ui/core/tree/box.h"
#include "ui/core/tree/h_layout.h"

namespace ui {

// A box whose children form a row.
class HBox : public Box {
 public:
  HBox() : Box(new HLayout()) {}
};

}  // namespace ui

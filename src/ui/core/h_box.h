#pragma once

#include "ui/core/box.h"
#include "ui/core/h_layout.h"

namespace ui {

// A box whose children form a row.
class HBox : public Box {
 public:
  HBox() : Box(new HLayout()) {}
};

}  // namespace ui

#pragma once

#include "ui/core/tree/box.h"
#include "ui/core/tree/tile_layout.h"

namespace ui {

// A box whose children form a grid.
class TileBox : public Box {
 public:
  TileBox() : Box(new TileLayout()) {}
};

}  // namespace ui

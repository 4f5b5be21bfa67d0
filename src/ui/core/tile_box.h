#pragma once

#include "ui/core/box.h"
#include "ui/core/tile_layout.h"

namespace ui {

// A box whose children form a grid.
class TileBox : public Box {
 public:
  TileBox() : Box(new TileLayout()) {}
};

}  // namespace ui

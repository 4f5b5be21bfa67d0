#pragma once

#include "ui/render/render_types.h"

namespace ui {

// Moves one piece of the nine-grid: the source area of the image to the destination area.
class PieceTransfer {
 public:
  virtual ~PieceTransfer() = default;
  virtual void Transfer(const UiRect& dest, const UiRect& source) = 0;
};

// Draws a bitmap's source area into a destination as a nine-grid: corners at their size,
// edges stretched or tiled along their length, the middle stretched or tiled. Only pieces
// that meet the paint rectangle are transferred.
class NineGridPainter {
 public:
  struct Grid {
    UiRect paint;
    UiRect dest;
    UiRect source;
    UiRect corners;      // in source pixels
    UiRect destCorners;  // corners as drawn (scaled)
    bool tileX = false;
    bool tileY = false;
  };

  explicit NineGridPainter(PieceTransfer* transfer) : transfer_(transfer) {}

  void Paint(const Grid& grid);

 private:
  void PaintMiddle(const Grid& grid, const UiRect& inner, const UiRect& innerSource);
  void PaintTiles(const UiRect& inner, const UiRect& innerSource, bool tileX, bool tileY);
  void PaintBorders(const Grid& grid, const UiRect& inner, const UiRect& innerSource);
  void TransferIfVisible(const UiRect& paint, const UiRect& dest, const UiRect& source);
  void Transfer(const UiRect& dest, const UiRect& source);

  PieceTransfer* transfer_;
};

}  // namespace ui

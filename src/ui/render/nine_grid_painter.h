#pragma once

#include "ui/render/render_types.h"

namespace ui {

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

  // blend: every piece is alpha-blended with fade; otherwise pieces drawn at their size are
  // still blended and stretched ones are copied.
  NineGridPainter(HDC dc, HDC source, bool blend, unsigned char fade)
      : dc_(dc), source_(source), blend_(blend), fade_(fade) {}

  void Paint(const Grid& grid);

 private:
  void PaintMiddle(const Grid& grid, const UiRect& inner, const UiRect& innerSource);
  void PaintTiles(const UiRect& inner, const UiRect& innerSource, bool tileX, bool tileY);
  void PaintBorders(const Grid& grid, const UiRect& inner, const UiRect& innerSource);
  void TransferIfVisible(const UiRect& paint, const UiRect& dest, const UiRect& source);
  void Transfer(const UiRect& dest, const UiRect& source);

  HDC dc_;
  HDC source_;
  bool blend_;
  unsigned char fade_;
};

}  // namespace ui

#include "ui/render/nine_grid_painter.h"

namespace ui {

void NineGridPainter::Paint(const Grid& grid) {
  const UiRect& d = grid.dest;
  const UiRect& s = grid.source;
  const UiRect inner{d.left + grid.destCorners.left, d.top + grid.destCorners.top,
                     d.right - grid.destCorners.right, d.bottom - grid.destCorners.bottom};
  const UiRect innerSource{s.left + grid.corners.left, s.top + grid.corners.top,
                           s.right - grid.corners.right, s.bottom - grid.corners.bottom};
  if (inner.Intersects(grid.paint)) PaintMiddle(grid, inner, innerSource);
  PaintBorders(grid, inner, innerSource);
}

void NineGridPainter::PaintMiddle(const Grid& grid, const UiRect& inner,
                                  const UiRect& innerSource) {
  if (!grid.tileX && !grid.tileY) {
    Transfer(inner, innerSource);
    return;
  }
  // A middle without source pixels along a tiled direction has nothing to repeat.
  if ((grid.tileX && innerSource.Width() <= 0) || (grid.tileY && innerSource.Height() <= 0)) {
    return;
  }
  PaintTiles(inner, innerSource, grid.tileX, grid.tileY);
}

void NineGridPainter::PaintTiles(const UiRect& inner, const UiRect& innerSource, bool tileX,
                                 bool tileY) {
  const int tileWidth = innerSource.Width();
  const int tileHeight = innerSource.Height();
  // Untiled directions are one piece spanning the whole inner area, stretched.
  const int stepX = tileX ? tileWidth : inner.Width();
  const int stepY = tileY ? tileHeight : inner.Height();
  for (int top = inner.top; top < inner.bottom; top += stepY) {
    const int bottom = (inner.bottom - top > stepY) ? top + stepY : inner.bottom;
    for (int left = inner.left; left < inner.right; left += stepX) {
      const int right = (inner.right - left > stepX) ? left + stepX : inner.right;
      const UiRect piece{left, top, right, bottom};
      UiRect source = innerSource;
      if (tileX) source.right = source.left + piece.Width();
      if (tileY) source.bottom = source.top + piece.Height();
      Transfer(piece, source);
    }
  }
}

void NineGridPainter::PaintBorders(const Grid& grid, const UiRect& in, const UiRect& ins) {
  const UiRect& d = grid.dest;
  const UiRect& s = grid.source;
  const UiRect& c = grid.corners;
  const UiRect& k = grid.destCorners;  // as drawn
  const UiRect& paint = grid.paint;
  if (c.left > 0 && c.top > 0) {
    TransferIfVisible(paint, {d.left, d.top, d.left + k.left, d.top + k.top},
                      {s.left, s.top, s.left + c.left, s.top + c.top});
  }
  if (c.top > 0) {
    TransferIfVisible(paint, {in.left, d.top, in.right, d.top + k.top},
                      {ins.left, s.top, ins.right, s.top + c.top});
  }
  if (c.right > 0 && c.top > 0) {
    TransferIfVisible(paint, {in.right, d.top, d.right, d.top + k.top},
                      {ins.right, s.top, s.right, s.top + c.top});
  }
  if (c.left > 0) {
    TransferIfVisible(paint, {d.left, in.top, d.left + k.left, in.bottom},
                      {s.left, ins.top, s.left + c.left, ins.bottom});
  }
  if (c.right > 0) {
    TransferIfVisible(paint, {in.right, in.top, d.right, in.bottom},
                      {ins.right, ins.top, s.right, ins.bottom});
  }
  if (c.left > 0 && c.bottom > 0) {
    TransferIfVisible(paint, {d.left, in.bottom, d.left + k.left, d.bottom},
                      {s.left, ins.bottom, s.left + c.left, s.bottom});
  }
  if (c.bottom > 0) {
    TransferIfVisible(paint, {in.left, in.bottom, in.right, d.bottom},
                      {ins.left, ins.bottom, ins.right, s.bottom});
  }
  if (c.right > 0 && c.bottom > 0) {
    TransferIfVisible(paint, {in.right, in.bottom, d.right, d.bottom},
                      {ins.right, ins.bottom, s.right, s.bottom});
  }
}

void NineGridPainter::TransferIfVisible(const UiRect& paint, const UiRect& dest,
                                        const UiRect& source) {
  if (dest.Intersects(paint)) Transfer(dest, source);
}

void NineGridPainter::Transfer(const UiRect& dest, const UiRect& source) {
  // Corners larger than the source or the destination leave inverted pieces, which a
  // stretch would mirror.
  if (dest.IsEmpty() || source.IsEmpty()) return;
  transfer_->Transfer(dest, source);
}

}  // namespace ui

#pragma once

#include "ui/render/nine_grid_painter.h"
#include "ui/render/pixel_surface.h"

namespace ui {

// Nine-grid pieces blended straight into the surface's memory; pieces the memory path does
// not draw exactly like the platform (stretch-copies, sources reaching outside the image)
// go to the fallback.
class MemoryPieceTransfer : public PieceTransfer {
 public:
  MemoryPieceTransfer(PixelSurface* surface, const PixelImage& image, bool blend,
                      unsigned char fade, PieceTransfer* fallback)
      : surface_(surface), image_(image), blend_(blend), fade_(fade), fallback_(fallback) {}

  void Transfer(const UiRect& dest, const UiRect& source) override;

 private:
  PixelSurface* surface_;
  PixelImage image_;
  bool blend_;
  unsigned char fade_;
  PieceTransfer* fallback_;
};

}  // namespace ui

#pragma once

#include "ui/render/nine_grid_painter.h"

namespace ui {

// Nine-grid pieces drawn by the platform: blended per pixel with a constant alpha, or,
// when blending is off and a piece changes size, stretch-copied in half-tone mode. The
// memory device context holding the image is made on the first piece.
class GdiPieceTransfer : public PieceTransfer {
 public:
  // blend: every piece is alpha-blended with fade; otherwise pieces drawn at their size are
  // still blended and stretched ones are copied.
  GdiPieceTransfer(HDC dc, HBITMAP image, bool blend, unsigned char fade)
      : dc_(dc), image_(image), blend_(blend), fade_(fade) {}
  ~GdiPieceTransfer() override;

  GdiPieceTransfer(const GdiPieceTransfer&) = delete;
  GdiPieceTransfer& operator=(const GdiPieceTransfer&) = delete;

  void Transfer(const UiRect& dest, const UiRect& source) override;

 private:
  bool Open();

  HDC dc_;
  HBITMAP image_;
  bool blend_;
  unsigned char fade_;
  HDC memory_ = nullptr;
  void* previousBitmap_ = nullptr;
  int previousMode_ = 0;
  bool failed_ = false;
};

}  // namespace ui

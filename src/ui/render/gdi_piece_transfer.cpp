#include "ui/render/gdi_piece_transfer.h"

#include <windows.h>

namespace ui {

GdiPieceTransfer::~GdiPieceTransfer() {
  if (!memory_) return;
  ::SetStretchBltMode(dc_, previousMode_);
  ::SelectObject(memory_, previousBitmap_);
  ::DeleteDC(memory_);
}

bool GdiPieceTransfer::Open() {
  if (memory_ || failed_) return memory_ != nullptr;
  memory_ = ::CreateCompatibleDC(dc_);
  if (!memory_) {
    failed_ = true;
    return false;
  }
  previousBitmap_ = ::SelectObject(memory_, image_);
  previousMode_ = ::SetStretchBltMode(dc_, HALFTONE);
  return true;
}

void GdiPieceTransfer::Transfer(const UiRect& dest, const UiRect& source) {
  if (!Open()) return;
  const bool sameSize = dest.Width() == source.Width() && dest.Height() == source.Height();
  if (blend_ || sameSize) {
    const BLENDFUNCTION blend = {AC_SRC_OVER, 0, fade_, AC_SRC_ALPHA};
    ::AlphaBlend(dc_, dest.left, dest.top, dest.Width(), dest.Height(), memory_, source.left,
                 source.top, source.Width(), source.Height(), blend);
    return;
  }
  ::StretchBlt(dc_, dest.left, dest.top, dest.Width(), dest.Height(), memory_, source.left,
               source.top, source.Width(), source.Height(), SRCCOPY);
}

}  // namespace ui

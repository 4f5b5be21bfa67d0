#include "ui/render/memory_piece_transfer.h"

#include <windows.h>

namespace ui {

void MemoryPieceTransfer::Transfer(const UiRect& dest, const UiRect& source) {
  const bool sameSize = dest.Width() == source.Width() && dest.Height() == source.Height();
  if ((blend_ || sameSize) && image_.Contains(source)) {
    surface_->Blend(dest, image_, source, fade_);
    return;
  }
  fallback_->Transfer(dest, source);
  // The platform may batch its drawing; the memory path must see it done.
  ::GdiFlush();
}

}  // namespace ui

#pragma once

#include "ui/render/i_clip.h"

namespace ui {

// Clips kept in the device context's saved-state stack: each push saves the state and
// intersects the clip with the new region, each pop restores the last saved state.
class GdiClip : public IClip {
 public:
  void PushClip(HDC dc, const UiRect& rect) override;
  void PushRoundClip(HDC dc, const UiRect& rect, int ellipseWidth, int ellipseHeight) override;
  void PopClip(HDC dc) override;
};

}  // namespace ui

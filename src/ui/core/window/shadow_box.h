#pragma once

#include "ui/core/tree/box.h"

namespace ui {

// The box that wraps a window's root in its shadow: its padding is the shadow band, its
// background image the shadow picture. It paints the picture only when the band is touched.
class ShadowBox : public Box {
 public:
  void PaintLayers(IRenderContext& context, const UiRect& paintRect) override;
};

}  // namespace ui

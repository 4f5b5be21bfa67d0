#include "ui/core/window/shadow_box.h"

namespace ui {

void ShadowBox::PaintLayers(IRenderContext& context, const UiRect& paintRect) {
  const UiRect content = GetContentRect();
  // Updates inside the content never redraw the shadow band around it.
  if (paintRect.left >= content.left && paintRect.top >= content.top &&
      paintRect.right <= content.right && paintRect.bottom <= content.bottom) {
    return;
  }
  Box::PaintLayers(context, paintRect);
}

}  // namespace ui

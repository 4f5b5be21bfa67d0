#include "ui/render/auto_clip.h"

#include "ui/render/i_render_context.h"

namespace ui {

AutoClip::AutoClip(IRenderContext* context, const UiRect& rect, bool enabled) {
  if (!enabled || !context) return;
  context_ = context;
  active_ = true;
  context_->PushClip(rect);
}

AutoClip::AutoClip(IRenderContext* context, const UiRect& rect, int ellipseWidth, int ellipseHeight,
                   bool enabled) {
  if (!enabled || !context) return;
  context_ = context;
  active_ = true;
  context_->PushRoundClip(rect, ellipseWidth, ellipseHeight);
}

AutoClip::~AutoClip() {
  if (active_ && context_) context_->PopClip();
}

}  // namespace ui

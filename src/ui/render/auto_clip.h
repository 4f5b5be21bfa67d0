#pragma once

#include "runtime/weak_callback.h"
#include "ui/render/render_types.h"

namespace ui {

class IRenderContext;

// Pushes a clip on construction and pops it on destruction; a guard built disabled does
// nothing at either end.
class AutoClip : public kbase::SupportWeakCallback {
 public:
  AutoClip(IRenderContext* context, const UiRect& rect, bool enabled = true);
  AutoClip(IRenderContext* context, const UiRect& rect, int ellipseWidth, int ellipseHeight,
           bool enabled = true);
  ~AutoClip() override;

  AutoClip(const AutoClip&) = delete;
  AutoClip& operator=(const AutoClip&) = delete;

 private:
  IRenderContext* context_ = nullptr;
  bool active_ = false;
};

}  // namespace ui

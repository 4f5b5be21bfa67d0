#pragma once

#include "runtime/weak_callback.h"
#include "ui/render/render_types.h"

namespace ui {

// A stack of clip regions on a device context; every push is undone by one pop.
class IClip : public virtual kbase::SupportWeakCallback {
 public:
  ~IClip() override = default;

  // rect is in logical coordinates of the dc's current origin.
  virtual void PushClip(HDC dc, const UiRect& rect) = 0;
  virtual void PushRoundClip(HDC dc, const UiRect& rect, int ellipseWidth, int ellipseHeight) = 0;
  virtual void PopClip(HDC dc) = 0;
};

}  // namespace ui

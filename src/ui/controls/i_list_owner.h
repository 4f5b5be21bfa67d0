#pragma once

#include "ui/core/tree/event_args.h"
#include "ui/render/render_types.h"

namespace ui {

// How a list item reaches the list that holds it.
class IListOwner {
 public:
  virtual ~IListOwner() = default;

  // The selected index, -1 when nothing is selected.
  virtual int GetCurSel() const = 0;
  virtual bool SelectItem(int index, bool takeFocus, bool sendEvent) = 0;
  // Hands an event to the list's own dispatch.
  virtual void DispatchEvent(EventArgs* args) = 0;
  // Scrolls so that a rectangle in the list's content coordinates is in view.
  virtual void EnsureVisible(const UiRect& rect) = 0;
  // Stops a smooth scroll on its way.
  virtual void StopScroll() = 0;
};

}  // namespace ui

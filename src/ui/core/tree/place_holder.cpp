#include "ui/core/tree/place_holder.h"

#include "ui/core/tree/box.h"
#include "ui/core/tree/i_control_window.h"
#include "ui/render/i_render_context.h"

namespace ui {

PlaceHolder::PlaceHolder() = default;

PlaceHolder::~PlaceHolder() = default;

void PlaceHolder::AttachToWindow(IControlWindow* window, Box* parent, bool init) {
  // A tree built for a window is attached again on its way in (into the shadow's box, then
  // as the window's root); only a control taken out of its box or moved to another window
  // is initialised anew.
  if (!parent) initialised_ = false;
  SetWindow(window);
  parent_ = parent;
  if (!init || !parent) return;
  if (initialised_ && (!window || window == initialisedFor_)) return;
  initialised_ = true;
  initialisedFor_ = window;
  Init();
}

UiSize PlaceHolder::EstimateSize(UiSize) {
  return UiSize{fixedWidth_, fixedHeight_};
}

UiRect PlaceHolder::GetPosition(bool includeShadow) const {
  UiRect rect = rect_;
  if (!includeShadow && window_) {
    const UiPoint shadow = window_->GetShadowOffset();
    rect.Offset(-shadow.x, -shadow.y);
  }
  return rect;
}

void PlaceHolder::SetPosition(const UiRect& rect) {
  rect_ = rect;
}

void PlaceHolder::Relayout() {
  if (HasAutoSize()) {
    RelayoutAncestor();
  } else {
    RelayoutSelf();
  }
}

void PlaceHolder::RelayoutAncestor() {
  needsEstimate_ = true;
  if (window_ && window_->GetRoot()) {
    for (Box* parent = parent_; parent; parent = parent->GetParent()) {
      if (!parent->HasAutoSize()) {
        parent->RelayoutSelf();
        return;
      }
      parent->SetNeedsEstimate(true);
    }
    window_->GetRoot()->RelayoutSelf();
    return;
  }
  if (parent_) {
    parent_->RelayoutSelf();
  } else {
    RelayoutSelf();
  }
}

void PlaceHolder::Invalidate() {
  if (!IsVisible()) return;
  cacheDirty_ = true;
  InvalidateWindowArea(GetPosition(true));
}

void PlaceHolder::RelayoutSelf() {
  if (!IsVisible()) return;
  needsEstimate_ = true;
  arrangePending_ = true;
  Invalidate();
  if (window_) window_->RequestArrangement(this);
}

UiPoint PlaceHolder::GetScrollOffsetInScrollBox() const {
  // A floating child (a scroll box's own bars) stays where it is while the content moves.
  const PlaceHolder* child = this;
  for (Box* parent = parent_; parent; child = parent, parent = parent->GetParent()) {
    if (parent->IsScrollBox() && !child->IsFloat()) return parent->GetScrollOffset();
  }
  return UiPoint{};
}

void PlaceHolder::InvalidateWindowArea(UiRect area) const {
  // Without a window there is nothing on screen; a null window handle would repaint the
  // whole desktop.
  if (!window_) return;
  const UiPoint scroll = GetScrollOffsetInScrollBox();
  area.Offset(-scroll.x, -scroll.y);
  window_->InvalidateArea(area);
}

}  // namespace ui

#include "ui/core/tree/box.h"

#include <algorithm>

#include "ui/core/resources/scale_change.h"
#include "ui/core/tree/attribute_values.h"
#include "ui/core/tree/i_control_window.h"

namespace ui {

namespace {

Control* RegisterName(Control* control, void* data) {
  if (!control->GetName().empty()) static_cast<IControlWindow*>(data)->AddNamedControl(control);
  return nullptr;
}

}  // namespace

Box::Box(Layout* layout) : layout_(layout ? layout : new Layout()) {
  layout_->SetOwner(this);
}

Box::~Box() {
  std::vector<Control*> items;
  items.swap(items_);
  for (Control* child : items) {
    if (autoDestroy_) {
      delete child;
    } else {
      child->AttachToWindow(child->GetWindow(), nullptr, false);
    }
  }
}

void Box::AttachToWindow(IControlWindow* window, Box* parent, bool init) {
  for (size_t i = 0; i < items_.size(); ++i) items_[i]->AttachToWindow(window, this, init);
  Control::AttachToWindow(window, parent, init);
}

UiSize Box::EstimateSize(UiSize available) {
  if (fixedWidth_ != kLengthAuto && fixedHeight_ != kLengthAuto) {
    return UiSize{fixedWidth_, fixedHeight_};
  }
  if (!needsEstimate_) return estimatedSize_;
  const UiRect padding = layout_->GetPadding();
  const UiSize wanted =
      layout_->EstimateChildren(items_, UiSize{available.cx - padding.left - padding.right,
                                               available.cy - padding.top - padding.bottom});
  needsEstimate_ = false;
  for (const Control* child : items_) {
    if (child->IsVisible() && child->HasAutoSize() && child->NeedsEstimate()) {
      needsEstimate_ = true;
      break;
    }
  }
  estimatedSize_ = UiSize{fixedWidth_ == kLengthAuto ? wanted.cx : fixedWidth_,
                          fixedHeight_ == kLengthAuto ? wanted.cy : fixedHeight_};
  return estimatedSize_;
}

void Box::SetPosition(const UiRect& rect) {
  const std::weak_ptr<kbase::WeakFlag> alive = WeakFlagOf();
  Control::SetPosition(rect);
  // A resize handler may have destroyed the box.
  if (alive.expired() || items_.empty()) return;
  layout_->ArrangeChildren(items_, GetContentRect());
}

void Box::SetParentVisible(bool visible) {
  Control::SetParentVisible(visible);
  for (size_t i = 0; i < items_.size(); ++i) items_[i]->SetParentVisible(IsVisible());
}

void Box::SetVisible(bool visible) {
  Control::SetVisible(visible);
  for (size_t i = 0; i < items_.size(); ++i) items_[i]->SetParentVisible(IsVisible());
}

void Box::SetEnabled(bool enabled) {
  if (enabled_ == enabled) return;
  Control::SetEnabled(enabled);
  for (size_t i = 0; i < items_.size(); ++i) items_[i]->SetEnabled(enabled);
  Invalidate();
}

void Box::RescaleLengths(const ScaleChange& change) {
  Control::RescaleLengths(change);
  if (layout_) layout_->RescaleLengths(change);
  for (Control* child : items_) child->RescaleLengths(change);
}

Control* Box::FindControl(FindControlProc proc, void* data, unsigned int flags,
                          const UiPoint& scrollOffset) {
  if ((flags & kFindVisible) && !IsVisible()) return nullptr;
  if ((flags & kFindEnabled) && !IsEnabled()) return nullptr;
  const bool hitTest = (flags & kFindHitTest) != 0;
  UiPoint point;
  if (hitTest) {
    point = *static_cast<const UiPoint*>(data);
    if (!rect_.Contains(point)) return nullptr;
    if (!mouseChildEnabled_) return Control::FindControl(proc, data, flags);
  }
  if (flags & kFindMeFirst) {
    if (Control* me = Control::FindControl(proc, data, flags)) return me;
  }
  const UiRect content = hitTest ? GetContentRect() : UiRect{};
  const bool topFirst = (flags & kFindTopFirst) != 0;
  const size_t count = items_.size();
  for (size_t n = 0; n < count && n < items_.size(); ++n) {
    Control* child = items_[topFirst ? items_.size() - 1 - n : n];
    Control* found = nullptr;
    if (hitTest) {
      UiPoint shifted{point.x + scrollOffset.x, point.y + scrollOffset.y};
      found = child->FindControl(proc, &shifted, flags);
      if (found && !found->IsFloat() && !content.Contains(point)) found = nullptr;
    } else {
      found = child->FindControl(proc, data, flags);
    }
    if (found) return found;
  }
  if (flags & kFindMeFirst) return nullptr;
  return Control::FindControl(proc, data, flags);
}

void Box::DispatchEvent(EventArgs* args) {
  if (args->type <= kEventInternalKillFocus) {
    HandleEvent(args);
    return;
  }
  const std::weak_ptr<kbase::WeakFlag> alive = WeakFlagOf();
  // The box's own handlers: a false result skips only its layout handlers.
  if (args->sender == this && !RunOwnHandlers(args, alive) && alive.expired()) return;
  bool result = true;
  if (!RunTypeAndAllHandlers(codeBubbledHandlers_, args, alive, &result)) return;
  if (result && !RunTypeAndAllHandlers(layoutBubbledHandlers_, args, alive, &result)) return;
  if (result) HandleEvent(args);
}

void Box::SetAttribute(const std::wstring& name, const std::wstring& value) {
  if (layout_->SetAttribute(name, value)) return;
  if (name == L"mousechild") {
    SetMouseChildEnabled(ParseBoolValue(value));
  } else {
    Control::SetAttribute(name, value);
  }
}

void Box::PaintChildren(IRenderContext& context, const UiRect& paintRect) {
  if (!paintRect.Intersects(rect_)) return;
  for (size_t i = 0; i < items_.size(); ++i) {
    Control* child = items_[i];
    if (child->IsVisible()) child->Paint(context, paintRect);
  }
}

void Box::RestoreImagesFromCache() {
  Control::RestoreImagesFromCache();
  for (Control* child : items_) child->RestoreImagesFromCache();
}

void Box::ReleaseBkImage() {
  Control::ReleaseBkImage();
  for (Control* child : items_) child->ReleaseBkImage();
}

void Box::ReleaseAllImages() {
  Control::ReleaseAllImages();
  for (Control* child : items_) child->ReleaseAllImages();
}

int Box::FindSelectableItem(int index, bool) const {
  return index;
}

Control* Box::GetItemAt(int index) const {
  if (index < 0 || index >= GetCount()) return nullptr;
  return items_[index];
}

int Box::GetItemIndex(const Control* child) const {
  auto it = std::find(items_.begin(), items_.end(), child);
  return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

bool Box::SetItemIndex(Control* child, int index) {
  const int from = GetItemIndex(child);
  if (from < 0 || index < 0 || index >= GetCount()) return false;
  Relayout();
  items_.erase(items_.begin() + from);
  items_.insert(items_.begin() + index, child);
  return true;
}

bool Box::CanAdopt(const Control* child) const {
  if (!child || child->GetParent()) return false;
  for (const Control* c = this; c; c = c->GetParent()) {
    if (c == child) return false;
  }
  return true;
}

void Box::AdoptChild(Control* child) {
  child->AttachToWindow(window_, this, window_ != nullptr);
  if (window_) child->FindControl(RegisterName, window_, 0);
  if (IsVisible()) {
    Relayout();
  } else {
    child->SetParentVisible(false);
  }
}

bool Box::Add(Control* child) {
  if (!CanAdopt(child)) return false;
  AdoptChild(child);
  items_.push_back(child);
  return true;
}

bool Box::AddAt(Control* child, int index) {
  if (index < 0 || index > GetCount() || !CanAdopt(child)) return false;
  AdoptChild(child);
  items_.insert(items_.begin() + index, child);
  return true;
}

bool Box::Remove(Control* child) {
  auto it = std::find(items_.begin(), items_.end(), child);
  if (it == items_.end()) return false;
  items_.erase(it);
  Relayout();
  if (autoDestroy_) {
    DestroyChild(child);
  } else {
    child->AttachToWindow(child->GetWindow(), nullptr, false);
  }
  return true;
}

bool Box::RemoveAt(int index) {
  Control* child = GetItemAt(index);
  return child && Remove(child);
}

void Box::RemoveAll() {
  std::vector<Control*> items;
  items.swap(items_);
  for (Control* child : items) {
    if (autoDestroy_) {
      DestroyChild(child);
    } else {
      child->AttachToWindow(child->GetWindow(), nullptr, false);
    }
  }
  Relayout();
}

void Box::DestroyChild(Control* child) {
  if (delayDestroy_ && window_) {
    // Events may still be on their way through the child: the window destroys it later.
    child->AttachToWindow(window_, nullptr, false);
    window_->QueueDeferredDestroy(child);
  } else {
    delete child;
  }
}

void Box::ReplaceLayout(Layout* layout) {
  layout_.reset(layout ? layout : new Layout());
  layout_->SetOwner(this);
  Relayout();
}

UiRect Box::GetContentRect() const {
  const UiRect padding = layout_->GetPadding();
  const UiRect rect = GetPosition(true);
  return UiRect{rect.left + padding.left, rect.top + padding.top, rect.right - padding.right,
                rect.bottom - padding.bottom};
}

void Box::AttachBubbledEvent(EventType type, EventHandler handler) {
  AddEventHandler(&codeBubbledHandlers_, type, std::move(handler));
}

void Box::AttachLayoutBubbledEvent(EventType type, EventHandler handler) {
  AddEventHandler(&layoutBubbledHandlers_, type, std::move(handler));
}

}  // namespace ui

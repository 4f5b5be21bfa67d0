#include "ui/controls/scrollable_box.h"

#include <windows.h>

#include <algorithm>
#include <cstdlib>

#include "ui/controls/scroll_bar.h"
#include "ui/core/resources/dpi_scaler.h"
#include "ui/core/resources/ui_registry.h"
#include "ui/core/tree/attribute_table.h"
#include "ui/core/tree/attribute_values.h"
#include "ui/core/tree/i_control_window.h"
#include "ui/core/tree/layout.h"
#include "ui/render/auto_clip.h"
#include "ui/render/i_render_context.h"

namespace ui {
namespace {

constexpr int kUnitWhenZero = 20;

// Images are released and restored only after the first paint of the process has shown
// what is in view; until then every box does it once more after painting.
bool g_reloadImages = true;

}  // namespace

ScrollableBox::ScrollableBox(Layout* layout) : Box(layout) {}

ScrollableBox::~ScrollableBox() = default;

bool ScrollableBox::HasRange(const ScrollBar* bar) {
  return bar && bar->GetScrollRange() > 0;
}

UiSize ScrollableBox::GetScrollPos() const {
  return UiSize{
      HasRange(horizontalBar_.get()) ? static_cast<int>(horizontalBar_->GetScrollPos()) : 0,
      HasRange(verticalBar_.get()) ? static_cast<int>(verticalBar_->GetScrollPos()) : 0};
}

UiSize ScrollableBox::GetScrollRange() const {
  return UiSize{
      HasRange(horizontalBar_.get()) ? static_cast<int>(horizontalBar_->GetScrollRange()) : 0,
      HasRange(verticalBar_.get()) ? static_cast<int>(verticalBar_->GetScrollRange()) : 0};
}

UiPoint ScrollableBox::GetScrollOffset() const {
  const UiSize position = GetScrollPos();
  return UiPoint{position.cx, position.cy};
}

void ScrollableBox::SetScrollPos(UiSize position) {
  if (position.cy < 0) {
    scrollAnimation_.Stop();
    position.cy = 0;
  } else if (position.cy > GetScrollRange().cy) {
    position.cy = GetScrollRange().cy;
    scrollAnimation_.Stop();
  }
  int64_t dx = 0;
  int64_t dy = 0;
  if (HasRange(verticalBar_.get())) {
    const int64_t old = verticalBar_->GetScrollPos();
    verticalBar_->SetScrollPos(position.cy);
    dy = verticalBar_->GetScrollPos() - old;
  }
  if (HasRange(horizontalBar_.get())) {
    const int64_t old = horizontalBar_->GetScrollPos();
    horizontalBar_->SetScrollPos(position.cx);
    dx = horizontalBar_->GetScrollPos() - old;
  }
  if (dx == 0 && dy == 0) return;
  if (dx != 0 || std::abs(GetScrollPos().cy - residencyY_) >= kImageResidencyStep) {
    UpdateImageResidency(dy > 0);
  }
  Invalidate();
  SendEvent(kEventScrollChange);
}

void ScrollableBox::SetScrollPosY(int y) {
  SetScrollPos(UiSize{GetScrollPos().cx, y});
}

void ScrollableBox::SetScrollPosX(int x) {
  SetScrollPos(UiSize{x, GetScrollPos().cy});
}

// Line, page and end moves.

int ScrollableBox::LineStep(int delta, int unit) {
  if (unit == 0) unit = kUnitWhenZero;
  return (delta == -1 || delta > unit) ? unit : delta;
}

void ScrollableBox::AnimateScrollBy(int step) {
  const int current = GetScrollPos().cy;
  int from = current;
  // Notches that come while the scroll is on its way add to where it is going.
  if (scrollAnimation_.IsRunning()) {
    const int target = scrollAnimation_.GetEndValue();
    if ((step < 0 && target <= current) || (step > 0 && target >= current)) from = target;
  }
  const int target = std::clamp(from + step, 0, GetScrollRange().cy);
  scrollAnimation_.SetStartValue(current);
  scrollAnimation_.SetEndValue(target);
  SetUpScrollAnimation(scrollAnimation_);
  scrollAnimation_.SetPlayCallback([this](int y) { SetScrollPosY(y); });
  scrollAnimation_.Start();
}

void ScrollableBox::LineUp(int delta, bool animate) {
  const int y = GetScrollPos().cy;
  if (y < 1) return;
  const int step = LineStep(delta, verticalUnit_);
  if (animate) {
    AnimateScrollBy(-step);
  } else {
    SetScrollPosY(std::max(y - step, 0));
  }
}

void ScrollableBox::LineDown(int delta, bool animate) {
  const int y = GetScrollPos().cy;
  if (y >= GetScrollRange().cy) return;
  const int step = LineStep(delta, verticalUnit_);
  if (animate) {
    AnimateScrollBy(step);
  } else {
    SetScrollPosY(std::min(y + step, GetScrollRange().cy));
  }
}

void ScrollableBox::LineLeft(int delta) {
  const int x = GetScrollPos().cx - LineStep(delta, horizontalUnit_);
  SetScrollPosX(std::max(x, 0));
}

void ScrollableBox::LineRight(int delta) {
  const int x = GetScrollPos().cx + LineStep(delta, horizontalUnit_);
  SetScrollPosX(std::min(x, GetScrollRange().cx));
}

void ScrollableBox::PageUp() {
  const UiRect padding = layout_->GetPadding();
  int page = rect_.Height() - padding.top - padding.bottom;
  if (HasRange(horizontalBar_.get())) page -= horizontalBar_->GetFixedHeight();
  SetScrollPosY(GetScrollPos().cy - page);
}

void ScrollableBox::PageDown() {
  const UiRect padding = layout_->GetPadding();
  int page = rect_.Height() - padding.top - padding.bottom;
  if (HasRange(horizontalBar_.get())) page -= horizontalBar_->GetFixedHeight();
  SetScrollPosY(GetScrollPos().cy + page);
}

void ScrollableBox::PageLeft() {
  const UiRect padding = layout_->GetPadding();
  SetScrollPosX(GetScrollPos().cx - (rect_.Width() - padding.left - padding.right));
}

void ScrollableBox::PageRight() {
  const UiRect padding = layout_->GetPadding();
  SetScrollPosX(GetScrollPos().cx + (rect_.Width() - padding.left - padding.right));
}

void ScrollableBox::HomeUp() {
  SetScrollPosY(0);
}

void ScrollableBox::HomeLeft() {
  SetScrollPosX(0);
}

void ScrollableBox::EndRight() {
  SetScrollPosX(GetScrollRange().cx);
}

void ScrollableBox::EndDown(bool arrange, bool animate) {
  if (arrange) SetPosition(rect_);
  if (animate && HasRange(verticalBar_.get())) {
    // The content that comes into view slides in from below.
    const int distance = renderOffsetAnimation_.GetEndValue() + GetScrollRange().cy -
                         GetScrollPos().cy - GetRenderOffset().y;
    if (distance > 0) {
      renderOffsetAnimation_.SetStartValue(-distance);
      renderOffsetAnimation_.SetEndValue(0);
      SetUpRenderOffsetAnimation(renderOffsetAnimation_);
      renderOffsetAnimation_.SetPlayCallback([this](int offset) {
        SetRenderOffset(UiPoint{GetRenderOffset().x, offset}, false);
      });
      renderOffsetAnimation_.Start();
    }
  }
  SetScrollPos(UiSize{GetScrollPos().cx, GetScrollRange().cy});
}

void ScrollableBox::TouchUp(int delta) {
  const int y = GetScrollPos().cy;
  if (y >= 1) SetScrollPosY(y - delta);
}

void ScrollableBox::TouchDown(int delta) {
  const int y = GetScrollPos().cy;
  if (y < GetScrollRange().cy) SetScrollPosY(y + delta);
}

// Bars.

ScrollBar* ScrollableBox::MakeBar(bool horizontal) {
  auto* bar = new ScrollBar();
  bar->SetVisible(false);
  bar->SetScrollRange(0);
  bar->SetOwner(this);
  bar->AttachToWindow(window_, this, false);
  const std::wstring classes =
      UiRegistry::GetClassAttributes(horizontal ? L"hscrollbar" : L"vscrollbar");
  if (!classes.empty()) bar->ApplyAttributeList(classes);
  if (horizontal) bar->SetHorizontal(true);
  return bar;
}

void ScrollableBox::EnableScrollBar(bool vertical, bool horizontal) {
  if (!vertical) verticalBar_.reset();
  if (!horizontal) horizontalBar_.reset();
  if (vertical && !verticalBar_) verticalBar_.reset(MakeBar(false));
  if (horizontal && !horizontalBar_) horizontalBar_.reset(MakeBar(true));
  Relayout();
}

// Layout.

void ScrollableBox::SetPosition(const UiRect& rect) {
  const bool atEnd = holdEnd_ && HasRange(verticalBar_.get()) &&
                     verticalBar_->GetScrollPos() == verticalBar_->GetScrollRange();
  const std::weak_ptr<kbase::WeakFlag> alive = WeakFlagOf();
  Control::SetPosition(rect);
  // A resize handler may have destroyed the box.
  if (alive.expired()) return;
  const UiSize required = GetScrollableRequiredSize(GetContentRect());
  ProcessVScrollBar(rect_, required.cy);
  ProcessHScrollBar(rect_, required.cx);
  if (atEnd && HasRange(verticalBar_.get())) EndDown(false, false);
}

UiSize ScrollableBox::GetScrollableRequiredSize(const UiRect& rect) {
  if (items_.empty()) return UiSize{};
  UiRect area = rect;
  if (!scrollBarFloat_) {
    if (HasRange(verticalBar_.get())) area.right -= verticalBar_->GetFixedWidth();
    if (HasRange(horizontalBar_.get())) area.bottom -= horizontalBar_->GetFixedHeight();
  }
  return layout_->ArrangeChildren(items_, area);
}

void ScrollableBox::ProcessVScrollBar(const UiRect& rect, int contentHeight) {
  ProcessBar(verticalBar_.get(), rect, contentHeight, true);
}

void ScrollableBox::ProcessHScrollBar(const UiRect& rect, int contentWidth) {
  ProcessBar(horizontalBar_.get(), rect, contentWidth, false);
}

void ScrollableBox::ProcessBar(ScrollBar* bar, const UiRect& rect, int content, bool vertical) {
  if (!bar) return;
  const UiRect padding = layout_->GetPadding();
  const int viewport = vertical ? rect.Height() - padding.top - padding.bottom
                                : rect.Width() - padding.left - padding.right;
  const int overflow = content - viewport;
  if (overflow > 0 && bar->GetScrollRange() == 0) {
    // The content no longer fits: it is laid out again with the bar in place.
    bar->SetScrollRange(overflow);
    bar->SetScrollPos(0);
    relayoutGuard_ = true;
    SetPosition(rect_);
    relayoutGuard_ = false;
    return;
  }
  if (bar->GetScrollRange() == 0) return;
  if (overflow <= 0 && !relayoutGuard_) {
    // The content fits now.
    bar->SetScrollPos(0);
    bar->SetScrollRange(0);
    SetPosition(rect_);
    return;
  }
  PlaceBar(bar, rect, vertical);
  // Content that fits even with the bar in place has nothing to scroll to.
  const int range = std::max(overflow, 0);
  if (bar->GetScrollRange() == range) return;
  const int64_t before = bar->GetScrollPos();
  bar->SetScrollRange(range);
  if (range == 0) bar->SetScrollPos(0);
  if (bar->GetScrollPos() >= before) return;
  SetPosition(rect_);
}

void ScrollableBox::PlaceBar(ScrollBar* bar, const UiRect& rect, bool vertical) {
  const UiRect& sp = scrollBarPadding_;
  if (vertical) {
    bar->SetPosition(UiRect{rect.right - sp.right - bar->GetFixedWidth(), rect.top + sp.top,
                            rect.right - sp.right, rect.bottom - sp.bottom});
  } else {
    bar->SetPosition(UiRect{rect.left + sp.left, rect.bottom - sp.bottom - bar->GetFixedHeight(),
                            rect.right - sp.right, rect.bottom - sp.bottom});
  }
}

void ScrollableBox::PlaceBars(const UiRect& rect) {
  if (HasRange(verticalBar_.get())) PlaceBar(verticalBar_.get(), rect, true);
  if (HasRange(horizontalBar_.get())) PlaceBar(horizontalBar_.get(), rect, false);
}

// Attributes.

void ScrollableBox::SetAttribute(const std::wstring& name, const std::wstring& value) {
  if (!Attributes().Apply(*this, name, value)) Box::SetAttribute(name, value);
}

const AttributeTable<ScrollableBox>& ScrollableBox::Attributes() {
  using Value = const std::wstring&;
  static const AttributeTable<ScrollableBox> table({
      {L"vscrollbar",
       [](ScrollableBox& c, Value v) {
         c.EnableScrollBar(ParseBoolValue(v), c.horizontalBar_ != nullptr);
       }},
      {L"hscrollbar",
       [](ScrollableBox& c, Value v) {
         c.EnableScrollBar(c.verticalBar_ != nullptr, ParseBoolValue(v));
       }},
      {L"vscrollbarstyle", [](ScrollableBox& c, Value v) { c.SetBarStyle(true, v); }},
      {L"hscrollbarstyle", [](ScrollableBox& c, Value v) { c.SetBarStyle(false, v); }},
      {L"scrollbarpadding",
       [](ScrollableBox& c, Value v) {
         c.scrollBarPadding_ = UiRegistry::GetDpiScaler().ScaleRect(ParseRectValue(v));
       }},
      {L"vscrollunit",
       [](ScrollableBox& c, Value v) {
         c.verticalUnit_ = UiRegistry::GetDpiScaler().ScaleLength(ParseIntValue(v));
       }},
      {L"hscrollunit",
       [](ScrollableBox& c, Value v) {
         c.horizontalUnit_ = UiRegistry::GetDpiScaler().ScaleLength(ParseIntValue(v));
       }},
      {L"scrollbarfloat", [](ScrollableBox& c, Value v) { c.scrollBarFloat_ = ParseBoolValue(v); }},
      {L"defaultdisplayscrollbar",
       [](ScrollableBox& c, Value v) { c.defaultDisplayScrollBar_ = ParseBoolValue(v); }},
      {L"holdend", [](ScrollableBox& c, Value v) { c.holdEnd_ = ParseBoolValue(v); }},
  });
  return table;
}

void ScrollableBox::SetBarStyle(bool vertical, const std::wstring& attributes) {
  // Styling a bar makes it.
  if (vertical) {
    EnableScrollBar(true, horizontalBar_ != nullptr);
    verticalBar_->ApplyAttributeList(attributes);
  } else {
    EnableScrollBar(verticalBar_ != nullptr, true);
    horizontalBar_->ApplyAttributeList(attributes);
  }
}

void ScrollableBox::AttachToWindow(IControlWindow* window, Box* parent, bool init) {
  Box::AttachToWindow(window, parent, init);
  for (ScrollBar* bar : {verticalBar_.get(), horizontalBar_.get()}) {
    if (bar) bar->AttachToWindow(window, this, init);
  }
}

void ScrollableBox::SetMouseEnabled(bool enabled) {
  Box::SetMouseEnabled(enabled);
  for (ScrollBar* bar : {verticalBar_.get(), horizontalBar_.get()}) {
    if (bar) bar->SetMouseEnabled(enabled);
  }
}

// Input.

void ScrollableBox::HandleEvent(EventArgs* args) {
  if (PassOnDisabledMouse(args)) return;
  const int type = args->type;
  if (HasRange(verticalBar_.get()) && verticalBar_->IsEnabled()) {
    if (HandleScrollInput(args, true)) return;
  } else if (HasRange(horizontalBar_.get()) && horizontalBar_->IsEnabled()) {
    if (HandleScrollInput(args, false)) return;
  }
  const std::weak_ptr<kbase::WeakFlag> alive = WeakFlagOf();
  Box::HandleEvent(args);
  if (alive.expired() || !window_) return;
  // Bars that hide by themselves show while the mouse is over the box.
  const bool hoverInside = IsSelfOrAncestorOf(window_->GetHoverControl());
  if (type == kEventMouseEnter && hoverInside) FadeBars(true);
  if (type == kEventMouseLeave && !hoverInside) FadeBars(false);
}

void ScrollableBox::FadeBars(bool in) {
  for (ScrollBar* bar : {verticalBar_.get(), horizontalBar_.get()}) {
    if (!HasRange(bar) || !bar->IsEnabled() || !bar->IsAutoHide()) continue;
    if (!in && (bar->GetThumbState() == ControlState::kHot ||
                bar->GetThumbState() == ControlState::kPushed)) {
      continue;
    }
    bar->SetFadeVisible(in);
  }
}

bool ScrollableBox::HandleScrollInput(EventArgs* args, bool vertical) {
  if (args->type == kEventKeyDown) return HandleScrollKey(args->wParam, vertical);
  if (args->type == kEventScrollWheel) {
    // Towards the user (below 1) scrolls on, away from the user back.
    const int wheel = static_cast<int>(args->wParam);
    if (vertical) {
      wheel < 1 ? LineDown(std::abs(wheel), true) : LineUp(wheel, true);
    } else {
      wheel < 1 ? LineRight() : LineLeft();
    }
    return true;
  }
  return vertical && HandleTouch(args);
}

bool ScrollableBox::HandleScrollKey(std::uint32_t key, bool vertical) {
  switch (key) {
    case VK_PRIOR:
      vertical ? PageUp() : PageLeft();
      return true;
    case VK_NEXT:
      vertical ? PageDown() : PageRight();
      return true;
    case VK_END:
      vertical ? EndDown(true, true) : EndRight();
      return true;
    case VK_HOME:
      vertical ? HomeUp() : HomeLeft();
      return true;
    case VK_UP:
      vertical ? LineUp(-1, true) : LineLeft();
      return true;
    case VK_DOWN:
      vertical ? LineDown(-1, true) : LineRight();
      return true;
    default:
      return false;
  }
}

bool ScrollableBox::HandleTouch(EventArgs* args) {
  switch (args->type) {
    case kEventTouchDown:
    case kEventPointerDown:
      if (!IsEnabled()) return false;
      touchCaptured_ = true;
      lastTouchPoint_ = args->mousePoint;
      return true;
    case kEventTouchMove:
    case kEventPointerUpdate: {
      if (!touchCaptured_) return false;
      const int dy = args->mousePoint.y - lastTouchPoint_.y;
      if (dy == 0) return true;
      lastTouchPoint_ = args->mousePoint;
      // The content follows the finger.
      if (dy < 1) {
        TouchDown(-dy);
      } else {
        TouchUp(dy);
      }
      return true;
    }
    case kEventTouchUp:
    case kEventPointerUp:
      if (!touchCaptured_) return false;
      touchCaptured_ = false;
      lastTouchPoint_ = args->mousePoint;
      return true;
    default:
      return false;
  }
}

// Hit testing and painting.

Control* ScrollableBox::FindControl(FindControlProc proc, void* data, unsigned int flags,
                                    const UiPoint&) {
  if ((flags & kFindVisible) && !IsVisible()) return nullptr;
  if ((flags & kFindEnabled) && !IsEnabled()) return nullptr;
  if ((flags & kFindHitTest) && !rect_.Contains(*static_cast<const UiPoint*>(data))) {
    return nullptr;
  }
  for (ScrollBar* bar : {verticalBar_.get(), horizontalBar_.get()}) {
    if (!bar) continue;
    if (Control* found = bar->FindControl(proc, data, flags)) return found;
  }
  if ((flags & kFindHitTest) && !mouseChildEnabled_) return Control::FindControl(proc, data, flags);
  return Box::FindControl(proc, data, flags, GetScrollOffset());
}

UiRect ScrollableBox::ViewRect() const {
  UiRect view = rect_;
  const UiPoint scroll = GetScrollOffset();
  view.Offset(scroll.x + renderOffset_.x, scroll.y + renderOffset_.y);
  return view;
}

void ScrollableBox::PaintChildren(IRenderContext& context, const UiRect& paintRect) {
  if (!paintRect.Intersects(rect_)) return;
  const UiPoint scroll = GetScrollOffset();
  // The children's own coordinates: the content area, moved by the scroll position.
  UiRect childPaint = GetContentRect().Intersection(paintRect);
  childPaint.Offset(scroll.x + renderOffset_.x, scroll.y + renderOffset_.y);
  {
    // One clip and one origin for all the children: a long list has most of them out of
    // view, and those cost no more than a rectangle test.
    AutoClip clip(&context, rect_, IsClipToBounds());
    const UiPoint old = context.OffsetOrigin(scroll.x, scroll.y);
    for (size_t i = 0; i < items_.size(); ++i) {
      Control* child = items_[i];
      if (child->IsFloat() || !child->IsVisible()) continue;
      if (!childPaint.Intersects(child->GetItemRect())) continue;
      child->Paint(context, childPaint);
    }
    context.SetOrigin(old);
  }
  for (Control* child : items_) {
    if (child->IsFloat() && child->IsVisible()) child->Paint(context, paintRect);
  }
  for (ScrollBar* bar : {horizontalBar_.get(), verticalBar_.get()}) {
    if (bar && bar->IsVisible()) bar->Paint(context, paintRect);
  }
  if (g_reloadImages) {
    g_reloadImages = false;
    UpdateImageResidency(true);
  }
}

void ScrollableBox::UpdateImageResidency(bool forward) {
  residencyY_ = GetScrollPos().cy;
  const UiRect view = ViewRect();
  const size_t count = items_.size();
  for (size_t n = 0; n < count && n < items_.size(); ++n) {
    Control* child = items_[forward ? n : items_.size() - 1 - n];
    if (!child->IsVisible() || child->IsFloat()) continue;
    UiRect nearby = child->GetItemRect();
    nearby.top -= kImageResidencyMargin;
    nearby.bottom += kImageResidencyMargin;
    if (nearby.Intersects(view)) {
      child->RestoreImagesFromCache();
    } else {
      child->ReleaseAllImages();
    }
  }
}

}  // namespace ui

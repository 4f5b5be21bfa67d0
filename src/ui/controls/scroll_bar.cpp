#include "ui/controls/scroll_bar.h"

#include <algorithm>
#include <cstdio>

#include "ui/controls/scrollable_box.h"
#include "ui/core/image_attributes/image_drawing.h"
#include "ui/core/resources/dpi_scaler.h"
#include "ui/core/resources/ui_registry.h"
#include "ui/core/tree/attribute_table.h"
#include "ui/core/tree/attribute_values.h"
#include "ui/core/tree/i_control_window.h"
#include "ui/services/timer_queue.h"

namespace ui {
namespace {

bool IsAllZero(const UiRect& rect) {
  return rect.left == 0 && rect.top == 0 && rect.right == 0 && rect.bottom == 0;
}

}  // namespace

ScrollBar::ScrollBar() {
  SetFixedWidth(kDefaultThickness, false);
  SetFixedHeight(0);
  SetFloat(true);
  SetNoFocus();
  // A drag must end even when the window loses the focus mid-way.
  SetButtonUpOnFocusLoss(true);
}

ScrollBar::~ScrollBar() {
  timerFlag_.Revoke();
}

void ScrollBar::SetScrollRange(int64_t range) {
  if (range == range_) return;
  range_ = std::max<int64_t>(range, 0);
  position_ = std::min(position_, range_);
  if (range_ == 0) {
    SetVisible(false);
  } else if (!autoHide_ && !IsInternVisible()) {
    SetFadeVisible(true);
  }
  LayOutParts();
}

void ScrollBar::SetScrollPos(int64_t position) {
  if (position == position_) return;
  position_ = std::clamp<int64_t>(position, 0, range_);
  LayOutParts();
}

void ScrollBar::SetHorizontal(bool horizontal) {
  if (horizontal == horizontal_) return;
  horizontal_ = horizontal;
  if (horizontal && GetFixedHeight() == 0) {
    SetFixedWidth(0, false);
    SetFixedHeight(kDefaultThickness);
  } else if (!horizontal && GetFixedWidth() == 0) {
    SetFixedWidth(kDefaultThickness, false);
    SetFixedHeight(0);
  }
  if (owner_) {
    owner_->Relayout();
  } else {
    RelayoutAncestor();
  }
}

void ScrollBar::SetLineSize(int size) {
  lineSize_ = UiRegistry::GetDpiScaler().ScaleLength(size);
}

void ScrollBar::SetThumbMinLength(int length) {
  thumbMinLength_ = UiRegistry::GetDpiScaler().ScaleLength(length);
}

// Geometry.

int ScrollBar::Length() const {
  return horizontal_ ? rect_.Width() : rect_.Height();
}

int ScrollBar::Thickness() const {
  return horizontal_ ? GetFixedHeight() : GetFixedWidth();
}

int ScrollBar::TrackLength() const {
  const int b = Thickness();
  return Length() - (showButton1_ ? b : 0) - (showButton2_ ? b : 0);
}

int ScrollBar::MovableLength() const {
  const int thumb = horizontal_ ? thumbRect_.Width() : thumbRect_.Height();
  return std::max(TrackLength() - thumb, 0);
}

void ScrollBar::SetPosition(const UiRect& rect) {
  Control::SetPosition(rect);
  LayOutParts();
}

void ScrollBar::LayOutParts() {
  // Worked along the bar's axis (a) and across it (c), then turned into rectangles.
  const bool h = horizontal_;
  auto make = [h](int a0, int a1, int c0, int c1) {
    return h ? UiRect{a0, c0, a1, c1} : UiRect{c0, a0, c1, a1};
  };
  const int a0 = h ? rect_.left : rect_.top;
  const int a1 = h ? rect_.right : rect_.bottom;
  const int c0 = h ? rect_.top : rect_.left;
  const int b = Thickness();
  const int length = a1 - a0;
  const int track = TrackLength();
  if (track > b) {
    button1Rect_ = showButton1_ ? make(a0, a0 + b, c0, c0 + b) : make(a0, a0, c0, c0);
    button2Rect_ = showButton2_ ? make(a1 - b, a1, c0, c0 + b) : make(a1, a1, c0, c0);
    const int trackStart = a0 + (showButton1_ ? b : 0);
    const int trackEnd = a1 - (showButton2_ ? b : 0);
    int start = trackStart;
    int end = trackEnd;
    if (range_ > 0) {
      const int64_t natural =
          static_cast<int64_t>(length * track) / (static_cast<int64_t>(length) + range_);
      // A minimum longer than the track would push the thumb over the buttons and make
      // dragging run backwards: the thumb is never longer than its track.
      const int thumb =
          static_cast<int>(std::min<int64_t>(std::max<int64_t>(natural, thumbMinLength_), track));
      start = trackStart + static_cast<int>((track - thumb) * position_ / range_);
      end = start + thumb;
      if (end > trackEnd) {
        end = trackEnd;
        start = trackEnd - thumb;
      }
    }
    thumbRect_ = make(start, end, c0, c0 + b);
  } else {
    const int s = std::min(length / 2, b);
    button1Rect_ = showButton1_ ? make(a0, a0 + s, c0, c0 + b) : make(a0, a0, c0, c0);
    button2Rect_ = showButton2_ ? make(a1 - s, a1, c0, c0 + b) : make(a1, a1, c0, c0);
    thumbRect_ = UiRect{};
  }
  Invalidate();
}

ScrollBar::Part ScrollBar::PartAt(const UiPoint& point) const {
  if (showButton1_ && button1Rect_.Contains(point)) return Part::kButton1;
  if (showButton2_ && button2Rect_.Contains(point)) return Part::kButton2;
  if (IsAllZero(thumbRect_)) return Part::kNone;
  if (thumbRect_.Contains(point)) return Part::kThumb;
  const int along = AxisOf(point);
  if (along < (horizontal_ ? thumbRect_.left : thumbRect_.top)) return Part::kTrackBefore;
  if (along >= (horizontal_ ? thumbRect_.right : thumbRect_.bottom)) return Part::kTrackAfter;
  return Part::kNone;
}

// Scrolling.

void ScrollBar::ScrollStep(bool forward, bool page) {
  if (!owner_) {
    const int64_t step = page ? Length() : lineSize_;
    SetScrollPos(position_ + (forward ? step : -step));
  } else if (horizontal_) {
    if (page) {
      forward ? owner_->PageRight() : owner_->PageLeft();
    } else {
      forward ? owner_->LineRight(-1) : owner_->LineLeft(-1);
    }
  } else if (page) {
    forward ? owner_->PageDown() : owner_->PageUp();
  } else {
    forward ? owner_->LineDown(-1, true) : owner_->LineUp(-1, true);
  }
}

void ScrollBar::ScrollTo(int64_t position) {
  if (!owner_) {
    SetScrollPos(position);
    return;
  }
  UiSize target = owner_->GetScrollPos();
  const int clamped = static_cast<int>(std::clamp<int64_t>(position, 0, range_));
  (horizontal_ ? target.cx : target.cy) = clamped;
  owner_->SetScrollPos(target);
}

// Input.

void ScrollBar::HandleEvent(EventArgs* args) {
  // A bar's parent is its owner.
  if (PassOnDisabledMouse(args)) return;
  const int type = args->type;
  switch (type) {
    case kEventButtonDown:
    case kEventInternalButtonDown:
    case kEventPointerDown:
      if (IsEnabled()) OnButtonDown(args);
      Control::HandleEvent(args);
      return;
    case kEventButtonUp:
    case kEventPointerUp:
      OnButtonUp(args);
      return;
    case kEventMouseMove:
    case kEventPointerUpdate:
      if (thumbCaptured_) {
        OnMouseMove(args);
        return;
      }
      break;
    case kEventMouseEnter:
      Control::HandleEvent(args);
      SetPartStates(ControlState::kHot);
      return;
    case kEventMouseLeave:
      Control::HandleEvent(args);
      SetPartStates(ControlState::kNormal);
      return;
    default:
      break;
  }
  Control::HandleEvent(args);
}

void ScrollBar::OnButtonDown(EventArgs* args) {
  dragOffset_ = 0;
  repeatCount_ = 0;
  timerFlag_.Revoke();
  TimerQueue::Instance().Schedule(
      timerFlag_.WeakFlagOf(), [this] { RepeatStep(); }, kRepeatMillis, TimerQueue::kRepeatForever);
  const std::weak_ptr<kbase::WeakFlag> alive = WeakFlagOf();
  switch (PartAt(args->mousePoint)) {
    case Part::kButton1:
      button1State_ = ControlState::kPushed;
      ScrollStep(false, false);
      break;
    case Part::kButton2:
      button2State_ = ControlState::kPushed;
      ScrollStep(true, false);
      break;
    case Part::kThumb:
      thumbState_ = ControlState::kPushed;
      thumbCaptured_ = true;
      lastMousePoint_ = args->mousePoint;
      dragStartPosition_ = position_;
      break;
    case Part::kTrackBefore:
      ScrollStep(false, true);
      break;
    case Part::kTrackAfter:
      ScrollStep(true, true);
      break;
    case Part::kNone:
      break;
  }
  if (!alive.expired()) Invalidate();
}

void ScrollBar::OnMouseMove(EventArgs* args) {
  const int movable = MovableLength();
  // Nothing to move along: the thumb fills its track, and a drag scrolls nothing.
  if (movable == 0) return;
  const int64_t moved = AxisOf(args->mousePoint) - AxisOf(lastMousePoint_);
  dragOffset_ = moved * range_ / movable;
}

void ScrollBar::OnButtonUp(EventArgs* args) {
  repeatCount_ = 0;
  dragOffset_ = 0;
  timerFlag_.Revoke();
  const bool inside = rect_.Contains(args->mousePoint);
  if (thumbCaptured_) {
    thumbCaptured_ = false;
    thumbState_ = inside ? ControlState::kHot : ControlState::kNormal;
  } else {
    for (ControlState* state : {&button1State_, &button2State_}) {
      if (*state == ControlState::kPushed) *state = ControlState::kNormal;
    }
    Invalidate();
  }
  const std::weak_ptr<kbase::WeakFlag> alive = WeakFlagOf();
  ButtonUp(args);
  if (alive.expired()) return;
  if (autoHide_ && owner_ && !owner_->GetPosition().Contains(args->mousePoint)) {
    SetFadeVisible(false);
  }
}

void ScrollBar::RepeatStep() {
  ++repeatCount_;
  if (thumbState_ == ControlState::kPushed) {
    ScrollTo(dragStartPosition_ + dragOffset_);
    return;
  }
  if (repeatCount_ <= kRepeatDelayTicks) return;
  if (button1State_ == ControlState::kPushed) {
    ScrollStep(false, false);
  } else if (button2State_ == ControlState::kPushed) {
    ScrollStep(true, false);
  } else if (window_) {
    // The window follows the pointer while the press lasts.
    const Part part = PartAt(window_->GetLastMousePoint());
    if (part == Part::kTrackBefore) ScrollStep(false, true);
    if (part == Part::kTrackAfter) ScrollStep(true, true);
  }
}

void ScrollBar::SetPartStates(ControlState state) {
  button1State_ = button2State_ = thumbState_ = state;
  Invalidate();
}

void ScrollBar::SetEnabled(bool enabled) {
  Control::SetEnabled(enabled);
  if (enabled) {
    SetPartStates(ControlState::kNormal);
    SetHotAlpha(0);
  } else {
    SetPartStates(ControlState::kDisabled);
  }
}

void ScrollBar::SetFocus() {
  if (owner_) {
    owner_->SetFocus();
  } else {
    Control::SetFocus();
  }
}

// Attributes.

void ScrollBar::SetAttribute(const std::wstring& name, const std::wstring& value) {
  if (!Attributes().Apply(*this, name, value)) Control::SetAttribute(name, value);
}

const AttributeTable<ScrollBar>& ScrollBar::Attributes() {
  using Value = const std::wstring&;
  static const AttributeTable<ScrollBar> table(
      {
          {L"hor", [](ScrollBar& c, Value v) { c.SetHorizontal(ParseBoolValue(v)); }},
          {L"linesize", [](ScrollBar& c, Value v) { c.SetLineSize(ParseIntValue(v)); }},
          {L"thumbminlength", [](ScrollBar& c, Value v) { c.SetThumbMinLength(ParseIntValue(v)); }},
          {L"range", [](ScrollBar& c, Value v) { c.SetScrollRange(ParseIntValue(v)); }},
          {L"value", [](ScrollBar& c, Value v) { c.SetScrollPos(ParseIntValue(v)); }},
          {L"showbutton1",
           [](ScrollBar& c, Value v) { c.ShowButton(&c.showButton1_, ParseBoolValue(v)); }},
          {L"showbutton2",
           [](ScrollBar& c, Value v) { c.ShowButton(&c.showButton2_, ParseBoolValue(v)); }},
          {L"autohidescroll", [](ScrollBar& c, Value v) { c.autoHide_ = ParseBoolValue(v); }},
      },
      {
          {L"button1", L"image",
           [](ScrollBar& c, ControlState s, Value v) { c.SetPartImage(&c.button1Images_, s, v); }},
          {L"button2", L"image",
           [](ScrollBar& c, ControlState s, Value v) { c.SetPartImage(&c.button2Images_, s, v); }},
          {L"thumb", L"image",
           [](ScrollBar& c, ControlState s, Value v) { c.SetPartImage(&c.thumbImages_, s, v); }},
          {L"rail", L"image",
           [](ScrollBar& c, ControlState s, Value v) { c.SetPartImage(&c.railImages_, s, v); }},
          {L"bk", L"image",
           [](ScrollBar& c, ControlState s, Value v) { c.SetPartImage(&c.bkImages_, s, v); }},
      });
  return table;
}

void ScrollBar::SetPartImage(StateImageSet* images, ControlState state, const std::wstring& image) {
  images->SetImageString(state, image);
  Invalidate();
}

void ScrollBar::ShowButton(bool* shown, bool show) {
  *shown = show;
  LayOutParts();
}

// Painting.

std::wstring ScrollBar::DestinationOf(const UiRect& rect) const {
  wchar_t text[96];
  std::swprintf(text, sizeof(text) / sizeof(text[0]), L"destscale='false' dest='%d,%d,%d,%d'",
                rect.left - rect_.left, rect.top - rect_.top, rect.right - rect_.left,
                rect.bottom - rect_.top);
  return text;
}

void ScrollBar::PaintPart(IRenderContext& context, StateImageSet& images, const UiRect& rect,
                          ControlState state) {
  // The images to try for the state, best first; the first one that draws is shown.
  ControlState choice[3] = {ControlState::kNormal};
  int count = 1;
  if (state == ControlState::kDisabled) {
    choice[0] = ControlState::kDisabled;
    choice[1] = ControlState::kNormal;
    count = 2;
  } else if (state == ControlState::kPushed) {
    choice[0] = ControlState::kPushed;
    choice[1] = ControlState::kHot;
    choice[2] = ControlState::kNormal;
    count = 3;
  } else if (state == ControlState::kHot) {
    choice[0] = ControlState::kHot;
    choice[1] = ControlState::kNormal;
    count = 2;
  }
  const std::wstring destination = DestinationOf(rect);
  for (int i = 0; i < count; ++i) {
    if (DrawImage(*this, context, &images.Get(choice[i]), destination)) return;
  }
}

void ScrollBar::PaintStateImages(IRenderContext& context) {
  Control::PaintStateImages(context);
  bkImages_.Paint(context, GetState());
  // The buttons light up while the thumb is dragged.
  auto buttonState = [this](ControlState state) {
    if (state == ControlState::kNormal && thumbState_ == ControlState::kPushed) {
      return ControlState::kHot;
    }
    return state;
  };
  if (showButton1_) PaintPart(context, button1Images_, button1Rect_, buttonState(button1State_));
  if (showButton2_) PaintPart(context, button2Images_, button2Rect_, buttonState(button2State_));
  if (IsAllZero(thumbRect_)) return;
  thumbImages_.Paint(context, thumbState_, DestinationOf(thumbRect_));
  // The grip, one thickness long, centred on the thumb.
  const int b = Thickness();
  UiRect rail = thumbRect_;
  if (horizontal_) {
    const int c = (thumbRect_.left + thumbRect_.right) / 2;
    rail.left = c - b / 2;
    rail.right = rail.left + b;
  } else {
    const int c = (thumbRect_.top + thumbRect_.bottom) / 2;
    rail.top = c - b / 2;
    rail.bottom = rail.top + b;
  }
  PaintPart(context, railImages_, rail, thumbState_);
}

}  // namespace ui

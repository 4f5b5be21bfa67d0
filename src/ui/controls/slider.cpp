#include "ui/controls/slider.h"

#include <cstdint>
#include <cwchar>

#include "ui/core/image_attributes/image_drawing.h"
#include "ui/core/resources/dpi_scaler.h"
#include "ui/core/resources/ui_registry.h"
#include "ui/core/tree/attribute_table.h"
#include "ui/core/tree/attribute_values.h"
#include "ui/core/tree/box.h"
#include "ui/core/tree/i_control_window.h"

namespace ui {

Slider::Slider() {
  textStyle_ = kTextCenter | kTextSingleLine;
}

void Slider::SetThumbSize(int width, int height) {
  const DpiScaler& scaler = UiRegistry::GetDpiScaler();
  thumbWidth_ = scaler.ScaleLength(width);
  thumbHeight_ = scaler.ScaleLength(height);
}

void Slider::SetThumbImage(ControlState state, const std::wstring& image) {
  thumbImages_.SetImageString(state, image);
  Invalidate();
}

void Slider::SetProgressBarPadding(const UiRect& padding) {
  progressBarPadding_ = UiRegistry::GetDpiScaler().ScaleRect(padding);
  if (GetFixedWidth() == kLengthAuto || GetFixedHeight() == kLengthAuto) {
    RelayoutAncestor();
  } else {
    Invalidate();
  }
}

void Slider::SetAttribute(const std::wstring& name, const std::wstring& value) {
  if (!Attributes().Apply(*this, name, value)) Progress::SetAttribute(name, value);
}

const AttributeTable<Slider>& Slider::Attributes() {
  using Value = const std::wstring&;
  static const AttributeTable<Slider> table(
      {
          {L"step", [](Slider& c, Value v) { c.SetChangeStep(_wtoi(v.c_str())); }},
          {L"thumbsize",
           [](Slider& c, Value v) {
             const UiSize size = ParseSizeValue(v);
             c.SetThumbSize(size.cx, size.cy);
           }},
          {L"progressbarpadding",
           [](Slider& c, Value v) { c.SetProgressBarPadding(ParseRectValue(v)); }},
      },
      {
          {L"thumb", L"image", [](Slider& c, ControlState s, Value v) { c.SetThumbImage(s, v); }},
      });
  return table;
}

UiRect Slider::GetProgressPos() {
  const double span = Span();
  const double value = ClampedValue();
  if (horizontal_) {
    const double end = (rect_.Width() - thumbWidth_) * (value - min_) / span + thumbWidth_ / 2;
    return UiRect{0, 0, Truncate(end + 0.5), rect_.Height()};
  }
  const double top =
      (min_ + span - value) * (rect_.Height() - thumbHeight_) / span + thumbHeight_ / 2;
  return UiRect{0, Truncate(top + 0.5), rect_.Width(), rect_.Height()};
}

UiRect Slider::GetThumbRect() const {
  const UiRect& r = rect_;
  const double span = Span();
  const double part = (ClampedValue() - min_) / span;
  if (horizontal_) {
    const int top = (r.top + r.bottom - thumbHeight_) / 2;
    const int left = Truncate((r.Width() - thumbWidth_) * part + r.left);
    return UiRect{left, top, left + thumbWidth_, top + thumbHeight_};
  }
  const int left = (r.left + r.right - thumbWidth_) / 2;
  const int top = Truncate(r.bottom - thumbHeight_ - (r.Height() - thumbHeight_) * part);
  return UiRect{left, top, left + thumbWidth_, top + thumbHeight_};
}

double Slider::ValueFromPoint(const UiPoint& point) const {
  const UiRect& r = rect_;
  // The offset times the range outgrows 32 bits for wide ranges: 25 pixels into a range of
  // 100,000,000 is already past 2^31.
  const std::int64_t span = static_cast<std::int64_t>(max_) - min_;
  if (horizontal_) {
    const int half = thumbWidth_ / 2;
    if (point.x >= r.right - half) return max_;
    if (point.x <= r.left + half) return min_;
    const int track = r.Width() - thumbWidth_;
    if (track <= 0) return min_;
    const std::int64_t offset = static_cast<std::int64_t>(point.x) - r.left - half;
    return min_ + static_cast<double>(offset * span) / track;
  }
  const int half = thumbHeight_ / 2;
  if (point.y >= r.bottom - half) return min_;
  if (point.y <= r.top + half) return max_;
  const int track = r.Height() - thumbHeight_;
  if (track <= 0) return min_;
  const std::int64_t offset = static_cast<std::int64_t>(r.bottom) - half - point.y;
  return min_ + static_cast<double>(offset * span) / track;
}

UiPoint Slider::ContentPoint(const EventArgs& args) const {
  const UiPoint scroll = GetScrollOffsetInScrollBox();
  return UiPoint{args.mousePoint.x + scroll.x, args.mousePoint.y + scroll.y};
}

void Slider::HandleEvent(EventArgs* args) {
  if (PassOnDisabledMouse(args)) return;
  const int type = args->type;
  switch (type) {
    case kEventButtonDown:
    case kEventInternalButtonDown:
    case kEventPointerDown: {
      if (IsEnabled()) {
        const UiPoint p = ContentPoint(*args);
        const UiRect thumb = GetThumbRect();
        if (p.x >= thumb.left && p.x < thumb.right && p.y >= thumb.top && p.y < thumb.bottom) {
          SetPressed(true);
        }
      }
      return;
    }
    case kEventMouseMove:
    case kEventPointerUpdate:
      if (IsPressed()) {
        value_ = ValueFromPoint(ContentPoint(*args));
        Invalidate();
      }
      return;
    case kEventButtonUp:
    case kEventPointerUp: {
      if (IsPressed()) SetPressed(false);
      if (!IsEnabled()) return;
      value_ = ValueFromPoint(ContentPoint(*args));
      const std::weak_ptr<kbase::WeakFlag> alive = WeakFlagOf();
      if (IControlWindow* window = GetWindow()) window->SendNotify(this, kEventValueChange, 0, 0);
      if (!alive.expired()) Invalidate();
      return;
    }
    case kEventScrollWheel: {
      // A disabled slider keeps its value; the notch goes on to the boxes around it, so a
      // scrolled page still scrolls over it.
      if (!IsEnabled()) break;
      value_ += static_cast<std::int32_t>(args->wParam) > 0 ? step_ : -step_;
      Invalidate();
      if (IControlWindow* window = GetWindow()) window->SendNotify(this, kEventValueChange, 0, 0);
      return;
    }
    case kEventInternalMenu:
      return;
    default:
      break;
  }
  Progress::HandleEvent(args);
}

void Slider::PaintStateImages(IRenderContext& context) {
  const UiRect whole = rect_;
  const UiRect& pad = progressBarPadding_;
  rect_ = UiRect{whole.left + pad.left, whole.top + pad.top, whole.right - pad.right,
                 whole.bottom - pad.bottom};
  PaintProgress(context);
  rect_ = whole;

  UiRect t = GetThumbRect();
  t.Offset(-whole.left, -whole.top);
  wchar_t modifier[96];
  swprintf(modifier, 96, L"destscale='false' dest='%d,%d,%d,%d'", t.left, t.top, t.right, t.bottom);
  thumbModifier_ = modifier;
  // The thumb shows only normal and pushed: nothing moves it into the other states.
  if (IsPressed() &&
      DrawImage(*this, context, &thumbImages_.Get(ControlState::kPushed), thumbModifier_)) {
    return;
  }
  DrawImage(*this, context, &thumbImages_.Get(static_cast<ControlState>(thumbState_)),
            thumbModifier_);
}

void Slider::ReleaseAllImages() {
  Progress::ReleaseAllImages();
  thumbImages_.ClearImages();
}

}  // namespace ui

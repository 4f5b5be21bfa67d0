#include "ui/core/resources/scale_change.h"

#include <windows.h>

namespace ui {

ScaleChange::ScaleChange(int fromPercent, int toPercent) : from_(fromPercent), to_(toPercent) {}

bool ScaleChange::Changes() const {
  return from_ > 0 && to_ > 0 && from_ != to_;
}

int ScaleChange::Length(int value) const {
  return Changes() ? MulDiv(value, to_, from_) : value;
}

UiSize ScaleChange::Size(UiSize size) const {
  return UiSize{Length(size.cx), Length(size.cy)};
}

UiPoint ScaleChange::Point(UiPoint point) const {
  return UiPoint{Length(point.x), Length(point.y)};
}

UiRect ScaleChange::Rect(const UiRect& rect) const {
  const int left = Length(rect.left);
  const int top = Length(rect.top);
  return UiRect{left, top, left + Length(rect.Width()), top + Length(rect.Height())};
}

UiRect ScaleChange::Insets(const UiRect& insets) const {
  return UiRect{Length(insets.left), Length(insets.top), Length(insets.right),
                Length(insets.bottom)};
}

}  // namespace ui

#include "ui/core/resources/dpi_scaler.h"

#include <windows.h>

namespace ui {

int DpiScaler::ScaleLength(int value) const {
  return Scales() ? MulDiv(value, percent_, 100) : value;
}

UiRect DpiScaler::ScaleRect(const UiRect& rect) const {
  if (!Scales()) return rect;
  const int left = ScaleLength(rect.left);
  const int top = ScaleLength(rect.top);
  return UiRect{left, top, left + ScaleLength(rect.Width()), top + ScaleLength(rect.Height())};
}

void DpiScaler::OnDpiChanged(int dpi) {
  if (enabled_) percent_ = MulDiv(dpi, 100, 96);
}

}  // namespace ui

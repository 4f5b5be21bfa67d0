#include "ui/core/dpi_scaler.h"

#include <windows.h>

namespace ui {

int DpiScaler::ScaleLength(int value) const {
  return Scales() ? MulDiv(value, percent_, 100) : value;
}

void DpiScaler::OnDpiChanged(int dpi) {
  if (enabled_) percent_ = MulDiv(dpi, 100, 96);
}

}  // namespace ui

#pragma once

#include "ui/render/render_types.h"

namespace ui {

// Every length read from a layout passes through here so that scaling lives in one place.
// Off by default, so every value comes back unchanged until the application switches it on.
class DpiScaler {
 public:
  int ScaleLength(int value) const;
  // Left and top are scaled as points, width and height each once as lengths.
  UiRect ScaleRect(const UiRect& rect) const;

  bool enabled() const { return enabled_; }
  int percent() const { return percent_; }
  // The percentage lengths are scaled by: 100 while scaling is off.
  int AppliedPercent() const { return Scales() ? percent_ : 100; }
  void SetEnabled(bool enabled) { enabled_ = enabled; }
  void SetPercent(int percent) { percent_ = percent; }
  // A window's DPI change; ignored while scaling is off.
  void OnDpiChanged(int dpi);

 private:
  bool Scales() const { return enabled_ && percent_ != 100; }

  int percent_ = 100;
  bool enabled_ = false;
};

}  // namespace ui

#pragma once

#include <string>

namespace ui {
class DpiScaler;
}

// Whether the client's windows follow the screen's DPI, from "service.ini" beside the
// executable (section "display", key "dpiscaling"). On by default: every length of a
// layout grows with the screen's scaling (150% on a 144-DPI screen). "off" keeps every
// window at its layout's pixel size, for skins drawn for 100% only. A value that is
// neither keeps the default.
class DisplayScale {
 public:
  static DisplayScale Read(const std::wstring& iniPath);
  // Reads one value of the setting; false when it is not one the setting knows.
  static bool ParseSwitch(const std::wstring& text, bool* enabled);

  bool Enabled() const { return enabled_; }
  // Switches the scaler on at the percentage for the DPI, or leaves it off at 100%.
  void ApplyTo(ui::DpiScaler& scaler, int dpi) const;

  // A DPI as a scale percentage (96 is 100%); 100 for a DPI no screen has.
  static int PercentForDpi(int dpi);
  // The DPI of the system (the primary screen): from the system call of Windows 10 where it
  // exists, else from the screen's device context, so that Windows 7 runs the client too.
  static int SystemDpi();

 private:
  bool enabled_ = true;
};

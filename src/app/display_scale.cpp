#include "app/display_scale.h"

#include <windows.h>

#include <cwctype>

#include "app/launch_settings.h"
#include "ui/core/resources/dpi_scaler.h"

namespace {

constexpr int kBaseDpi = 96;
// Outside this the value is not a screen's DPI (Windows offers 100% to 500%).
constexpr int kLowestDpi = 48;
constexpr int kHighestDpi = 960;

std::wstring Lowered(const std::wstring& text) {
  std::wstring lowered;
  for (wchar_t c : text) {
    if (c != L' ' && c != L'\t') lowered += static_cast<wchar_t>(std::towlower(c));
  }
  return lowered;
}

}  // namespace

bool DisplayScale::ParseSwitch(const std::wstring& text, bool* enabled) {
  const std::wstring value = Lowered(text);
  if (value == L"on" || value == L"1" || value == L"true" || value == L"yes") {
    *enabled = true;
    return true;
  }
  if (value == L"off" || value == L"0" || value == L"false" || value == L"no") {
    *enabled = false;
    return true;
  }
  return false;
}

DisplayScale DisplayScale::Read(const std::wstring& iniPath) {
  DisplayScale scale;
  bool enabled = true;
  if (ParseSwitch(ReadIniValue(iniPath, L"display", L"dpiscaling"), &enabled)) {
    scale.enabled_ = enabled;
  }
  return scale;
}

void DisplayScale::ApplyTo(ui::DpiScaler& scaler, int dpi) const {
  scaler.SetEnabled(enabled_);
  scaler.SetPercent(enabled_ ? PercentForDpi(dpi) : 100);
}

int DisplayScale::PercentForDpi(int dpi) {
  if (dpi < kLowestDpi || dpi > kHighestDpi) return 100;
  return MulDiv(dpi, 100, kBaseDpi);
}

int DisplayScale::SystemDpi() {
  using GetDpiForSystemFunction = UINT(WINAPI*)();
  if (HMODULE user32 = GetModuleHandleW(L"user32.dll")) {
    const FARPROC entry = GetProcAddress(user32, "GetDpiForSystem");
    if (entry) {
      const UINT dpi = reinterpret_cast<GetDpiForSystemFunction>(reinterpret_cast<void*>(entry))();
      if (dpi != 0) return static_cast<int>(dpi);
    }
  }
  const HDC screen = GetDC(nullptr);
  if (!screen) return kBaseDpi;
  const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : kBaseDpi;
}

#pragma once

#include <windows.h>

#include <objbase.h>

#include <cstdint>
#include <string>

#include "runtime/weak_callback.h"

namespace ui {

// The touch keyboard's invocation object: its one operation after IUnknown shows the
// keyboard when it is hidden and hides it when it is shown.
struct ITouchKeyboardInvocation : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Toggle(HWND desktop) = 0;
};

// Shows and hides the system's touch keyboard. Requests are applied 10 ms later, on the UI
// thread's timer queue, and only when the keyboard's window is not already as asked.
class OnScreenKeyboardManager : public kbase::SupportWeakCallback {
 public:
  using VersionCheck = bool (*)();
  using CreateInstanceFunction = HRESULT(STDAPICALLTYPE*)(REFCLSID, LPUNKNOWN, DWORD, REFIID,
                                                          LPVOID*);
  using ShellExecuteFunction = HINSTANCE(WINAPI*)(HWND, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, INT);

  // Waits this long for a toggle to show in the keyboard's window before toggling again.
  static constexpr std::uint32_t kToggleSettleMs = 3000;
  static constexpr int kApplyDelayMs = 10;
  // How often a request that turned meanwhile looks again for the keyboard's window.
  static constexpr int kRecheckMs = 100;

  static OnScreenKeyboardManager& Instance();

  OnScreenKeyboardManager() = default;
  OnScreenKeyboardManager(const OnScreenKeyboardManager&) = delete;
  OnScreenKeyboardManager& operator=(const OnScreenKeyboardManager&) = delete;
  ~OnScreenKeyboardManager() override = default;

  void ShowKeyboard(bool visible);
  bool IsRequestedVisible() const { return requestedVisible_; }

  // The system is 6.2 or later; asked once per process.
  static bool IsWindows8OrLater();
  // The keyboard program: CommonProgramW6432 with the ink folder, or the fixed path.
  static std::wstring KeyboardProgramPath();

  // Replacements for the platform, for systems without a touch keyboard; null restores the
  // platform's own. Each returns the one used before.
  static VersionCheck SetVersionCheck(VersionCheck check);
  static CreateInstanceFunction SetCreateInstance(CreateInstanceFunction create);
  static ShellExecuteFunction SetShellExecute(ShellExecuteFunction execute);

 private:
  void Apply();
  void StartKeyboard();

  bool requestedVisible_ = false;
  // A toggle has been asked for and the keyboard's window has not yet followed it: the
  // keyboard takes a while to appear, and toggling again meanwhile would close it.
  bool toggleInFlight_ = false;
  bool toggleTarget_ = false;
  std::uint32_t toggleTick_ = 0;
};

}  // namespace ui

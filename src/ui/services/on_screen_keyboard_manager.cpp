#include "ui/services/on_screen_keyboard_manager.h"

#include <shellapi.h>

#include <atomic>

#include "ui/services/timer_queue.h"

namespace ui {

namespace {

// {4CE576FA-83DC-4F88-951C-9D0782B4E376}
constexpr CLSID kInvocationClass = {
    0x4CE576FA, 0x83DC, 0x4F88, {0x95, 0x1C, 0x9D, 0x07, 0x82, 0xB4, 0xE3, 0x76}};
// {37C994E7-432B-4834-A2F7-DCE1F13B834B}
constexpr IID kInvocationInterface = {
    0x37C994E7, 0x432B, 0x4834, {0xA2, 0xF7, 0xDC, 0xE1, 0xF1, 0x3B, 0x83, 0x4B}};
constexpr DWORD kInvocationContext = CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER;

constexpr wchar_t kKeyboardWindowClass[] = L"IPTip_Main_Window";
constexpr wchar_t kCommonProgramVariable[] = L"CommonProgramW6432";
constexpr wchar_t kProgramInFolder[] = L"\\microsoft shared\\ink\\TabTip.exe";
constexpr wchar_t kFallbackProgram[] =
    L"C:\\\\Program Files\\Common Files\\microsoft shared\\ink\\TabTip.exe";

bool AskSystemVersion() {
  OSVERSIONINFOEXW info{};
  info.dwOSVersionInfoSize = sizeof(info);
  info.dwMajorVersion = 6;
  info.dwMinorVersion = 2;
  info.wServicePackMajor = 0;
  ULONGLONG mask = 0;
  mask = ::VerSetConditionMask(mask, VER_MAJORVERSION, VER_GREATER_EQUAL);
  mask = ::VerSetConditionMask(mask, VER_MINORVERSION, VER_GREATER_EQUAL);
  mask = ::VerSetConditionMask(mask, VER_SERVICEPACKMAJOR, VER_GREATER_EQUAL);
  return ::VerifyVersionInfoW(&info, VER_MAJORVERSION | VER_MINORVERSION | VER_SERVICEPACKMAJOR,
                              mask) != FALSE;
}

std::atomic<OnScreenKeyboardManager::VersionCheck> g_versionCheck{nullptr};
std::atomic<OnScreenKeyboardManager::CreateInstanceFunction> g_createInstance{nullptr};
std::atomic<OnScreenKeyboardManager::ShellExecuteFunction> g_shellExecute{nullptr};

// The whole value, however long; empty when the variable is missing.
std::wstring ReadEnvironment(const wchar_t* name) {
  std::wstring value;
  DWORD size = ::GetEnvironmentVariableW(name, nullptr, 0);
  while (size > 0) {
    value.resize(size);
    const DWORD written = ::GetEnvironmentVariableW(name, &value[0], size);
    if (written < size) {
      value.resize(written);
      break;
    }
    // The variable grew in between; `written` is the size it needs now.
    size = written;
  }
  if (size == 0) value.clear();
  while (!value.empty() && value.back() == L'\0') value.pop_back();
  return value;
}

// Both the window's visible bit and its disabled bit: shown means visible and enabled.
bool IsShown(HWND window) {
  if (!window) return false;
  const LONG style = ::GetWindowLongW(window, GWL_STYLE);
  return ((style >> 27) & 3) == 2;
}

}  // namespace

OnScreenKeyboardManager& OnScreenKeyboardManager::Instance() {
  static OnScreenKeyboardManager manager;
  return manager;
}

bool OnScreenKeyboardManager::IsWindows8OrLater() {
  if (VersionCheck check = g_versionCheck.load()) return check();
  static const bool answer = AskSystemVersion();
  return answer;
}

std::wstring OnScreenKeyboardManager::KeyboardProgramPath() {
  const std::wstring folder = ReadEnvironment(kCommonProgramVariable);
  if (folder.empty()) return kFallbackProgram;
  return folder + kProgramInFolder;
}

OnScreenKeyboardManager::VersionCheck OnScreenKeyboardManager::SetVersionCheck(VersionCheck check) {
  return g_versionCheck.exchange(check);
}

OnScreenKeyboardManager::CreateInstanceFunction OnScreenKeyboardManager::SetCreateInstance(
    CreateInstanceFunction create) {
  return g_createInstance.exchange(create);
}

OnScreenKeyboardManager::ShellExecuteFunction OnScreenKeyboardManager::SetShellExecute(
    ShellExecuteFunction execute) {
  return g_shellExecute.exchange(execute);
}

void OnScreenKeyboardManager::ShowKeyboard(bool visible) {
  if (!IsWindows8OrLater()) return;
  requestedVisible_ = visible;
  // Each request gets its own apply step; every step applies the latest request.
  TimerQueue::Instance().Schedule(
      *this, [this] { Apply(); }, kApplyDelayMs, 1);
}

void OnScreenKeyboardManager::Apply() {
  const HWND keyboard = ::FindWindowW(kKeyboardWindowClass, nullptr);
  const bool shown = IsShown(keyboard);
  if (toggleInFlight_) {
    const bool settled = shown == toggleTarget_;
    const bool waitedLongEnough = ::GetTickCount() - toggleTick_ >= kToggleSettleMs;
    if (settled || waitedLongEnough) {
      toggleInFlight_ = false;
    } else if (toggleTarget_ == requestedVisible_) {
      return;
    } else {
      // The request turned while the keyboard is still on its way: look again until it
      // has arrived, then undo it.
      TimerQueue::Instance().Schedule(
          *this, [this] { Apply(); }, kRecheckMs, 1);
      return;
    }
  }
  if (shown == requestedVisible_) return;
  toggleInFlight_ = true;
  toggleTarget_ = requestedVisible_;
  toggleTick_ = ::GetTickCount();
  if (shown) {
    ::PostMessageW(keyboard, WM_SYSCOMMAND, SC_CLOSE, 0);
    return;
  }
  CreateInstanceFunction create = g_createInstance.load();
  if (!create) create = &::CoCreateInstance;
  ITouchKeyboardInvocation* invocation = nullptr;
  const HRESULT hr = create(kInvocationClass, nullptr, kInvocationContext, kInvocationInterface,
                            reinterpret_cast<void**>(&invocation));
  if (SUCCEEDED(hr) && invocation) {
    invocation->Toggle(::GetDesktopWindow());
    invocation->Release();
    return;
  }
  StartKeyboard();
}

void OnScreenKeyboardManager::StartKeyboard() {
  ShellExecuteFunction execute = g_shellExecute.load();
  if (!execute) execute = &::ShellExecuteW;
  const std::wstring path = KeyboardProgramPath();
  execute(nullptr, L"open", path.c_str(), nullptr, nullptr, SW_SHOWDEFAULT);
}

}  // namespace ui

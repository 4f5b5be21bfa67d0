#include "runtime/win_ui_message_pump.h"

#include <windows.h>

namespace kbase {

namespace {

constexpr UINT kShortestTimer = 10;
constexpr int64_t kLongestWait = 0xFFFFFFFE;
constexpr int kMessageFilterCode = 0x5001;
constexpr UINT kFirstMouseMessage = 0x200;
constexpr UINT kLastMouseMessage = 0x20D;

HINSTANCE ModuleInstance() {
  return GetModuleHandleW(nullptr);
}

}  // namespace

// The window procedure of the pump window; a friend, so that the pump's handlers stay
// private.
class PumpWindow {
 public:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER || message == WinUIMessagePump::kWakeMessage) {
      // Both carry the pump's address; anything else posted to this window is ignored.
      auto* pump = reinterpret_cast<WinUIMessagePump*>(GetWindowLongPtrW(window, GWLP_USERDATA));
      if (pump && wParam == reinterpret_cast<WPARAM>(pump)) {
        if (message == WM_TIMER) {
          pump->OnTimer();
        } else {
          pump->OnWakeMessage();
        }
      }
    }
    return DefWindowProcW(window, message, wParam, lParam);
  }
};

WinUIMessagePump::WinUIMessagePump() {
  WNDCLASSEXW windowClass = {};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = &PumpWindow::Procedure;
  windowClass.hInstance = ModuleInstance();
  windowClass.lpszClassName = kWindowClass;
  // Fails harmlessly when another pump of this process registered the class already.
  RegisterClassExW(&windowClass);
  window_ = CreateWindowExW(0, kWindowClass, nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                            ModuleInstance(), nullptr);
  if (window_) SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

WinUIMessagePump::~WinUIMessagePump() {
  if (window_) DestroyWindow(window_);
  // Fails harmlessly while another pump's window still uses the class.
  UnregisterClassW(kWindowClass, ModuleInstance());
}

void WinUIMessagePump::WakeForWork() {
  if (haveWork_.exchange(1) != 0) return;
  // A failed post leaves haveWork_ at 1: the tasks then run at the next native message or
  // timer instead.
  if (PostMessageW(window_, kWakeMessage, reinterpret_cast<WPARAM>(this), 0)) {
    wakeMessages_.fetch_add(1, std::memory_order_relaxed);
  }
}

void WinUIMessagePump::WakeAt(TickTime time) {
  timedWake_ = time;
  int64_t delay = CurrentDelay();
  if (delay < kShortestTimer) delay = kShortestTimer;
  if (delay > kLongestWait) delay = kLongestWait;
  lastTimerInterval_ = static_cast<uint32_t>(delay);
  timerSet_ = SetTimer(window_, reinterpret_cast<UINT_PTR>(this), lastTimerInterval_, nullptr) != 0;
}

void WinUIMessagePump::KillWakeTimer() {
  if (!timerSet_) return;
  KillTimer(window_, reinterpret_cast<UINT_PTR>(this));
  timerSet_ = false;
}

void WinUIMessagePump::RunLoopBody() {
  PumpFrame* const frame = frame_;
  for (;;) {
    const bool sentWaiting = HIWORD(GetQueueStatus(QS_SENDMESSAGE)) & QS_SENDMESSAGE;
    MSG message;
    bool more =
        PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE) ? ProcessMessage(message) : sentWaiting;
    if (frame->quitNow) return;
    more |= frame->delegate->RunImmediateTasks();
    if (frame->quitNow) return;
    more |= frame->delegate->RunDueTimedTask(&timedWake_);
    // The last timed task has run: an idle thread keeps no timer.
    if (more && timedWake_.IsNull()) KillWakeTimer();
    if (frame->quitNow) return;
    if (more) continue;
    more = frame->delegate->RunIdleTask();
    if (frame->quitNow) return;
    if (more) continue;
    WaitForWork();
  }
}

bool WinUIMessagePump::ProcessMessage(const MSG& message) {
  if (message.message == WM_QUIT) {
    frame_->quitNow = true;
    // Enclosing loops, ours or foreign, must see the quit message too.
    PostQuitMessage(static_cast<int>(message.wParam));
    return false;
  }
  if (message.message == kWakeMessage && message.hwnd == window_) {
    return ProcessReplacementMessage();
  }
  if (CallMsgFilterW(const_cast<MSG*>(&message), kMessageFilterCode)) return true;
  NotifyBeforeMessage(message);
  if (frame_->dispatcher) {
    if (!frame_->dispatcher->Forward(message)) frame_->quitNow = true;
  } else {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  NotifyAfterMessage(message);
  return true;
}

bool WinUIMessagePump::ProcessReplacementMessage() {
  // The wake message was taken in place of a real one; handle the next real message now so
  // that a stream of wake messages cannot starve input.
  MSG message;
  const bool got = PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE);
  haveWork_.exchange(0);
  if (!got) return false;
  WakeForWork();
  return ProcessMessage(message);
}

void WinUIMessagePump::WaitForWork() {
  const int64_t delay = CurrentDelay();
  const DWORD timeout =
      delay < 0 ? INFINITE : static_cast<DWORD>(delay > kLongestWait ? kLongestWait : delay);
  const DWORD result =
      MsgWaitForMultipleObjectsEx(0, nullptr, timeout, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  if (result != WAIT_OBJECT_0) return;
  // A mouse message for another thread's window makes the wait report input that this
  // thread cannot take; waiting for a new message keeps that from becoming a busy spin.
  MSG message;
  if ((HIWORD(GetQueueStatus(QS_MOUSE)) & QS_MOUSE) &&
      !PeekMessageW(&message, nullptr, kFirstMouseMessage, kLastMouseMessage, PM_NOREMOVE)) {
    WaitMessage();
  }
}

void WinUIMessagePump::OnTimer() {
  KillWakeTimer();
  if (!frame_) return;
  frame_->delegate->RunDueTimedTask(&timedWake_);
  if (!timedWake_.IsNull()) WakeAt(timedWake_);
}

void WinUIMessagePump::OnWakeMessage() {
  if (!frame_) {
    haveWork_.exchange(0);
    return;
  }
  // Reached here when a foreign loop dispatched the wake message: run tasks from inside it.
  ProcessReplacementMessage();
  if (frame_->delegate->RunImmediateTasks()) WakeForWork();
}

void WinUIMessagePump::NotifyBeforeMessage(const MSG& message) {
  observers_.Notify([&](UIObserver* observer) { observer->BeforeMessage(message); });
}

void WinUIMessagePump::NotifyAfterMessage(const MSG& message) {
  observers_.Notify([&](UIObserver* observer) { observer->AfterMessage(message); });
}

}  // namespace kbase

#include "runtime/win_ui_message_pump.h"

#include <windows.h>

namespace kbase {

namespace {

constexpr UINT kShortestTimer = 10;
constexpr int64_t kLongestWait = 0xFFFFFFFE;
constexpr int kMessageFilterCode = 0x5001;
constexpr UINT kFirstMouseMessage = 0x200;
constexpr UINT kLastMouseMessage = 0x20D;
// What a message queue hands out only when no posted message is left.
constexpr UINT kAfterPostedMessages = QS_INPUT | QS_PAINT | QS_TIMER | QS_HOTKEY;

HINSTANCE ModuleInstance() {
  return GetModuleHandleW(nullptr);
}

}  // namespace

// The window procedure of the pump window; a friend, so that the pump's handlers stay
// private.
class PumpWindow {
 public:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // The wake message and the timers carry the pump's address (the work timer the next
    // one); anything else posted to this window is ignored.
    auto* pump = reinterpret_cast<WinUIMessagePump*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (pump && message == WinUIMessagePump::kWakeMessage && wParam == PumpId(pump)) {
      pump->OnWakeMessage();
    } else if (pump && message == WM_TIMER && wParam == PumpId(pump)) {
      pump->OnTimer();
    } else if (pump && message == WM_TIMER && wParam == WorkTimerId(pump)) {
      pump->OnWorkTimer();
    }
    return DefWindowProcW(window, message, wParam, lParam);
  }

  static UINT_PTR PumpId(const WinUIMessagePump* pump) { return reinterpret_cast<UINT_PTR>(pump); }
  // Carries tasks on inside a foreign modal loop while input waits.
  static UINT_PTR WorkTimerId(const WinUIMessagePump* pump) { return PumpId(pump) + 1; }
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
  if (PostMessageW(window_, kWakeMessage, PumpWindow::PumpId(this), 0)) {
    wakeMessages_.fetch_add(1, std::memory_order_relaxed);
  }
}

void WinUIMessagePump::WakeAt(TickTime time) {
  timedWake_ = time;
  int64_t delay = CurrentDelay();
  if (delay < kShortestTimer) delay = kShortestTimer;
  if (delay > kLongestWait) delay = kLongestWait;
  lastTimerInterval_ = static_cast<uint32_t>(delay);
  timerSet_ = SetTimer(window_, PumpWindow::PumpId(this), lastTimerInterval_, nullptr) != 0;
}

void WinUIMessagePump::KillWakeTimer() {
  if (!timerSet_) return;
  KillTimer(window_, PumpWindow::PumpId(this));
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
    // While a quit waits behind other posted messages, those are taken and no task runs.
    if (quitMayWait_) {
      if (PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE)) continue;
      quitMayWait_ = false;
    }
    tasksMayWait_ = frame->delegate->RunImmediateTasks();
    more |= tasksMayWait_;
    if (frame->quitNow) return;
    // A timed task that asked to quit is seen before the tasks it posted run, as when it
    // ran from the timer message.
    const bool ranTimed = frame->delegate->RunDueTimedTask(&timedWake_);
    quitMayWait_ |= ranTimed;
    more |= ranTimed;
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
  // Handling the message may enter a modal loop (a message box, a menu, a window being
  // moved): waiting tasks run inside it only if a wake message is queued, and timed tasks
  // only if the timer is set (a timer that fired where no task could run was not set
  // again).
  if (tasksMayWait_) WakeForWork();
  if (!timedWake_.IsNull() && !timerSet_) WakeAt(timedWake_);
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
  // The pump's own loop took the wake message in place of a real one; it handles the next
  // real message now so that a stream of wake messages cannot starve input. (Handling it
  // queues a new wake message first: the tasks have not run yet.)
  MSG message;
  const bool got = PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE);
  haveWork_.exchange(0);
  tasksMayWait_ = true;
  if (!got) return false;
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
  quitMayWait_ = frame_->delegate->RunDueTimedTask(&timedWake_);
  if (!timedWake_.IsNull()) WakeAt(timedWake_);
}

void WinUIMessagePump::OnWakeMessage() {
  // Reached when a loop that is not the pump's own dispatched the wake message: a modal
  // loop, or any loop after the run ended.
  haveWork_.exchange(0);
  RunTaskInForeignLoop();
}

void WinUIMessagePump::OnWorkTimer() {
  KillTimer(window_, PumpWindow::WorkTimerId(this));
  haveWork_.exchange(0);
  RunTaskInForeignLoop();
}

void WinUIMessagePump::RunTaskInForeignLoop() {
  // One task per message, as in the pump's own loop; the foreign loop's own messages are
  // left to it.
  if (frame_ && frame_->delegate->RunImmediateTasks()) ContinueInForeignLoop();
}

void WinUIMessagePump::ContinueInForeignLoop() {
  // A queue hands out posted messages before input, paint and timers, so a wake message
  // posted whenever a task has run would keep those from the foreign loop for as long as
  // tasks keep coming. While any of them waits, the tasks carry on from a timer, which comes
  // after them. Meanwhile haveWork_ stays 1, so that posts from other threads queue no wake
  // message ahead of them either; the timer clears it.
  if (HIWORD(GetQueueStatus(kAfterPostedMessages)) != 0) {
    if (haveWork_.exchange(1) != 0) return;  // a wake message was queued meanwhile
    if (SetTimer(window_, PumpWindow::WorkTimerId(this), kShortestTimer, nullptr)) return;
    haveWork_.exchange(0);
  }
  WakeForWork();
}

void WinUIMessagePump::NotifyBeforeMessage(const MSG& message) {
  observers_.Notify([&](UIObserver* observer) { observer->BeforeMessage(message); });
}

void WinUIMessagePump::NotifyAfterMessage(const MSG& message) {
  observers_.Notify([&](UIObserver* observer) { observer->AfterMessage(message); });
}

}  // namespace kbase

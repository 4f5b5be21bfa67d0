#pragma once

#include <atomic>
#include <cstdint>

#include "runtime/observer_list.h"
#include "runtime/win_message_pump.h"

struct HWND__;

namespace kbase {

// Interleaves native window messages with tasks. It wakes itself through a private
// message and a timer on a message-only window, so tasks keep running while a foreign
// modal loop (a message box, a menu, a window being dragged) pumps the thread's messages.
// A foreign loop's messages stay its own: the pump takes none of them, and while input,
// paint or timer messages wait it lets that loop have them before it runs the next task.
class WinUIMessagePump : public WinMessagePump {
 public:
  static constexpr unsigned kWakeMessage = 0x401;  // WM_USER + 1
  static constexpr const wchar_t* kWindowClass = L"CorvaneMessagePumpWindow";

  // Told about every native message the pump dispatches itself.
  class UIObserver {
   public:
    virtual void BeforeMessage(const tagMSG& message) = 0;
    virtual void AfterMessage(const tagMSG& message) = 0;

   protected:
    ~UIObserver() = default;
  };

  WinUIMessagePump();
  ~WinUIMessagePump() override;
  WinUIMessagePump(const WinUIMessagePump&) = delete;
  WinUIMessagePump& operator=(const WinUIMessagePump&) = delete;

  void RunLoop(Delegate* delegate) override { WinMessagePump::RunLoop(delegate); }
  void RequestQuit() override { WinMessagePump::RequestQuit(); }
  void WakeForWork() override;
  void WakeAt(TickTime time) override;

  void AddUIObserver(UIObserver* observer) { observers_.Add(observer); }
  void RemoveUIObserver(UIObserver* observer) { observers_.Remove(observer); }

  HWND__* window() const { return window_; }
  // How many wake messages WakeForWork has posted so far.
  uint32_t WakeMessagesPosted() const { return wakeMessages_.load(std::memory_order_relaxed); }
  // The interval last given to SetTimer, in milliseconds (0 before the first).
  uint32_t LastTimerInterval() const { return lastTimerInterval_; }

 protected:
  void RunLoopBody() override;
  virtual void NotifyBeforeMessage(const tagMSG& message);
  virtual void NotifyAfterMessage(const tagMSG& message);

 private:
  friend class PumpWindow;

  bool ProcessMessage(const tagMSG& message);
  bool ProcessReplacementMessage();
  void WaitForWork();
  void KillWakeTimer();
  void OnTimer();
  void OnWakeMessage();
  void OnWorkTimer();
  void RunTaskInForeignLoop();
  void ContinueInForeignLoop();

  HWND__* window_ = nullptr;
  ObserverList<UIObserver> observers_;
  std::atomic<uint32_t> wakeMessages_{0};
  uint32_t lastTimerInterval_ = 0;
  // Whether the wake timer is set, so that a busy loop does not kill a timer that is
  // not there on every pass.
  bool timerSet_ = false;
  // Whether the last pass of the pump's own loop ran a task, or it has just taken a wake
  // message: tasks may be waiting that only a queued wake message can bring into a modal
  // loop entered from the next native message.
  bool tasksMayWait_ = false;
  // A timed task ran from the timer message: it may have asked the loop to quit, which the
  // queue hands out only after the posted messages, so tasks wait until that is known.
  bool quitMayWait_ = false;
};

}  // namespace kbase

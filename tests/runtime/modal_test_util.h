#pragma once

#include <windows.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "runtime/message_loop_proxy.h"

namespace loop_test {

inline BOOL CALLBACK RememberDialog(HWND window, LPARAM result) {
  wchar_t className[16] = {};
  GetClassNameW(window, className, 16);
  if (std::wstring(className) != L"#32770") return TRUE;
  *reinterpret_cast<HWND*>(result) = window;
  return FALSE;
}

// The first dialog window (a message box) of the given thread, or nullptr.
inline HWND FindDialogOf(DWORD threadId) {
  HWND found = nullptr;
  EnumThreadWindows(threadId, &RememberDialog, reinterpret_cast<LPARAM>(&found));
  return found;
}

inline HWND FindDialogOfThisThread() {
  return FindDialogOf(GetCurrentThreadId());
}

// Runs `fallback` on its own thread unless Cancel comes first: the way out of a modal
// loop or a blocking wait that a fault would otherwise leave hanging.
class Watchdog {
 public:
  Watchdog(std::chrono::milliseconds after, std::function<void()> fallback)
      : thread_([this, after, fallback = std::move(fallback)] {
          std::unique_lock<std::mutex> hold(mutex_);
          if (cancelled_.wait_for(hold, after, [this] { return cancel_; })) return;
          fired_ = true;
          hold.unlock();
          fallback();
        }) {}
  ~Watchdog() {
    Cancel();
    thread_.join();
  }
  Watchdog(const Watchdog&) = delete;
  Watchdog& operator=(const Watchdog&) = delete;

  void Cancel() {
    std::lock_guard<std::mutex> hold(mutex_);
    cancel_ = true;
    cancelled_.notify_all();
  }
  bool fired() {
    std::lock_guard<std::mutex> hold(mutex_);
    return fired_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable cancelled_;
  bool cancel_ = false;
  bool fired_ = false;
  std::thread thread_;
};

// An action that closes the message box of `threadId` with `result` by posting the
// command to it, from any thread; it waits up to 10 s for a box to appear.
inline std::function<void()> CloseBoxOf(DWORD threadId, WPARAM result) {
  return [threadId, result] {
    for (int tries = 0; tries < 1000; ++tries) {
      if (HWND box = FindDialogOf(threadId)) {
        PostMessageW(box, WM_COMMAND, result, 0);
        return;
      }
      Sleep(10);
    }
  };
}

// Another thread that keeps a loop busy: it posts tasks through the proxy as fast as it
// can, staying at most `ahead` tasks in front of the loop so that the queue never runs
// dry and never grows without bound. Each task runs `work` first. It stops posting when
// told to, or by itself once `length` has passed.
class Flooder {
 public:
  Flooder(std::shared_ptr<kbase::MessageLoopProxy> proxy, int ahead, kbase::Task work = nullptr,
          std::chrono::milliseconds length = std::chrono::minutes(1))
      : state_(std::make_shared<State>()) {
    state_->work = std::move(work);
    const auto end = std::chrono::steady_clock::now() + length;
    thread_ = std::thread([state = state_, proxy = std::move(proxy), ahead, end] {
      while (!state->stop.load() && std::chrono::steady_clock::now() < end) {
        if (state->posted.load() - state->ran.load() >= ahead) {
          std::this_thread::yield();
          continue;
        }
        ++state->posted;
        proxy->Post([state] {
          if (state->work) state->work();
          ++state->ran;
        });
      }
      state->expired = !state->stop.load();
    });
  }
  ~Flooder() { Stop(); }
  Flooder(const Flooder&) = delete;
  Flooder& operator=(const Flooder&) = delete;

  // Call from one thread only.
  void Stop() {
    state_->stop = true;
    if (thread_.joinable()) thread_.join();
  }
  int64_t posted() const { return state_->posted.load(); }
  int64_t ran() const { return state_->ran.load(); }
  // Whether it gave up posting because its length had passed.
  bool Expired() const { return state_->expired.load(); }

 private:
  struct State {
    std::atomic<bool> stop{false};
    std::atomic<bool> expired{false};
    std::atomic<int64_t> posted{0};
    std::atomic<int64_t> ran{0};
    kbase::Task work;
  };
  std::shared_ptr<State> state_;
  std::thread thread_;
};

// Keeps the calling thread busy, as a task that takes a while would.
inline void SpinFor(std::chrono::microseconds length) {
  const auto end = std::chrono::steady_clock::now() + length;
  while (std::chrono::steady_clock::now() < end) {
  }
}

// Blocks the calling thread until `condition` holds or `limit` passes; true when it held.
inline bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > end) return false;
    Sleep(1);
  }
  return true;
}

}  // namespace loop_test

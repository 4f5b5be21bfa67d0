#pragma once

#include <windows.h>

#include <chrono>
#include <functional>

namespace test_messages {

// Runs the messages waiting in the thread's queue.
inline void Drain() {
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
}

// Runs the thread's messages until the condition holds (true) or the time is up (false).
inline bool PumpUntil(const std::function<bool()>& done, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    Drain();
    if (done()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 2, QS_ALLINPUT);
  }
}

// Runs the thread's messages for a while.
inline void PumpFor(int ms) {
  PumpUntil([] { return false; }, ms);
}

}  // namespace test_messages

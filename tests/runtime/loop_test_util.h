#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "runtime/message_loop.h"
#include "runtime/tick_time.h"
#include "runtime/ui_message_loop.h"

inline std::unique_ptr<kbase::MessageLoop> MakeLoop(kbase::LoopKind kind) {
  if (kind == kbase::kUILoop) return std::make_unique<kbase::UIMessageLoop>();
  return std::make_unique<kbase::MessageLoop>();
}

inline std::string LoopKindName(kbase::LoopKind kind) {
  return kind == kbase::kUILoop ? "UILoop" : "PlainLoop";
}

// Runs the loop until every task that is ready, or falls due meanwhile, has run.
inline void RunUntilIdle(kbase::MessageLoop& loop) {
  loop.Post([&loop] { loop.QuitWhenIdle(); });
  loop.Run();
}

// Drives the runtime clock by hand for the length of a scope.
class FakeClock {
 public:
  explicit FakeClock(uint32_t milliseconds) {
    reading_ = milliseconds;
    kbase::TickTime::SetMillisecondSource(&Read);
  }
  ~FakeClock() { kbase::TickTime::SetMillisecondSource(nullptr); }
  FakeClock(const FakeClock&) = delete;
  FakeClock& operator=(const FakeClock&) = delete;

  void Set(uint32_t milliseconds) { reading_ = milliseconds; }
  void Advance(uint32_t milliseconds) { reading_ += milliseconds; }

 private:
  static uint32_t Read() { return reading_; }
  static inline std::atomic<uint32_t> reading_{0};
};

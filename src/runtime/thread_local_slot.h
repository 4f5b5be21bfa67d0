#pragma once

#include <atomic>

namespace kbase {

// One pointer per thread in a thread-local storage slot that is allocated the first time
// any thread needs it. Meant for objects of static storage duration (constant-initialised,
// so usable before and after static constructors run).
class ThreadLocalSlot {
 public:
  constexpr ThreadLocalSlot() = default;
  ThreadLocalSlot(const ThreadLocalSlot&) = delete;
  ThreadLocalSlot& operator=(const ThreadLocalSlot&) = delete;

  void* Get();
  void Set(void* value);

 private:
  // 0: no slot, 1: a thread is allocating it, 2: ready.
  enum : long { kEmpty = 0, kAllocating = 1, kReady = 2 };

  unsigned long Index();

  std::atomic<long> state_{kEmpty};
  unsigned long index_ = 0;
};

}  // namespace kbase

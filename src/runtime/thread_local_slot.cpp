#include "runtime/thread_local_slot.h"

#include <windows.h>

namespace kbase {

unsigned long ThreadLocalSlot::Index() {
  if (state_.load(std::memory_order_acquire) == kReady) return index_;
  long expected = kEmpty;
  if (state_.compare_exchange_strong(expected, kAllocating, std::memory_order_acq_rel)) {
    index_ = TlsAlloc();
    state_.store(kReady, std::memory_order_release);
    return index_;
  }
  // Another thread won the race and is allocating: wait for it.
  while (state_.load(std::memory_order_acquire) != kReady) Sleep(0);
  return index_;
}

void* ThreadLocalSlot::Get() {
  const DWORD index = Index();
  return index == TLS_OUT_OF_INDEXES ? nullptr : TlsGetValue(index);
}

void ThreadLocalSlot::Set(void* value) {
  const DWORD index = Index();
  if (index != TLS_OUT_OF_INDEXES) TlsSetValue(index, value);
}

}  // namespace kbase

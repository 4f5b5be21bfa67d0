#pragma once

#include <cstdint>

namespace kbase {

// A thread of execution: its native identifier and, if it owns one, its native handle.
class Thread {
 public:
  Thread() = default;
  virtual ~Thread();
  Thread(const Thread&) = delete;
  Thread& operator=(const Thread&) = delete;

  // The work of the thread; nothing by default.
  virtual void ThreadBody() {}

  uint32_t NativeId() const { return nativeId_; }

 protected:
  // Waits for the native thread to end (terminating it if the wait fails) and closes its
  // handle. Nothing to do without a handle.
  void JoinNativeThread();

  uint32_t nativeId_ = 0;
  void* nativeHandle_ = nullptr;
};

}  // namespace kbase

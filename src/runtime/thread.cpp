#include "runtime/thread.h"

#include <windows.h>

namespace kbase {

Thread::~Thread() {
  JoinNativeThread();
}

void Thread::JoinNativeThread() {
  if (!nativeHandle_) return;
  if (WaitForSingleObject(nativeHandle_, INFINITE) != WAIT_OBJECT_0) {
    TerminateThread(nativeHandle_, 0);
  }
  CloseHandle(nativeHandle_);
  nativeHandle_ = nullptr;
  nativeId_ = 0;
}

}  // namespace kbase

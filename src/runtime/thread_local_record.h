#pragma once

#include <cstdint>

namespace kbase {

class FrameworkThread;

// What the runtime knows about a thread that runs a framework-thread body.
struct ThreadLocalRecord {
  FrameworkThread* thread = nullptr;
  int32_t registrations = 0;  // registrations not yet matched by an unregistration
  int32_t registeredId = -1;  // -1 when not registered
};

// The calling thread's record, or nullptr.
ThreadLocalRecord* CurrentThreadRecord();
void SetCurrentThreadRecord(ThreadLocalRecord* record);

}  // namespace kbase

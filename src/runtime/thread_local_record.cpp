#include "runtime/thread_local_record.h"

#include "runtime/thread_local_slot.h"

namespace kbase {

namespace {

ThreadLocalSlot g_record;

}  // namespace

ThreadLocalRecord* CurrentThreadRecord() {
  return static_cast<ThreadLocalRecord*>(g_record.Get());
}

void SetCurrentThreadRecord(ThreadLocalRecord* record) {
  g_record.Set(record);
}

}  // namespace kbase

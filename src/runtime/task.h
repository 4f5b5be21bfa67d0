#pragma once

#include <cstdint>
#include <functional>

#include "runtime/tick_time.h"

namespace kbase {

// The unit of work of a message loop: no arguments, no result, copyable.
using Task = std::function<void()>;

// One entry of a loop's queues.
struct QueuedTask {
  TickTime runAt;        // 0 for an immediate task
  int32_t sequence = 0;  // order stamp, given when the task enters the timed queue
  bool nestable = true;  // false: runs only at the outermost run level
  Task fn;
};

}  // namespace kbase

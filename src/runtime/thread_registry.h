#pragma once

#include <cstdint>
#include <memory>

#include "runtime/task.h"

namespace kbase {

class FrameworkThread;
class MessageLoopProxy;

// The UI thread's identifier.
constexpr int32_t kMainThreadId = 0;

// Maps small identifiers to running framework threads, so that any thread can post to
// one without holding a pointer to it.
class ThreadRegistry {
 public:
  ThreadRegistry() = delete;

  // Registers the calling framework thread under `id`. False when the calling thread runs
  // no framework-thread body, another thread holds `id`, or the calling thread is
  // registered under another identifier. Registering again under the
  // same identifier counts; each registration needs its own Unregister.
  static bool Register(int32_t id);
  // False when the calling thread has no registration to undo.
  static bool Unregister();

  static FrameworkThread* FindThread(int32_t id);
  // The proxy of the loop of the thread registered under `id`, or empty.
  static std::shared_ptr<MessageLoopProxy> LoopProxyOf(int32_t id);

  // False, destroying the task, when no thread with a loop is registered under `id`.
  // True means handed to that loop's proxy, not that the task will run: a loop that is
  // going away refuses it.
  static bool PostToThread(int32_t id, Task task);
  // Delayed post (microseconds) to the main thread, with PostToThread's answer.
  static bool PostToThreadAfter(Task task, int64_t delay);

  // The calling thread's identifier, or -1.
  static int32_t CurrentId();
};

}  // namespace kbase

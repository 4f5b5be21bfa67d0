#pragma once

#include <functional>
#include <memory>

namespace engine {

// A thread of the engine with a native message loop and a queue of tasks. Tasks run in the
// order they were posted, between native messages.
class EngineThread {
 public:
  using Task = std::function<void()>;

  EngineThread();
  ~EngineThread();
  EngineThread(const EngineThread&) = delete;
  EngineThread& operator=(const EngineThread&) = delete;

  // Starts the thread and returns once its loop runs.
  bool Start();
  // Ends the loop (tasks still queued are dropped) and waits for the thread.
  void Stop();
  // False when the thread is not running.
  bool Post(Task task);
  // Runs the task there and waits for it, at most timeoutMs; false when it did not run in
  // time. Never call it on the thread itself.
  bool RunAndWait(Task task, unsigned timeoutMs);
  bool IsCurrent() const;

  class Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

}  // namespace engine

#pragma once

#include <cstdint>
#include <memory>

#include "runtime/lock.h"
#include "runtime/task.h"
#include "runtime/weak_callback.h"

namespace kbase {

class MessageLoop;

// A shared handle to a loop for threads that must not hold the loop itself. It stays
// valid after the loop is gone and then refuses posts. Its last share, when released on
// another thread, hands the deletion to the loop's thread.
class MessageLoopProxy : public SupportWeakCallback {
 public:
  static std::shared_ptr<MessageLoopProxy> Create(MessageLoop* loop);

  ~MessageLoopProxy() override;
  MessageLoopProxy(const MessageLoopProxy&) = delete;
  MessageLoopProxy& operator=(const MessageLoopProxy&) = delete;

  // False when the loop is gone; the task is then destroyed on the calling thread. A delay
  // (microseconds) of 0 makes an immediate task.
  virtual bool Post(Task task);
  virtual bool PostAfter(Task task, int64_t delay);
  virtual bool PostNonNestable(Task task);
  virtual bool PostNonNestableAfter(Task task, int64_t delay);

  // True on the thread whose current loop is the target.
  virtual bool IsOnLoopThread();
  // Forgets the loop; called by the loop as it goes away.
  virtual void DetachLoop();

 protected:
  // Runs when the last share is released, instead of a plain delete.
  virtual void ReleaseOnLoopThread();

 private:
  enum class Kind { kImmediate, kNonNestable };

  explicit MessageLoopProxy(MessageLoop* loop) : target_(loop) {}
  bool PostTo(Kind kind, Task&& task, int64_t delay);

  // Shared, so that a thread handing the deletion to the loop can still leave the lock
  // after the loop's thread has deleted the proxy.
  std::shared_ptr<Lock> lock_ = std::make_shared<Lock>();
  MessageLoop* target_;
};

}  // namespace kbase

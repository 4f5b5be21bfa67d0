#include "runtime/message_loop_proxy.h"

#include <utility>

#include "runtime/message_loop.h"

namespace kbase {

std::shared_ptr<MessageLoopProxy> MessageLoopProxy::Create(MessageLoop* loop) {
  return std::shared_ptr<MessageLoopProxy>(
      new MessageLoopProxy(loop), [](MessageLoopProxy* proxy) { proxy->ReleaseOnLoopThread(); });
}

MessageLoopProxy::~MessageLoopProxy() = default;

bool MessageLoopProxy::Post(Task task) {
  return PostTo(Kind::kImmediate, std::move(task), 0);
}

bool MessageLoopProxy::PostAfter(Task task, int64_t delay) {
  return PostTo(Kind::kImmediate, std::move(task), delay);
}

bool MessageLoopProxy::PostNonNestable(Task task) {
  return PostTo(Kind::kNonNestable, std::move(task), 0);
}

bool MessageLoopProxy::PostNonNestableAfter(Task task, int64_t delay) {
  return PostTo(Kind::kNonNestable, std::move(task), delay);
}

bool MessageLoopProxy::PostTo(Kind kind, Task&& task, int64_t delay) {
  // Held for the whole post: the loop detaches under the same lock, so it cannot go away
  // halfway through.
  AutoLock hold(*lock_);
  if (!target_) return false;
  if (kind == Kind::kImmediate) {
    if (delay == 0) {
      target_->Post(std::move(task));
    } else {
      target_->PostAfter(std::move(task), delay);
    }
  } else {
    if (delay == 0) {
      target_->PostNonNestable(std::move(task));
    } else {
      target_->PostNonNestableAfter(std::move(task), delay);
    }
  }
  return true;
}

bool MessageLoopProxy::IsOnLoopThread() {
  AutoLock hold(*lock_);
  return target_ && target_ == MessageLoop::Current();
}

void MessageLoopProxy::DetachLoop() {
  AutoLock hold(*lock_);
  target_ = nullptr;
}

void MessageLoopProxy::ReleaseOnLoopThread() {
  {
    const std::shared_ptr<Lock> lock = lock_;
    AutoLock hold(*lock);
    if (target_ && target_ != MessageLoop::Current()) {
      // The task owns the proxy: running it deletes the proxy on the loop's thread, and a
      // loop destroyed before running it deletes the proxy with the discarded task. Either
      // may happen before this thread leaves the lock, so only the local share of the
      // lock is touched from here on.
      target_->PostNonNestable(
          [owner = std::shared_ptr<MessageLoopProxy>(this)]() mutable { owner.reset(); });
      return;
    }
  }
  delete this;
}

}  // namespace kbase

#pragma once

#include <memory>
#include <string>

#include "runtime/lock.h"
#include "runtime/message_loop.h"
#include "runtime/thread.h"
#include "runtime/weak_callback.h"

namespace kbase {

class MessageLoopProxy;

// A thread that owns a message loop for the length of its run, with a hook before the
// loop runs and one after it returns. Runs on the thread that calls RunHere.
class FrameworkThread : public Thread, public virtual SupportWeakCallback {
 public:
  explicit FrameworkThread(std::string name);
  ~FrameworkThread() override;

  // Runs the thread body on the calling thread with a loop of `kind`; returns once the
  // loop has quit and the body has finished. The dispatcher is handed to the loop's run.
  void RunHere(LoopKind kind, WinMessagePump::Dispatcher* dispatcher = nullptr);

  // Any thread: lets the ready tasks run, then quits the loop when it is idle. A loop
  // that other threads keep busy quits at most MessageLoop::kQuitGrace after the tasks
  // posted before the Stop have run. A stop asked for before the loop exists is kept and
  // takes effect as soon as the loop is made. Only the first call of a run does anything.
  void Stop();

  // The quit task that Stop posts: quits the calling thread's current run once idle.
  void QuitSoon();

  void ThreadBody() override;

  const std::string& name() const { return name_; }
  // The loop while the body runs (its own thread only), otherwise nullptr.
  MessageLoop* loop() const { return loop_; }
  // Any thread: the running loop's proxy, or empty.
  std::shared_ptr<MessageLoopProxy> LoopProxy() const;

 protected:
  virtual void OnThreadStart() {}
  virtual void OnThreadEnd() {}

 private:
  std::unique_ptr<MessageLoop> MakeLoop() const;
  void SetLoop(MessageLoop* loop);
  void PostQuitTask(const std::shared_ptr<MessageLoopProxy>& proxy);

  bool running_ = false;
  // Set by the first Stop of a run, also before the run's loop exists.
  bool stopping_ = false;
  LoopKind loopKind_ = kPlainLoop;
  MessageLoop* loop_ = nullptr;
  WinMessagePump::Dispatcher* dispatcher_ = nullptr;
  void* startedEvent_;
  std::string name_;
  // Guards stopping_ and loopProxy_, which other threads read through Stop and the
  // thread registry.
  mutable Lock lock_;
  std::shared_ptr<MessageLoopProxy> loopProxy_;
};

}  // namespace kbase

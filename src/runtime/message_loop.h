#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>

#include "runtime/lock.h"
#include "runtime/message_pump.h"
#include "runtime/observer_list.h"
#include "runtime/task.h"
#include "runtime/task_queue.h"
#include "runtime/timed_task_queue.h"
#include "runtime/win_message_pump.h"

namespace kbase {

class MessageLoopProxy;

enum LoopKind : int { kPlainLoop = 0, kUILoop = 1 };

// Runs one thread's tasks: immediate tasks in posting order, timed tasks when they fall
// due, non-nestable tasks only at the outermost run level. Any thread may post; only the
// loop's own thread runs tasks, inside Run. The waiting is lent to a message pump.
//
// No task runs inside another task: a run started from inside a task handles native
// messages only, until that task returns. Nested runs that should run tasks are started
// from native message handling.
class MessageLoop : public MessagePump::Delegate {
 public:
  class TaskObserver {
   public:
    virtual void BeforeTask() = 0;
    virtual void AfterTask() = 0;

   protected:
    ~TaskObserver() = default;
  };

  class DestructionObserver {
   public:
    virtual void LoopDestroying() = 0;

   protected:
    ~DestructionObserver() = default;
  };

  // One per run, on the stack of Run; nested runs link to the previous frame.
  struct RunFrame {
    int depth;
    bool quitRequested;
    WinMessagePump::Dispatcher* dispatcher;
    RunFrame* previous;
    // Set with quitRequested: the work-queue entries taken by the time those queued at the
    // request have all been taken, and the time of the request.
    uint64_t readyUntil = 0;
    TickTime quitAt;
    // Set once the run quits without waiting to become idle.
    bool quitOverdue = false;
  };

  // Binds the loop to the calling thread; it must be destroyed on that thread.
  MessageLoop();
  ~MessageLoop() override;
  MessageLoop(const MessageLoop&) = delete;
  MessageLoop& operator=(const MessageLoop&) = delete;

  // The calling thread's loop, or nullptr.
  static MessageLoop* Current();

  // Any thread. Delays are in microseconds; a delayed post, even with delay 0, goes
  // through the timed queue.
  void Post(Task task);
  void PostAfter(Task task, int64_t delay);
  void PostNonNestable(Task task);
  void PostNonNestableAfter(Task task, int64_t delay);

  // Runs until the pump quits: on the quit message (UI loop) or once idle after
  // QuitWhenIdle. A dispatcher takes over translating and dispatching native messages
  // (UI loop only).
  void Run(WinMessagePump::Dispatcher* dispatcher = nullptr);
  // Which tasks a quit waits for even when the loop never becomes idle.
  enum class QuitAfter {
    kQueuedTasks,   // every task queued at the call
    kEarlierTasks,  // none more: the caller is a task queued behind the ones it waits for
  };
  // Ends the current run as soon as no ready task is left. If other threads keep the loop
  // busy, the run ends once the tasks `after` names have run and kQuitGrace has passed
  // since the call; tasks that came later and have not run by then are left queued.
  void QuitWhenIdle(QuitAfter after = QuitAfter::kQueuedTasks);
  static constexpr int64_t kQuitGrace = 100 * 1000;
  int RunDepth() const { return frame_ ? frame_->depth : 0; }

  LoopKind kind() const { return kind_; }
  MessagePump* pump() const { return pump_.get(); }
  // A handle that other threads may keep; it refuses posts once the loop is gone.
  std::shared_ptr<MessageLoopProxy> Proxy() const { return proxy_; }

  void AddTaskObserver(TaskObserver* observer) { taskObservers_.Add(observer); }
  void RemoveTaskObserver(TaskObserver* observer) { taskObservers_.Remove(observer); }
  void AddDestructionObserver(DestructionObserver* observer) {
    destructionObservers_.Add(observer);
  }
  void RemoveDestructionObserver(DestructionObserver* observer) {
    destructionObservers_.Remove(observer);
  }

  bool RunImmediateTasks() override;
  bool RunDueTimedTask(TickTime* next) override;
  bool RunIdleTask() override;

 protected:
  virtual void AppendIncoming(QueuedTask&& entry);
  // For loop kinds that wait differently; only while no other thread can post yet.
  void ReplacePump(std::shared_ptr<MessagePump> pump, LoopKind kind);

 private:
  void PostEntry(Task&& task, int64_t delay, bool delayed, bool nestable);
  bool AtOutermostLevel() const { return !frame_ || frame_->depth == 1; }
  bool QuitOverdue();
  size_t IncomingSize();
  void RefillWorkQueue();
  void AddTimed(QueuedTask&& entry);
  void ExecuteTask(QueuedTask& entry);
  bool DiscardPendingTasks();
  void DiscardIncoming();

  LoopKind kind_ = kPlainLoop;
  RunFrame* frame_ = nullptr;
  std::shared_ptr<MessagePump> pump_;
  bool nestingAllowed_ = true;
  // The incoming queue and its lock are what other threads write; keeping them on cache
  // lines of their own spares the loop's thread a miss on every post.
  alignas(64) Lock incomingLock_;
  TaskQueue incoming_;
  // Whether incoming_ holds entries; written under the lock, read without it so that the
  // loop's thread can look for work without taking the lock.
  std::atomic<bool> incomingPending_{false};
  alignas(64) TaskQueue work_;
  std::deque<QueuedTask> deferred_;
  TimedTaskQueue timed_;
  int32_t nextSequence_ = 0;
  // Entries taken from the work queue so far.
  uint64_t taken_ = 0;
  TickTime recentTime_;
  ObserverList<TaskObserver> taskObservers_;
  ObserverList<DestructionObserver> destructionObservers_;
  std::shared_ptr<MessageLoopProxy> proxy_;
  MessageLoop* previousOnThread_ = nullptr;
};

}  // namespace kbase

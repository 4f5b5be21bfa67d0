#include "runtime/message_loop.h"

#include <utility>

#include "runtime/default_message_pump.h"
#include "runtime/message_loop_proxy.h"
#include "runtime/thread_local_slot.h"

namespace kbase {

namespace {

// Bounds the passes of destruction: destroying a task may post another, forever.
constexpr int kMaxDestructionPasses = 100;

ThreadLocalSlot g_currentLoop;

}  // namespace

MessageLoop::MessageLoop() : pump_(std::make_shared<DefaultMessagePump>()) {
  previousOnThread_ = Current();
  g_currentLoop.Set(this);
  proxy_ = MessageLoopProxy::Create(this);
}

MessageLoop::~MessageLoop() {
  for (int pass = 0; pass < kMaxDestructionPasses; ++pass) {
    DiscardPendingTasks();
    RefillWorkQueue();
    if (!DiscardPendingTasks()) break;
  }
  destructionObservers_.Notify([](DestructionObserver* observer) { observer->LoopDestroying(); });
  proxy_->DetachLoop();
  proxy_.reset();
  if (Current() == this) g_currentLoop.Set(previousOnThread_);
  // Whatever the last destroyed tasks posted goes now, while the queues still exist.
  DiscardIncoming();
}

MessageLoop* MessageLoop::Current() {
  return static_cast<MessageLoop*>(g_currentLoop.Get());
}

void MessageLoop::ReplacePump(std::shared_ptr<MessagePump> pump, LoopKind kind) {
  pump_ = std::move(pump);
  kind_ = kind;
}

void MessageLoop::Post(Task task) {
  PostEntry(std::move(task), 0, false, true);
}

void MessageLoop::PostAfter(Task task, int64_t delay) {
  PostEntry(std::move(task), delay, true, true);
}

void MessageLoop::PostNonNestable(Task task) {
  PostEntry(std::move(task), 0, false, false);
}

void MessageLoop::PostNonNestableAfter(Task task, int64_t delay) {
  PostEntry(std::move(task), delay, true, false);
}

void MessageLoop::PostEntry(Task&& task, int64_t delay, bool delayed, bool nestable) {
  TickTime runAt;
  if (delayed) {
    // The clock reading may be almost a tick old: without the extra tick a task could run
    // up to a tick before its delay has passed.
    runAt = TickTime::Now() + (delay > 0 ? delay + TickTime::kTick : delay);
    // 0 means "immediate"; a clock that reads 0 must not turn a timed post into one.
    if (runAt.IsNull()) runAt = TickTime::FromMicroseconds(1);
  }
  AppendIncoming(QueuedTask{runAt, 0, nestable, std::move(task)});
}

void MessageLoop::AppendIncoming(QueuedTask&& entry) {
  std::shared_ptr<MessagePump> pump;
  {
    AutoLock hold(incomingLock_);
    const bool wasEmpty = incoming_.Empty();
    incoming_.Push(std::move(entry));
    // Only the first entry of a batch wakes the pump; the rest ride along.
    if (!wasEmpty) return;
    incomingPending_.store(true);
    pump = pump_;
  }
  pump->WakeForWork();
}

void MessageLoop::Run(WinMessagePump::Dispatcher* dispatcher) {
  RunFrame frame = {
      frame_ ? frame_->depth + 1 : 1, false, dispatcher, frame_, 0, TickTime(), false};
  frame_ = &frame;
  if (dispatcher && kind_ == kUILoop) {
    static_cast<WinMessagePump*>(pump_.get())->RunWithDispatcher(this, dispatcher);
  } else {
    pump_->RunLoop(this);
  }
  frame_ = frame.previous;
}

void MessageLoop::QuitWhenIdle(QuitAfter after) {
  if (!frame_ || frame_->quitRequested) return;
  frame_->quitRequested = true;
  frame_->quitAt = TickTime::Now();
  frame_->readyUntil = taken_;
  if (after == QuitAfter::kQueuedTasks) frame_->readyUntil += work_.Size() + IncomingSize();
}

bool MessageLoop::QuitOverdue() {
  if (!frame_ || !frame_->quitRequested || taken_ < frame_->readyUntil) return false;
  // A loop that other threads keep feeding never becomes idle: without this bound a
  // requested quit would wait for the posts to stop.
  if (!frame_->quitOverdue) frame_->quitOverdue = TickTime::Now() - frame_->quitAt >= kQuitGrace;
  return frame_->quitOverdue;
}

size_t MessageLoop::IncomingSize() {
  AutoLock hold(incomingLock_);
  return incoming_.Size();
}

void MessageLoop::RefillWorkQueue() {
  // Looks before it locks: a loop that spins for work stays off the lock posters need.
  if (!incomingPending_.load()) return;
  AutoLock hold(incomingLock_);
  if (!incoming_.Empty()) incoming_.Swap(work_);
  incomingPending_.store(false, std::memory_order_relaxed);
}

void MessageLoop::AddTimed(QueuedTask&& entry) {
  entry.sequence = nextSequence_;
  nextSequence_ = static_cast<int32_t>(static_cast<uint32_t>(nextSequence_) + 1);
  const TickTime runAt = entry.runAt;
  const int32_t sequence = entry.sequence;
  timed_.Push(std::move(entry));
  if (timed_.Top().sequence == sequence) pump_->WakeAt(runAt);
}

bool MessageLoop::RunImmediateTasks() {
  if (!nestingAllowed_) return false;
  for (;;) {
    if (QuitOverdue()) return false;
    if (work_.Empty()) {
      RefillWorkQueue();
      if (work_.Empty()) return false;
    }
    QueuedTask entry = work_.Take();
    ++taken_;
    if (!entry.runAt.IsNull()) {
      AddTimed(std::move(entry));
    } else if (entry.nestable || AtOutermostLevel()) {
      ExecuteTask(entry);
      return true;
    } else {
      deferred_.push_back(std::move(entry));
    }
  }
}

bool MessageLoop::RunDueTimedTask(TickTime* next) {
  if (!nestingAllowed_ || timed_.Empty()) {
    recentTime_ = TickTime();
    *next = TickTime();
    return false;
  }
  const TickTime runAt = timed_.Top().runAt;
  if (QuitOverdue() && runAt > frame_->quitAt) {
    *next = runAt;
    return false;
  }
  // A burst of overdue tasks costs one clock read.
  if (runAt > recentTime_) {
    recentTime_ = TickTime::Now();
    if (runAt > recentTime_) {
      *next = runAt;
      return false;
    }
  }
  QueuedTask entry = timed_.Pop();
  if (!timed_.Empty()) *next = timed_.Top().runAt;
  if (entry.nestable || AtOutermostLevel()) {
    ExecuteTask(entry);
    return true;
  }
  deferred_.push_back(std::move(entry));
  return false;
}

bool MessageLoop::RunIdleTask() {
  if (AtOutermostLevel() && !deferred_.empty()) {
    QueuedTask entry = std::move(deferred_.front());
    deferred_.pop_front();
    ExecuteTask(entry);
    return true;
  }
  if (frame_ && frame_->quitRequested) pump_->RequestQuit();
  return false;
}

void MessageLoop::ExecuteTask(QueuedTask& entry) {
  nestingAllowed_ = false;
  taskObservers_.Notify([](TaskObserver* observer) { observer->BeforeTask(); });
  if (entry.fn) entry.fn();
  taskObservers_.Notify([](TaskObserver* observer) { observer->AfterTask(); });
  nestingAllowed_ = true;
}

bool MessageLoop::DiscardPendingTasks() {
  while (!work_.Empty()) {
    QueuedTask entry = work_.Take();
    if (!entry.runAt.IsNull()) timed_.Push(std::move(entry));
  }
  while (!deferred_.empty()) {
    QueuedTask entry = std::move(deferred_.front());
    deferred_.pop_front();
  }
  const bool hadTimed = !timed_.Empty();
  timed_.Clear();
  return hadTimed;
}

void MessageLoop::DiscardIncoming() {
  TaskQueue doomed;
  {
    AutoLock hold(incomingLock_);
    incoming_.Swap(doomed);
  }
}

}  // namespace kbase

#include "runtime/framework_thread.h"

#include <windows.h>

#include <utility>

#include "runtime/message_loop_proxy.h"
#include "runtime/thread_local_record.h"
#include "runtime/thread_registry.h"
#include "runtime/ui_message_loop.h"

namespace kbase {

FrameworkThread::FrameworkThread(std::string name)
    : startedEvent_(CreateEventW(nullptr, FALSE, FALSE, nullptr)), name_(std::move(name)) {
  // Made now, so that Stop on another thread only copies the flag and never creates it.
  WeakFlagOf();
}

FrameworkThread::~FrameworkThread() {
  if (running_) Stop();
  JoinNativeThread();
  running_ = false;
  if (startedEvent_) CloseHandle(startedEvent_);
  ReleaseFlag();
}

void FrameworkThread::RunHere(LoopKind kind, WinMessagePump::Dispatcher* dispatcher) {
  loopKind_ = kind;
  running_ = true;
  dispatcher_ = dispatcher;
  ThreadBody();
}

void FrameworkThread::ThreadBody() {
  std::unique_ptr<ThreadLocalRecord> ownRecord;
  if (!CurrentThreadRecord()) {
    ownRecord = std::make_unique<ThreadLocalRecord>();
    ownRecord->thread = this;
    SetCurrentThreadRecord(ownRecord.get());
  }
  nativeId_ = GetCurrentThreadId();
  std::unique_ptr<MessageLoop> loop = MakeLoop();
  SetLoop(loop.get());

  OnThreadStart();
  SetEvent(startedEvent_);
  loop->Run(dispatcher_);
  OnThreadEnd();

  SetLoop(nullptr);
  loop.reset();
  nativeId_ = 0;
  if (ownRecord) {
    // A registration left behind would name this object after it is gone.
    while (ownRecord->registrations > 0) ThreadRegistry::Unregister();
    SetCurrentThreadRecord(nullptr);
  }
}

std::unique_ptr<MessageLoop> FrameworkThread::MakeLoop() const {
  if (loopKind_ == kUILoop) return std::make_unique<UIMessageLoop>();
  return std::make_unique<MessageLoop>();
}

void FrameworkThread::SetLoop(MessageLoop* loop) {
  bool stopAsked = false;
  {
    AutoLock hold(lock_);
    loop_ = loop;
    loopProxy_ = loop ? loop->Proxy() : nullptr;
    stopAsked = stopping_;
    // A stop belongs to one run; the next run starts afresh.
    if (!loop) stopping_ = false;
  }
  // A stop asked for before the loop existed takes effect now.
  if (loop && stopAsked) PostQuitTask(loop->Proxy());
}

std::shared_ptr<MessageLoopProxy> FrameworkThread::LoopProxy() const {
  AutoLock hold(lock_);
  return loopProxy_;
}

void FrameworkThread::Stop() {
  std::shared_ptr<MessageLoopProxy> proxy;
  {
    AutoLock hold(lock_);
    if (stopping_) return;
    // Without a loop yet, the stop is remembered and posted once the loop exists.
    stopping_ = true;
    proxy = loopProxy_;
  }
  if (proxy) PostQuitTask(proxy);
}

void FrameworkThread::PostQuitTask(const std::shared_ptr<MessageLoopProxy>& proxy) {
  proxy->PostNonNestable(MakeWeak([this] { QuitSoon(); }));
}

void FrameworkThread::QuitSoon() {
  // The tasks posted before Stop have run by now (this task was queued behind them); the
  // ones posted after it only get the quit's grace on a loop that is never idle, so that
  // a stop takes effect however fast other threads post.
  if (MessageLoop* loop = MessageLoop::Current()) {
    loop->QuitWhenIdle(MessageLoop::QuitAfter::kEarlierTasks);
  }
}

}  // namespace kbase

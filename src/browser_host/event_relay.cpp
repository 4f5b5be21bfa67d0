#include "browser_host/event_relay.h"

#include "runtime/thread_registry.h"

namespace vok_comp {

void EventRelay::Attach(EventTable* table, std::weak_ptr<kbase::WeakFlag> flag) {
  std::unique_lock<std::mutex> hold(lock_);
  table_ = table;
  flag_ = table ? std::move(flag) : std::weak_ptr<kbase::WeakFlag>();
  decisionsDone_.wait(hold, [this] { return decisionsInFlight_ == 0; });
}

EventTable* EventRelay::Receiver(std::weak_ptr<kbase::WeakFlag>* flag) {
  std::lock_guard<std::mutex> hold(lock_);
  if (flag) *flag = flag_;
  return table_;
}

void EventRelay::PostToUi(std::weak_ptr<kbase::WeakFlag> flag, kbase::Task task) {
  kbase::ThreadRegistry::PostToThread(
      kbase::kMainThreadId, kbase::WeakCallback<kbase::Task>(std::move(flag), std::move(task)));
}

EventRelay::Decision::Decision(EventRelay& relay) : relay(relay), table(nullptr) {
  std::lock_guard<std::mutex> hold(relay.lock_);
  table = relay.table_;
  if (table) ++relay.decisionsInFlight_;
}

EventRelay::Decision::~Decision() {
  if (!table) return;
  {
    std::lock_guard<std::mutex> hold(relay.lock_);
    --relay.decisionsInFlight_;
  }
  relay.decisionsDone_.notify_all();
}

}  // namespace vok_comp

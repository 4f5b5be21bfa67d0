#include "engine/devtools/event_budget.h"

#include <chrono>

namespace engine {

bool EventBudget::TryTake(size_t size) {
  std::lock_guard<std::mutex> hold(lock_);
  if (!Fits(size)) return false;
  used_ += size;
  return true;
}

void EventBudget::Take(size_t size, const std::function<bool()>& keepWaiting) {
  std::unique_lock<std::mutex> hold(lock_);
  // Looked at again every 50 ms: the reader must notice a closing connection.
  while (!Fits(size) && keepWaiting()) {
    freed_.wait_for(hold, std::chrono::milliseconds(50));
  }
  used_ += size;
}

void EventBudget::Give(size_t size) {
  {
    std::lock_guard<std::mutex> hold(lock_);
    used_ -= size < used_ ? size : used_;
  }
  freed_.notify_all();
}

size_t EventBudget::Used() const {
  std::lock_guard<std::mutex> hold(lock_);
  return used_;
}

}  // namespace engine

#pragma once

// A bound on the bytes of the browser's messages that wait in the engine's thread queues.
// The reading thread takes a message's size before handing it on and the message gives it
// back when the last holder lets go of it, on whatever thread that is.

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>

namespace engine {

class EventBudget {
 public:
  explicit EventBudget(size_t limit) : limit_(limit) {}
  EventBudget(const EventBudget&) = delete;
  EventBudget& operator=(const EventBudget&) = delete;

  // Takes size bytes when they fit; false (nothing taken) when they do not.
  bool TryTake(size_t size);
  // Takes size bytes, waiting while they do not fit and keepWaiting() holds. A message larger
  // than the whole budget goes once nothing else is held.
  void Take(size_t size, const std::function<bool()>& keepWaiting);
  void Give(size_t size);
  size_t Used() const;

 private:
  bool Fits(size_t size) const { return used_ == 0 || used_ + size <= limit_; }

  const size_t limit_;
  mutable std::mutex lock_;
  std::condition_variable freed_;
  size_t used_ = 0;
};

}  // namespace engine

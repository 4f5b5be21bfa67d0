#pragma once

#include <algorithm>
#include <utility>
#include <vector>

#include "runtime/task.h"

namespace kbase {

// The timed tasks of a loop, earliest first; equal times in the order of their sequence.
class TimedTaskQueue {
 public:
  bool Empty() const { return heap_.empty(); }
  const QueuedTask& Top() const { return heap_.front(); }

  void Push(QueuedTask&& entry) {
    heap_.push_back(std::move(entry));
    std::push_heap(heap_.begin(), heap_.end(), &RunsLater);
  }

  QueuedTask Pop() {
    std::pop_heap(heap_.begin(), heap_.end(), &RunsLater);
    QueuedTask entry = std::move(heap_.back());
    heap_.pop_back();
    return entry;
  }

  // Destroys every entry. The storage is moved out first, so a task whose destruction
  // posts new work never sees the queue half torn down.
  void Clear() {
    std::vector<QueuedTask> doomed;
    doomed.swap(heap_);
  }

 private:
  static bool RunsLater(const QueuedTask& a, const QueuedTask& b) {
    if (a.runAt != b.runAt) return a.runAt > b.runAt;
    // Compared as a difference so that the order survives the counter's wrap.
    return static_cast<int32_t>(static_cast<uint32_t>(a.sequence) -
                                static_cast<uint32_t>(b.sequence)) > 0;
  }

  std::vector<QueuedTask> heap_;
};

}  // namespace kbase

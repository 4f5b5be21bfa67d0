#pragma once

#include <cstddef>
#include <utility>
#include <vector>

#include "runtime/task.h"

namespace kbase {

// A first-in first-out queue of tasks that keeps its storage between batches: a loop swaps
// its incoming and work queues whole, so in steady use no entry costs an allocation.
class TaskQueue {
 public:
  bool Empty() const { return head_ == entries_.size(); }
  size_t Size() const { return entries_.size() - head_; }

  void Push(QueuedTask&& entry) { entries_.push_back(std::move(entry)); }

  // Takes the front entry; the queue must not be empty.
  QueuedTask Take() {
    QueuedTask entry = std::move(entries_[head_++]);
    if (Empty()) Reset();
    return entry;
  }

  void Swap(TaskQueue& other) {
    entries_.swap(other.entries_);
    std::swap(head_, other.head_);
  }

 private:
  // Storage left by a large burst is given back rather than kept for good.
  static constexpr size_t kKeptCapacity = 4096;

  void Reset() {
    head_ = 0;
    if (entries_.capacity() > kKeptCapacity) {
      std::vector<QueuedTask>().swap(entries_);
    } else {
      entries_.clear();
    }
  }

  std::vector<QueuedTask> entries_;
  size_t head_ = 0;
};

}  // namespace kbase

#pragma once

#include <cstddef>

#include "runtime/task.h"

namespace kbase {

// A first-in first-out queue of tasks stored in fixed-size chunks. A burst only adds
// chunks (entries never move), and emptied chunks are kept for reuse, so that in steady
// use an entry costs no allocation. Swapping two queues exchanges their chunks whole.
class TaskQueue {
 public:
  TaskQueue() = default;
  ~TaskQueue();
  TaskQueue(const TaskQueue&) = delete;
  TaskQueue& operator=(const TaskQueue&) = delete;

  bool Empty() const { return size_ == 0; }
  size_t Size() const { return size_; }

  void Push(QueuedTask&& entry);
  // Takes the front entry; the queue must not be empty.
  QueuedTask Take();
  void Swap(TaskQueue& other);

 private:
  static constexpr size_t kChunkEntries = 256;
  // Storage kept after a burst: enough for the usual batch, not for the largest one.
  static constexpr size_t kKeptChunks = 4;

  struct Chunk;

  Chunk* ObtainChunk();
  void RecycleChunk(Chunk* chunk);

  Chunk* head_ = nullptr;
  size_t headIndex_ = 0;  // first live entry of head_
  Chunk* tail_ = nullptr;
  size_t tailIndex_ = 0;  // first free slot of tail_
  size_t size_ = 0;
  Chunk* spare_ = nullptr;
  size_t spareCount_ = 0;
};

}  // namespace kbase

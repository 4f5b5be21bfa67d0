#include "runtime/task_queue.h"

#include <new>
#include <utility>

namespace kbase {

struct TaskQueue::Chunk {
  Chunk* next = nullptr;
  alignas(QueuedTask) unsigned char storage[kChunkEntries * sizeof(QueuedTask)];

  QueuedTask* At(size_t index) { return reinterpret_cast<QueuedTask*>(storage) + index; }
};

TaskQueue::~TaskQueue() {
  while (!Empty()) Take();
  while (spare_) {
    Chunk* next = spare_->next;
    delete spare_;
    spare_ = next;
  }
}

void TaskQueue::Push(QueuedTask&& entry) {
  if (!tail_ || tailIndex_ == kChunkEntries) {
    Chunk* chunk = ObtainChunk();
    if (tail_) {
      tail_->next = chunk;
    } else {
      head_ = chunk;
      headIndex_ = 0;
    }
    tail_ = chunk;
    tailIndex_ = 0;
  }
  new (tail_->At(tailIndex_)) QueuedTask(std::move(entry));
  ++tailIndex_;
  ++size_;
}

QueuedTask TaskQueue::Take() {
  QueuedTask* slot = head_->At(headIndex_);
  QueuedTask entry(std::move(*slot));
  slot->~QueuedTask();
  ++headIndex_;
  --size_;
  if (size_ == 0) {
    // Head and tail are the same chunk now; start the next batch at its beginning.
    RecycleChunk(head_);
    head_ = tail_ = nullptr;
    headIndex_ = tailIndex_ = 0;
  } else if (headIndex_ == kChunkEntries) {
    Chunk* used = head_;
    head_ = head_->next;
    headIndex_ = 0;
    RecycleChunk(used);
  }
  return entry;
}

void TaskQueue::Swap(TaskQueue& other) {
  std::swap(head_, other.head_);
  std::swap(headIndex_, other.headIndex_);
  std::swap(tail_, other.tail_);
  std::swap(tailIndex_, other.tailIndex_);
  std::swap(size_, other.size_);
  std::swap(spare_, other.spare_);
  std::swap(spareCount_, other.spareCount_);
}

TaskQueue::Chunk* TaskQueue::ObtainChunk() {
  if (!spare_) return new Chunk;
  Chunk* chunk = spare_;
  spare_ = chunk->next;
  --spareCount_;
  chunk->next = nullptr;
  return chunk;
}

void TaskQueue::RecycleChunk(Chunk* chunk) {
  if (spareCount_ == kKeptChunks) {
    delete chunk;
    return;
  }
  chunk->next = spare_;
  spare_ = chunk;
  ++spareCount_;
}

}  // namespace kbase

#include "app/game_url_queue.h"

#include <cstddef>

bool GameUrlQueue::Add(const std::wstring& url, const std::function<bool()>& wake) {
  unsigned long long number = 0;
  {
    std::lock_guard<std::mutex> hold(lock_);
    if (urls_.size() >= kMostPending) return false;
    urls_.push_back(url);
    number = ++added_;
  }
  if (wake && wake()) return true;
  // Nobody will come for it: take it out again unless it was taken already.
  std::lock_guard<std::mutex> hold(lock_);
  const unsigned long long behind = added_ - number;
  if (behind < urls_.size()) urls_.erase(urls_.end() - 1 - static_cast<std::ptrdiff_t>(behind));
  return false;
}

std::deque<std::wstring> GameUrlQueue::TakeAll() {
  std::lock_guard<std::mutex> hold(lock_);
  std::deque<std::wstring> taken;
  taken.swap(urls_);
  return taken;
}

size_t GameUrlQueue::Pending() const {
  std::lock_guard<std::mutex> hold(lock_);
  return urls_.size();
}

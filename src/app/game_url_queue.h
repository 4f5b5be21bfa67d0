#pragma once

#include <deque>
#include <functional>
#include <mutex>
#include <string>

// The game addresses that the login browser hands to the start window. The engine's
// thread adds to it and wakes the start window with a message that carries nothing; the
// start window takes the addresses on its own thread. So a message posted by anyone else
// can open nothing and free nothing.
class GameUrlQueue {
 public:
  // Pages that ask for the game over and over open a few windows, not thousands.
  static constexpr size_t kMostPending = 4;

  // Adds the address and calls wake; false, with the address taken out again, when the
  // queue is full or wake fails (the start window is gone).
  bool Add(const std::wstring& url, const std::function<bool()>& wake);
  // Every address added since the last call, oldest first.
  std::deque<std::wstring> TakeAll();
  size_t Pending() const;

 private:
  mutable std::mutex lock_;
  std::deque<std::wstring> urls_;
  unsigned long long added_ = 0;  // how many were ever added, to find one again
};

#pragma once

#include <cstdint>
#include <functional>
#include <map>

#include "runtime/weak_callback.h"

namespace vok_comp {

// Closures kept in insertion order. Adding one gives back a closure that removes it again
// while the list lives and does nothing once the list is gone.
class UnregistedCallbackList : public kbase::SupportWeakCallback {
 public:
  using Closure = std::function<void()>;

  Closure AddCallback(Closure closure);
  // Runs every closure in insertion order, then empties the list. Closures added while
  // they run stay for the next round.
  void RunAndClear();
  bool IsEmpty() const { return closures_.empty(); }

 private:
  std::map<uint64_t, Closure> closures_;
  uint64_t nextKey_ = 0;
};

}  // namespace vok_comp

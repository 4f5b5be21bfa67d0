#include "browser_host/unregisted_callback_list.h"

#include <utility>

namespace vok_comp {

UnregistedCallbackList::Closure UnregistedCallbackList::AddCallback(Closure closure) {
  const uint64_t key = nextKey_++;
  closures_.emplace(key, std::move(closure));
  return MakeWeak([this, key] { closures_.erase(key); });
}

void UnregistedCallbackList::RunAndClear() {
  auto running = std::move(closures_);
  closures_.clear();
  for (auto& entry : running) {
    if (entry.second) entry.second();
  }
}

}  // namespace vok_comp

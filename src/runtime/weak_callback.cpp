#include "runtime/weak_callback.h"

namespace kbase {

std::weak_ptr<WeakFlag> SupportWeakCallback::WeakFlagOf() {
  // The flag is only the counted block and points at nothing, so its presence is its
  // owner count, not the stored pointer.
  if (flag_.use_count() == 0) {
    flag_ = std::shared_ptr<WeakFlag>(static_cast<WeakFlag*>(nullptr), [](WeakFlag*) {});
  }
  return flag_;
}

}  // namespace kbase

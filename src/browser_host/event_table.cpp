#include "browser_host/event_table.h"

namespace vok_comp {

void EventTable::Clear() {
  decltype(slots_) going;
  {
    std::lock_guard<std::mutex> hold(lock_);
    going.swap(slots_);
  }
  // Destroyed here, outside the lock: what the listeners hold may touch the table.
}

}  // namespace vok_comp

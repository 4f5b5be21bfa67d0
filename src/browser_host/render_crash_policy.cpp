#include "browser_host/render_crash_policy.h"

namespace vok_comp {

bool RenderCrashPolicy::MayReload(int64_t nowMs) {
  while (!reloads_.empty() && nowMs - reloads_.front() >= kWindowMs) reloads_.pop_front();
  if (static_cast<int>(reloads_.size()) >= kMaxReloads) return false;
  reloads_.push_back(nowMs);
  return true;
}

}  // namespace vok_comp

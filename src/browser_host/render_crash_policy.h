#pragma once

#include <cstdint>
#include <deque>

namespace vok_comp {

// Decides whether a page whose renderer died is loaded again. A page that brings its
// renderer down as soon as it runs would otherwise reload without end; past a few reloads
// a minute the control shows a message instead.
class RenderCrashPolicy {
 public:
  static constexpr int kMaxReloads = 3;
  static constexpr int64_t kWindowMs = 60 * 1000;

  // Counts a reload at `nowMs` (a steady clock in milliseconds) when fewer than kMaxReloads
  // happened in the kWindowMs before it; false when the page should not be reloaded.
  bool MayReload(int64_t nowMs);
  // The page loaded again on the user's word: the count starts afresh.
  void Reset() { reloads_.clear(); }

 private:
  std::deque<int64_t> reloads_;
};

}  // namespace vok_comp

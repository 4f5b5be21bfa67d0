#pragma once

#include <cstdint>

#include "ui/services/animation_player_base.h"

namespace test_clock {

// A performance counter that moves only when the test moves it, one tick a microsecond, so
// that an animation's steps land at the times the test names.
class ManualClock {
 public:
  static constexpr int64_t kFrequency = 1000000;

  static int64_t Read() { return now_; }
  static void Advance(double milliseconds) {
    now_ += static_cast<int64_t>(milliseconds * (kFrequency / 1000));
  }
  static void Drive(ui::AnimationPlayerBase& player) { player.SetCounterSource(&Read, kFrequency); }

 private:
  static inline int64_t now_ = 0;
};

}  // namespace test_clock

#pragma once

namespace ui {

// The interaction state of a control; state colours and state images are kept per state.
enum class ControlState { kNormal = 0, kHot = 1, kPushed = 2, kDisabled = 3 };

constexpr int kControlStateCount = 4;

}  // namespace ui

#include "ui/core/tree/control_animations.h"

#include <utility>

#include "ui/core/tree/control.h"

namespace ui {
namespace {

constexpr int kFadeMillis = 250;
constexpr double kSizeSpeedUpFactor = 0.00084;
constexpr double kSlideSpeedUpFactor = 0.006;
// What a size estimate may take, so that it gives the control's natural size.
constexpr int kUnlimited = 999999;
// A slide needs some distance even for a control that has no size yet.
constexpr int kDefaultSlide = 100;

// The show effects, in the order they are played.
constexpr ControlAnimations::Kind kShowKinds[] = {
    ControlAnimations::kFadeAlpha,
    ControlAnimations::kFadeWidth,
    ControlAnimations::kFadeHeight,
    ControlAnimations::kFadeInOutXFromLeft,
    ControlAnimations::kFadeInOutXFromRight,
    ControlAnimations::kFadeInOutYFromTop,
    ControlAnimations::kFadeInOutYFromBottom,
};

}  // namespace

ControlAnimations::ControlAnimations(Control* control) : control_(control) {}

ControlAnimations::~ControlAnimations() = default;

AnimationPlayer* ControlAnimations::GetPlayer(Kind kind) const {
  auto it = players_.find(kind);
  return it == players_.end() ? nullptr : it->second.get();
}

AnimationPlayer& ControlAnimations::Replace(Kind kind, int start, int end,
                                            AnimationPlayer::PlayCallback play) {
  auto player = std::make_unique<AnimationPlayer>();
  player->SetStartValue(start);
  player->SetEndValue(end);
  player->SetPlayCallback(std::move(play));
  AnimationPlayer& made = *player;
  players_[kind] = std::move(player);
  return made;
}

void ControlAnimations::SetUpFade(AnimationPlayer& player, int totalMillis, double speedUpFactor) {
  player.SetSpeedUpRatio(0.3);
  player.SetSpeedDownRatio(0.7);
  player.SetTotalMillis(totalMillis);
  player.SetSpeedUpFactor(speedUpFactor);
}

void ControlAnimations::Remove(Kind kind) {
  // Taken out first, so that whatever the player's destruction sets off finds it gone.
  auto it = players_.find(kind);
  if (it == players_.end()) return;
  std::unique_ptr<AnimationPlayer> gone = std::move(it->second);
  players_.erase(it);
}

void ControlAnimations::SetFadeAlpha(bool on) {
  if (!on) {
    Remove(kFadeAlpha);
    control_->SetAlpha(255);
    return;
  }
  Control* control = control_;
  SetUpFade(Replace(kFadeAlpha, 0, 255, [control](int value) { control->SetAlpha(value); }),
            kFadeMillis, 0);
  control_->SetAlpha(0);
}

void ControlAnimations::SetFadeHot(bool on) {
  if (!on) {
    Remove(kFadeHot);
    return;
  }
  Control* control = control_;
  SetUpFade(Replace(kFadeHot, 0, 255, [control](int value) { control->SetHotAlpha(value); }),
            kFadeMillis, 0);
}

void ControlAnimations::SetFadeWidth(bool on) {
  SetFadeSize(kFadeWidth, on, true);
}

void ControlAnimations::SetFadeHeight(bool on) {
  SetFadeSize(kFadeHeight, on, false);
}

void ControlAnimations::SetFadeInOutX(bool on, bool fromRight) {
  SetSlide(fromRight ? kFadeInOutXFromRight : kFadeInOutXFromLeft, on, true, fromRight);
}

void ControlAnimations::SetFadeInOutY(bool on, bool fromBottom) {
  SetSlide(fromBottom ? kFadeInOutYFromBottom : kFadeInOutYFromTop, on, false, fromBottom);
}

int ControlAnimations::NaturalLength(bool horizontal) const {
  const UiSize size = control_->EstimateSize(UiSize{kUnlimited, kUnlimited});
  return horizontal ? size.cx : size.cy;
}

void ControlAnimations::SetFadeSize(Kind kind, bool on, bool horizontal) {
  if (!on) {
    Remove(kind);
    return;
  }
  Control* control = control_;
  auto play = [control, horizontal](int value) {
    if (horizontal) {
      control->SetFixedWidth(value, true, false);
    } else {
      control->SetFixedHeight(value, false);
    }
  };
  SetUpFade(Replace(kind, 0, NaturalLength(horizontal), play), -1, kSizeSpeedUpFactor);
}

void ControlAnimations::SetSlide(Kind kind, bool on, bool horizontal, bool fromFarSide) {
  if (!on) {
    Remove(kind);
    return;
  }
  int length = NaturalLength(horizontal);
  if (length < 1) length = kDefaultSlide;
  Control* control = control_;
  auto play = [control, horizontal](int value) {
    UiPoint offset = control->GetRenderOffset();
    (horizontal ? offset.x : offset.y) = value;
    control->SetRenderOffset(offset, false);
  };
  SetUpFade(Replace(kind, fromFarSide ? -length : length, 0, play), -1, kSlideSpeedUpFactor);
}

void ControlAnimations::Appear() {
  control_->SetVisible(true);
  for (Kind kind : kShowKinds) {
    // Looked up each time: a step's callback may change the control's effects.
    if (AnimationPlayer* player = GetPlayer(kind)) {
      player->SetCompleteCallback(nullptr);
      player->Continue();
    }
  }
}

void ControlAnimations::Disappear() {
  bool fading = false;
  for (Kind kind : kShowKinds) {
    AnimationPlayer* player = GetPlayer(kind);
    if (!player) continue;
    fading = true;
    Control* control = control_;
    player->SetCompleteCallback(control_->MakeWeak([control] { control->SetVisible(false); }));
    player->Reverse();
  }
  if (!fading) control_->SetVisible(false);
}

void ControlAnimations::MouseEnter() {
  if (AnimationPlayer* player = GetPlayer(kFadeHot)) player->Continue();
}

void ControlAnimations::MouseLeave() {
  if (AnimationPlayer* player = GetPlayer(kFadeHot)) player->Reverse();
}

void ControlAnimations::ResetHotFade(bool hot) {
  if (AnimationPlayer* player = GetPlayer(kFadeHot)) player->StopAt(hot);
}

}  // namespace ui

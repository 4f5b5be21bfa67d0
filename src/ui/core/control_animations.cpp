#include "ui/core/control_animations.h"

#include "ui/core/control.h"

namespace ui {

void ControlAnimations::SetFadeInOutX(bool on, bool fromRight) {
  Set(fromRight ? kFadeInOutXFromRight : kFadeInOutXFromLeft, on);
}

void ControlAnimations::SetFadeInOutY(bool on, bool fromBottom) {
  Set(fromBottom ? kFadeInOutYFromBottom : kFadeInOutYFromTop, on);
}

void ControlAnimations::Appear() {
  control_->SetVisible(true);
  if (IsEnabled(kFadeAlpha)) control_->SetAlpha(255);
  if (IsEnabled(kFadeInOutXFromLeft) || IsEnabled(kFadeInOutXFromRight) ||
      IsEnabled(kFadeInOutYFromTop) || IsEnabled(kFadeInOutYFromBottom)) {
    control_->SetRenderOffset(UiPoint{}, false);
  }
}

void ControlAnimations::Disappear() {
  control_->SetVisible(false);
}

void ControlAnimations::MouseEnter() {
  if (IsEnabled(kFadeHot)) control_->SetHotAlpha(255);
}

void ControlAnimations::MouseLeave() {
  if (IsEnabled(kFadeHot)) control_->SetHotAlpha(0);
}

}  // namespace ui

#pragma once

#include <map>
#include <memory>

#include "ui/services/animation_player.h"

namespace ui {

class Control;

// The fade effects a control's attributes switch on, each played by a player of its own:
// the control fading and sliding in and out as it is shown and hidden, and its hot state
// blending in and out under the mouse.
class ControlAnimations {
 public:
  enum Kind {
    kFadeAlpha = 1,
    kFadeHeight = 2,
    kFadeWidth = 3,
    kFadeHot = 4,
    kFadeInOutXFromLeft = 5,
    kFadeInOutXFromRight = 6,
    kFadeInOutYFromTop = 7,
    kFadeInOutYFromBottom = 8,
  };

  explicit ControlAnimations(Control* control);
  ~ControlAnimations();
  ControlAnimations(const ControlAnimations&) = delete;
  ControlAnimations& operator=(const ControlAnimations&) = delete;

  // Switching an effect on makes it a new player (the old one of its kind goes); off
  // removes it. The alpha fade also makes the control transparent, or opaque again.
  void SetFadeAlpha(bool on);
  void SetFadeHot(bool on);
  void SetFadeWidth(bool on);
  void SetFadeHeight(bool on);
  void SetFadeInOutX(bool on, bool fromRight);
  void SetFadeInOutY(bool on, bool fromBottom);

  // Shows the control and plays its show effects forward.
  void Appear();
  // Plays the show effects backward and hides the control when the first of them ends;
  // at once when it has none.
  void Disappear();
  // The hot fade: in on entering, out on leaving.
  void MouseEnter();
  void MouseLeave();
  // Ends the hot fade with the control fully hot, or not hot at all, as the caller sets it.
  void ResetHotFade(bool hot);

  AnimationPlayer* GetPlayer(Kind kind) const;
  bool IsEnabled(Kind kind) const { return GetPlayer(kind) != nullptr; }

 private:
  // A fresh player for the kind from start to end, taking the place of the old one.
  AnimationPlayer& Replace(Kind kind, int start, int end, AnimationPlayer::PlayCallback play);
  // Accelerates for 30% of the time and decelerates for the rest.
  static void SetUpFade(AnimationPlayer& player, int totalMillis, double speedUpFactor);
  void Remove(Kind kind);
  // The control's width or height as it would lay itself out with no limit.
  int NaturalLength(bool horizontal) const;
  // A fade of the width or height from 0 to the natural length.
  void SetFadeSize(Kind kind, bool on, bool horizontal);
  // A slide from the natural length away (the far side: right or bottom) to where it lies.
  void SetSlide(Kind kind, bool on, bool horizontal, bool fromFarSide);

  Control* control_;
  std::map<Kind, std::unique_ptr<AnimationPlayer>> players_;
};

}  // namespace ui

#pragma once

#include <bitset>

namespace ui {

class Control;

// The fade effects a control's attributes switch on. Until animation players drive them,
// every effect jumps straight to where its animation would end.
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

  explicit ControlAnimations(Control* control) : control_(control) {}

  void SetFadeAlpha(bool on) { Set(kFadeAlpha, on); }
  void SetFadeHot(bool on) { Set(kFadeHot, on); }
  void SetFadeWidth(bool on) { Set(kFadeWidth, on); }
  void SetFadeHeight(bool on) { Set(kFadeHeight, on); }
  void SetFadeInOutX(bool on, bool fromRight);
  void SetFadeInOutY(bool on, bool fromBottom);
  bool IsEnabled(Kind kind) const { return kinds_.test(kind); }

  // Shows or hides the control.
  void Appear();
  void Disappear();
  // The hot fade: in on entering, out on leaving.
  void MouseEnter();
  void MouseLeave();
  // Ends a running hot fade where it stands.
  void ResetHotFade() {}

 private:
  void Set(Kind kind, bool on) { kinds_.set(kind, on); }

  Control* control_;
  std::bitset<9> kinds_;
};

}  // namespace ui

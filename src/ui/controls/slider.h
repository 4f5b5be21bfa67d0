#pragma once

#include <string>

#include "ui/controls/progress.h"
#include "ui/core/tree/state_image_set.h"

namespace ui {

// A progress bar the user sets: dragging its thumb, clicking anywhere on it (the value
// follows on release) or turning the mouse wheel. Every release and every wheel notch sends
// one "valuechange"; dragging sends none.
class Slider : public Progress {
 public:
  Slider();

  int GetChangeStep() const { return step_; }
  void SetChangeStep(int step) { step_ = step; }
  void SetThumbSize(int width, int height);
  UiSize GetThumbSize() const { return UiSize{thumbWidth_, thumbHeight_}; }
  void SetThumbImage(ControlState state, const std::wstring& image);
  UiRect GetProgressBarPadding() const { return progressBarPadding_; }
  void SetProgressBarPadding(const UiRect& padding);
  // The thumb, in window coordinates.
  UiRect GetThumbRect() const;
  // The value the pointer at a window point stands for, the point taken as the event gives
  // it (the slider adds the scroll offset of a scrolled box before asking).
  double ValueFromPoint(const UiPoint& point) const;

  UiRect GetProgressPos() override;
  void SetAttribute(const std::wstring& name, const std::wstring& value) override;
  void HandleEvent(EventArgs* args) override;
  void PaintStateImages(IRenderContext& context) override;
  void ReleaseAllImages() override;

 private:
  // The event's point where the slider lies: a slider in a scrolled box sees the point
  // moved by the box's scroll offset.
  UiPoint ContentPoint(const EventArgs& args) const;

  int step_ = 1;
  int thumbWidth_ = 10;
  int thumbHeight_ = 10;
  StateImageSet thumbImages_{this};
  UiRect progressBarPadding_;
  int thumbState_ = 0;
  std::wstring thumbModifier_;

  // The attributes SetAttribute reads itself, by name.
  static const AttributeTable<Slider>& Attributes();
};

}  // namespace ui

#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "runtime/weak_callback.h"
#include "ui/core/tree/control.h"
#include "ui/core/tree/state_image_set.h"

namespace ui {

class ScrollableBox;

// A scroll bar: two buttons, a track and a thumb whose length shows how much of the range
// is in view. Alone it keeps a position of its own; inside a scrollable box (its owner) it
// hands every scrolling request to the box, which moves its content and the bar with it.
class ScrollBar : public Control {
 public:
  static constexpr int kDefaultThickness = 16;
  // A held button or track repeats every 50 ms once the press has lasted 300 ms.
  static constexpr int kRepeatMillis = 50;
  static constexpr int kRepeatDelayTicks = 5;

  ScrollBar();
  ~ScrollBar() override;

  int64_t GetScrollRange() const { return range_; }
  void SetScrollRange(int64_t range);
  int64_t GetScrollPos() const { return position_; }
  void SetScrollPos(int64_t position);
  bool IsHorizontal() const { return horizontal_; }
  void SetHorizontal(bool horizontal);
  int GetLineSize() const { return lineSize_; }
  void SetLineSize(int size);
  int GetThumbMinLength() const { return thumbMinLength_; }
  void SetThumbMinLength(int length);
  bool IsAutoHide() const { return autoHide_; }
  ScrollableBox* GetOwner() const { return owner_; }
  void SetOwner(ScrollableBox* owner) { owner_ = owner; }

  UiRect GetButton1Rect() const { return button1Rect_; }
  UiRect GetButton2Rect() const { return button2Rect_; }
  UiRect GetThumbRect() const { return thumbRect_; }
  ControlState GetThumbState() const { return thumbState_; }
  ControlState GetButton1State() const { return button1State_; }
  ControlState GetButton2State() const { return button2State_; }
  // Ticks of the repeat timer since the press.
  int GetRepeatCount() const { return repeatCount_; }

  // Control.
  void SetPosition(const UiRect& rect) override;
  void SetAttribute(const std::wstring& name, const std::wstring& value) override;
  void SetEnabled(bool enabled) override;
  void SetFocus() override;
  bool HasHotState() override { return true; }
  void HandleEvent(EventArgs* args) override;
  void PaintStateImages(IRenderContext& context) override;

 private:
  enum class Part { kNone, kButton1, kButton2, kThumb, kTrackBefore, kTrackAfter };

  // Lays the parts out again in the bar's current rectangle and repaints.
  void LayOutParts();
  // The bar's length and thickness along its axis.
  int Length() const;
  int Thickness() const;
  // The track between the shown buttons.
  int TrackLength() const;
  // How far the thumb can travel.
  int MovableLength() const;
  Part PartAt(const UiPoint& point) const;
  // The coordinate of a point along the bar's axis.
  int AxisOf(const UiPoint& point) const { return horizontal_ ? point.x : point.y; }

  void OnButtonDown(EventArgs* args);
  void OnButtonUp(EventArgs* args);
  void OnMouseMove(EventArgs* args);
  void RepeatStep();
  // One line or one page back or forward, through the owner or by itself.
  void ScrollStep(bool forward, bool page);
  // Moves to a position along the bar's axis through the owner, or by itself.
  void ScrollTo(int64_t position);
  void SetPartStates(ControlState state);

  void PaintPart(IRenderContext& context, StateImageSet& images, const UiRect& rect,
                 ControlState state);
  std::wstring DestinationOf(const UiRect& rect) const;
  // The attributes SetAttribute reads itself, by name.
  static const AttributeTable<ScrollBar>& Attributes();
  void SetPartImage(StateImageSet* images, ControlState state, const std::wstring& image);
  // showButton1_ or showButton2_; the parts are laid out again in the bar's rectangle.
  void ShowButton(bool* shown, bool show);

  bool horizontal_ = false;
  bool showButton1_ = true;
  bool showButton2_ = true;
  bool autoHide_ = true;
  int64_t range_ = 100;
  int64_t position_ = 0;
  int lineSize_ = 8;
  int thumbMinLength_ = 30;
  int64_t dragStartPosition_ = 0;
  int64_t dragOffset_ = 0;
  int repeatCount_ = 0;
  ScrollableBox* owner_ = nullptr;
  UiPoint lastMousePoint_;
  UiRect button1Rect_;
  UiRect button2Rect_;
  UiRect thumbRect_;
  ControlState button1State_ = ControlState::kNormal;
  ControlState button2State_ = ControlState::kNormal;
  ControlState thumbState_ = ControlState::kNormal;
  bool thumbCaptured_ = false;
  StateImageSet bkImages_{this};
  StateImageSet button1Images_{this};
  StateImageSet button2Images_{this};
  StateImageSet thumbImages_{this};
  StateImageSet railImages_{this};
  kbase::WeakCallbackFlag timerFlag_;
};

}  // namespace ui

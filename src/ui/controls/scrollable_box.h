#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "ui/core/tree/box.h"
#include "ui/services/animation_player.h"

namespace ui {

class ScrollBar;

// A box whose content may be larger than its area. It lays its children out at their full
// size, shows as much of them as fits, and scrolls them by drawing them offset by the
// scroll position: with its bars, the wheel (smoothly, notches adding up), the keyboard
// and touch dragging. Children far outside the view give their images back.
class ScrollableBox : public Box {
 public:
  static constexpr int kDefaultUnit = 30;
  // Children within this distance above or below the view keep their images.
  static constexpr int kImageResidencyMargin = 730;
  // Vertical moves shorter than this are added up before the children's images are looked
  // at again: well inside the margin, so nothing comes into view without its image.
  static constexpr int kImageResidencyStep = 240;

  explicit ScrollableBox(Layout* layout = nullptr);
  ~ScrollableBox() override;

  // Positions and ranges: cx horizontal, cy vertical; a bar without range gives 0.
  UiSize GetScrollPos() const;
  UiSize GetScrollRange() const;
  virtual void SetScrollPos(UiSize position);
  void SetScrollPosY(int y);
  void SetScrollPosX(int x);
  // A line of the unit (delta -1, or a delta above the unit) or of delta pixels.
  virtual void LineUp(int delta = -1, bool animate = true);
  virtual void LineDown(int delta = -1, bool animate = true);
  virtual void LineLeft(int delta = -1);
  virtual void LineRight(int delta = -1);
  virtual void PageUp();
  virtual void PageDown();
  virtual void HomeUp();
  // To the end; with arrange the content is laid out anew first, with animate it slides in.
  virtual void EndDown(bool arrange = true, bool animate = true);
  virtual void PageLeft();
  virtual void PageRight();
  virtual void HomeLeft();
  virtual void EndRight();
  // The content follows a finger: up or down by the distance it moved.
  virtual void TouchUp(int delta);
  virtual void TouchDown(int delta);
  // Makes or destroys the bars.
  virtual void EnableScrollBar(bool vertical, bool horizontal);
  ScrollBar* GetVerticalScrollBar() const { return verticalBar_.get(); }
  ScrollBar* GetHorizontalScrollBar() const { return horizontalBar_.get(); }
  // Sets a bar's range for the content size in the rectangle and places it; lays the box
  // out again when that changes what the children have room for.
  virtual void ProcessVScrollBar(const UiRect& rect, int contentHeight);
  virtual void ProcessHScrollBar(const UiRect& rect, int contentWidth);
  // Arranges the children in the rectangle (less the bars when they do not float) and
  // returns the size they take.
  virtual UiSize GetScrollableRequiredSize(const UiRect& rect);

  int GetVerticalUnit() const { return verticalUnit_; }
  bool IsHoldEnd() const { return holdEnd_; }
  void SetHoldEnd(bool holdEnd) { holdEnd_ = holdEnd; }
  AnimationPlayer& GetScrollAnimation() { return scrollAnimation_; }
  AnimationPlayer& GetRenderOffsetAnimation() { return renderOffsetAnimation_; }

  // Box.
  void AttachToWindow(IControlWindow* window, Box* parent, bool init) override;
  void SetPosition(const UiRect& rect) override;
  void SetAttribute(const std::wstring& name, const std::wstring& value) override;
  void SetMouseEnabled(bool enabled) override;
  void HandleEvent(EventArgs* args) override;
  Control* FindControl(FindControlProc proc, void* data, unsigned int flags,
                       const UiPoint& scrollOffset = UiPoint{}) override;
  void PaintChildren(IRenderContext& context, const UiRect& paintRect) override;
  bool IsScrollBox() const override { return true; }
  UiPoint GetScrollOffset() const override;

 protected:
  static bool HasRange(const ScrollBar* bar);
  // Places the bars that have a range at the edges of the rectangle.
  void PlaceBars(const UiRect& rect);

 private:
  // The step of a line move for the unit.
  static int LineStep(int delta, int unit);
  // Scrolls smoothly to a new vertical target, after the one already on its way when
  // that lies in the same direction.
  void AnimateScrollBy(int step);
  // The bar after a layout: its range for the overflow, placed at the box's edge.
  void ProcessBar(ScrollBar* bar, const UiRect& rect, int content, bool vertical);
  ScrollBar* MakeBar(bool horizontal);
  // The part of the content in view, in the children's coordinates.
  UiRect ViewRect() const;
  // Children near the view keep their images, the others release them.
  void UpdateImageResidency(bool forward);
  // Keys, the wheel and (vertically) touch move along the bar that is in use.
  bool HandleScrollInput(EventArgs* args, bool vertical);
  bool HandleScrollKey(std::uint32_t key, bool vertical);
  bool HandleTouch(EventArgs* args);
  void FadeBars(bool in);
  void PlaceBar(ScrollBar* bar, const UiRect& rect, bool vertical);
  // The attributes SetAttribute reads itself, by name.
  static const AttributeTable<ScrollableBox>& Attributes();
  // Makes the bar when it is missing and applies the attribute list to it.
  void SetBarStyle(bool vertical, const std::wstring& attributes);

  std::unique_ptr<ScrollBar> verticalBar_;
  std::unique_ptr<ScrollBar> horizontalBar_;
  int verticalUnit_ = kDefaultUnit;
  int horizontalUnit_ = kDefaultUnit;
  bool relayoutGuard_ = false;
  bool holdEnd_ = false;
  bool scrollBarFloat_ = true;
  bool defaultDisplayScrollBar_ = true;
  bool touchCaptured_ = false;
  // The vertical position the images were last looked at for.
  int residencyY_ = 0;
  UiRect scrollBarPadding_;
  UiPoint lastTouchPoint_{-1, -1};
  AnimationPlayer scrollAnimation_;
  AnimationPlayer renderOffsetAnimation_;
};

}  // namespace ui

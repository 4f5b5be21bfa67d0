#pragma once

#include <memory>
#include <string>

#include "ui/controls/progress.h"

namespace ui {

// A progress bar that can also show its value as a ring: an anti-aliased arc from the top
// of a circle, growing either way round, in one colour or a two-colour gradient, with an
// optional indicator image riding on the arc's end.
class CircleProgress : public Progress {
 public:
  CircleProgress();
  ~CircleProgress() override;

  bool IsCircular() const { return circular_; }
  void SetCircular(bool circular);
  bool IsClockwise() const { return clockwise_; }
  void SetClockwise(bool clockwise);
  int GetCircleWidth() const { return circleWidth_; }
  void SetCircleWidth(int width);
  UiColor GetBackgroundColor() const { return bgColor_; }
  UiColor GetForegroundColor() const { return fgColor_; }
  UiColor GetGradientColor() const { return gradientColor_; }
  void SetBackgroundColor(const std::wstring& color);
  void SetForegroundColor(const std::wstring& color);
  void SetGradientColor(const std::wstring& color);
  const std::wstring& GetIndicatorPath() const { return indicatorPath_; }
  void SetIndicator(const std::wstring& path);
  bool HasIndicator() const { return indicator_ != nullptr; }

  void SetAttribute(const std::wstring& name, const std::wstring& value) override;
  void PaintStateImages(IRenderContext& context) override;
  void ReleaseAllImages() override;

 private:
  struct IndicatorImage;

  // Loads the indicator from its path, turned to lie along the ring's direction; none
  // when the file is missing or does not decode.
  void LoadIndicator();
  void PaintRing(IRenderContext& context);

  bool circular_ = true;
  bool clockwise_ = true;
  int circleWidth_ = 1;
  UiColor bgColor_ = 0;
  UiColor fgColor_ = 0;
  UiColor gradientColor_ = 0;
  std::unique_ptr<IndicatorImage> indicator_;
  std::wstring indicatorPath_;
  // Set when the images were released with an indicator loaded: the next paint loads it
  // again, as the other images of a control load again when they are next drawn.
  bool indicatorReleased_ = false;

  // The attributes SetAttribute reads itself, by name.
  static const AttributeTable<CircleProgress>& Attributes();
};

}  // namespace ui

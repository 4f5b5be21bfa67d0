#pragma once

#include "ui/render/render_types.h"

namespace ui {

// Carries lengths made at one scale percentage over to another, for content that was laid
// out before the screen's DPI changed: a length made at 150% becomes the same length at
// 100% or 200% without going back to the layout file.
class ScaleChange {
 public:
  ScaleChange(int fromPercent, int toPercent);

  // False when there is nothing to do, or a percentage is not a real one.
  bool Changes() const;
  int Length(int value) const;
  // Keeps the special negative lengths (stretch, auto, none) as they are.
  int PositiveLength(int value) const { return value > 0 ? Length(value) : value; }
  UiSize Size(UiSize size) const;
  UiPoint Point(UiPoint point) const;
  // Left and top are scaled as points, width and height each once as lengths, as the
  // scaler makes rectangles.
  UiRect Rect(const UiRect& rect) const;
  // Each side on its own: insets, borders and bands.
  UiRect Insets(const UiRect& insets) const;

 private:
  int from_;
  int to_;
};

}  // namespace ui

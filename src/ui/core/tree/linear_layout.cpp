#include "ui/core/tree/linear_layout.h"

#include <algorithm>

#include "ui/core/tree/control.h"
#include "ui/core/tree/layout.h"

namespace ui {

namespace {

// A child's view along one axis: main is the direction the children follow.
class AxisView {
 public:
  explicit AxisView(LayoutAxis axis) : h_(axis.horizontal) {}

  int Main(UiSize s) const { return h_ ? s.cx : s.cy; }
  int Cross(UiSize s) const { return h_ ? s.cy : s.cx; }
  UiSize Size(int main, int cross) const { return h_ ? UiSize{main, cross} : UiSize{cross, main}; }
  int MainBefore(const UiRect& r) const { return h_ ? r.left : r.top; }
  int MainAfter(const UiRect& r) const { return h_ ? r.right : r.bottom; }
  int CrossBefore(const UiRect& r) const { return h_ ? r.top : r.left; }
  int CrossAfter(const UiRect& r) const { return h_ ? r.bottom : r.right; }
  int ClampMain(const Control* c, int v) const { return h_ ? ClampWidth(c, v) : ClampHeight(c, v); }
  int ClampCross(const Control* c, int v) const {
    return h_ ? ClampHeight(c, v) : ClampWidth(c, v);
  }
  // 0 start, 1 centre, 2 end of the cross axis.
  int CrossAlignment(const Control* c) const {
    return h_ ? static_cast<int>(c->GetVerAlignType()) : static_cast<int>(c->GetHorAlignType());
  }
  UiRect Rect(int mainPos, int crossPos, int mainLen, int crossLen) const {
    return h_ ? UiRect{mainPos, crossPos, mainPos + mainLen, crossPos + crossLen}
              : UiRect{crossPos, mainPos, crossPos + crossLen, mainPos + mainLen};
  }

 private:
  bool h_;
};

bool TakesRoom(const Control* child) {
  return child->IsVisible() && !child->IsFloat();
}

}  // namespace

UiSize ArrangeLinear(LayoutAxis axis, const std::vector<Control*>& children, const UiRect& content,
                     int childMargin) {
  const AxisView a(axis);
  const UiSize contentSize{content.Width(), content.Height()};
  const int mainSpace = a.Main(contentSize);
  const int crossSpace = a.Cross(contentSize);

  int fixed = 0;
  int stretchCount = 0;
  int measured = 0;
  for (size_t i = 0; i < children.size(); ++i) {
    Control* child = children[i];
    if (!TakesRoom(child)) continue;
    const UiSize s = child->EstimateSize(contentSize);
    const UiRect m = child->GetMargin();
    fixed += a.MainBefore(m) + a.MainAfter(m);
    if (a.Main(s) == kLengthStretch) {
      ++stretchCount;
    } else {
      fixed += a.ClampMain(child, a.Main(s));
    }
    ++measured;
  }
  if (measured > 1) fixed += childMargin * (measured - 1);
  // Nothing stretches: there is no share to work out.
  const int share = stretchCount > 0 ? std::max(0, (mainSpace - fixed) / stretchCount) : 0;
  int remainder = stretchCount > 0 ? mainSpace - stretchCount * share - fixed : 0;

  int pos = a.MainBefore(content);
  int remaining = mainSpace;
  int usedMain = 0;
  int usedCross = 0;
  int placed = 0;
  for (size_t i = 0; i < children.size(); ++i) {
    Control* child = children[i];
    if (!child->IsVisible()) continue;
    if (child->IsFloat()) {
      Layout::PlaceChild(child, content);
      continue;
    }
    const UiRect m = child->GetMargin();
    remaining -= a.MainBefore(m);
    const UiSize s = child->EstimateSize(a.Size(remaining, crossSpace));
    int mainLen = a.Main(s);
    if (mainLen == kLengthStretch) {
      mainLen = share;
      if (remainder > 0) {
        ++mainLen;
        --remainder;
      }
    }
    mainLen = a.ClampMain(child, mainLen);
    int crossLen = a.Cross(s);
    if (crossLen == kLengthStretch) crossLen = crossSpace - a.CrossBefore(m) - a.CrossAfter(m);
    crossLen = a.ClampCross(child, std::max(crossLen, 0));

    int crossPos = a.CrossBefore(content) + a.CrossBefore(m);
    if (a.CrossAlignment(child) == 2) {
      crossPos = a.CrossAfter(content) - a.CrossAfter(m) - crossLen;
    } else if (a.CrossAlignment(child) == 1) {
      crossPos =
          a.CrossBefore(content) + (a.CrossBefore(m) + crossSpace - a.CrossAfter(m) - crossLen) / 2;
    }
    child->SetPosition(a.Rect(pos + a.MainBefore(m), crossPos, mainLen, crossLen));
    pos += a.MainBefore(m) + mainLen + a.MainAfter(m) + childMargin;
    remaining -= mainLen + a.MainAfter(m) + childMargin;
    usedMain += a.MainBefore(m) + mainLen + a.MainAfter(m);
    usedCross = std::max(usedCross, crossLen);
    ++placed;
  }
  if (placed > 1) usedMain += childMargin * (placed - 1);
  return a.Size(usedMain, usedCross);
}

UiSize EstimateLinear(LayoutAxis axis, const std::vector<Control*>& children, UiSize available,
                      int childMargin) {
  const AxisView a(axis);
  int main = 0;
  int cross = 0;
  int count = 0;
  for (size_t i = 0; i < children.size(); ++i) {
    Control* child = children[i];
    if (!TakesRoom(child)) continue;
    const UiSize s = child->EstimateSize(available);
    const UiRect m = child->GetMargin();
    // A stretch child wants no particular length; it adds only its margins.
    const int mainLen = a.Main(s) == kLengthStretch ? 0 : a.ClampMain(child, a.Main(s));
    main += mainLen + a.MainBefore(m) + a.MainAfter(m);
    cross = std::max(cross, a.ClampCross(child, a.Cross(s)) + a.CrossBefore(m) + a.CrossAfter(m));
    ++count;
  }
  if (count > 1) main += childMargin * (count - 1);
  return a.Size(main, cross);
}

UiSize LinearLayout::EstimateChildren(const std::vector<Control*>& children, UiSize available) {
  const UiSize size = EstimateLinear(axis_, children, available, childMargin_);
  return UiSize{size.cx + padding_.left + padding_.right, size.cy + padding_.top + padding_.bottom};
}

}  // namespace ui

#include "ui/controls/progress.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cwchar>

#include "ui/core/image_attributes/image_drawing.h"
#include "ui/core/resources/ui_registry.h"
#include "ui/core/tree/attribute_table.h"
#include "ui/core/tree/attribute_values.h"
#include "ui/render/i_render_context.h"

namespace ui {

Progress::Progress() {
  textStyle_ = kTextCenter | kTextSingleLine;
  SetFixedHeight(12);
}

void Progress::SetHorizontal(bool horizontal) {
  if (horizontal == horizontal_) return;
  horizontal_ = horizontal;
  Invalidate();
}

void Progress::SetMinValue(int min) {
  min_ = min;
  Invalidate();
}

void Progress::SetMaxValue(int max) {
  max_ = max;
  Invalidate();
}

void Progress::SetValue(double value) {
  value_ = value;
  Invalidate();
}

void Progress::SetStretchForeImage(bool stretch) {
  if (stretch == isStretchFore_) return;
  isStretchFore_ = stretch;
  Invalidate();
}

void Progress::SetProgressImage(const std::wstring& image) {
  progressImage_.SetImageString(image);
  Invalidate();
}

void Progress::SetProgressColor(const std::wstring& color) {
  const std::wstring name = SkipLeadingBlanks(color);
  if (name == progressColor_) return;
  progressColor_ = name;
  Invalidate();
}

void Progress::SetAttribute(const std::wstring& name, const std::wstring& value) {
  if (!Attributes().Apply(*this, name, value)) LabelTemplate<Control>::SetAttribute(name, value);
}

const AttributeTable<Progress>& Progress::Attributes() {
  using Value = const std::wstring&;
  static const AttributeTable<Progress> table({
      {L"hor", [](Progress& c, Value v) { c.SetHorizontal(ParseBoolValue(v)); }},
      {L"min", [](Progress& c, Value v) { c.SetMinValue(_wtoi(v.c_str())); }},
      {L"max", [](Progress& c, Value v) { c.SetMaxValue(_wtoi(v.c_str())); }},
      {L"value", [](Progress& c, Value v) { c.SetValue(_wtoi(v.c_str())); }},
      {L"progressimage", [](Progress& c, Value v) { c.SetProgressImage(v); }},
      {L"isstretchfore", [](Progress& c, Value v) { c.SetStretchForeImage(ParseBoolValue(v)); }},
      {L"progresscolor", [](Progress& c, Value v) { c.SetProgressColor(v); }},
  });
  return table;
}

double Progress::Span() const {
  const double span = static_cast<double>(max_) - static_cast<double>(min_);
  return span < 1 ? 1 : span;
}

double Progress::ClampedValue() const {
  const double low = min_;
  const double high = low + Span();
  if (std::isnan(value_)) return low;
  return std::min(std::max(value_, low), high);
}

int Progress::Truncate(double value) {
  if (std::isnan(value)) return 0;
  if (value >= static_cast<double>(INT_MAX)) return INT_MAX;
  if (value <= static_cast<double>(INT_MIN)) return INT_MIN;
  return static_cast<int>(value);
}

UiRect Progress::GetProgressPos() {
  const int w = rect_.Width();
  const int h = rect_.Height();
  const double span = Span();
  const double value = ClampedValue();
  if (horizontal_) return UiRect{0, 0, Truncate(w * (value - min_) / span), h};
  return UiRect{0, Truncate((min_ + span - value) * h / span), w, h};
}

void Progress::PaintStateImages(IRenderContext& context) {
  PaintProgress(context);
}

void Progress::PaintProgress(IRenderContext& context) {
  // The range is repaired and the value clamped here, where they are shown.
  if (min_ >= max_) max_ = min_ == INT_MAX ? min_ : min_ + 1;
  value_ = ClampedValue();
  const UiRect p = GetProgressPos();
  if (!progressColor_.empty()) {
    const UiColor color = UiRegistry::GetTextColor(progressColor_);
    if (color != 0) {
      UiRect filled = rect_;
      if (horizontal_) {
        filled.right = rect_.left + p.right;
      } else {
        filled.top = rect_.top + p.top;
      }
      filled = filled.Intersection(paintRect_);
      if (!filled.IsEmpty()) context.FillColor(filled, color, 255);
    }
  }
  if (progressImage_.imageString.empty()) return;
  wchar_t modifier[160];
  if (isStretchFore_) {
    swprintf(modifier, 160, L"destscale='false' dest='%d,%d,%d,%d'", p.left, p.top, p.right,
             p.bottom);
  } else {
    // Cut to the filled part rather than squeezed into it.
    swprintf(modifier, 160, L"destscale='false' dest='%d,%d,%d,%d' source='%d,%d,%d,%d'", p.left,
             p.top, p.right, p.bottom, p.left, p.top, p.right, p.bottom);
  }
  imageModifier_ = modifier;
  DrawImage(*this, context, &progressImage_, imageModifier_);
}

void Progress::ReleaseAllImages() {
  LabelTemplate<Control>::ReleaseAllImages();
  progressImage_.image.reset();
}

}  // namespace ui

#pragma once

#include <string>

#include "ui/controls/label.h"

namespace ui {

// A value between an integer minimum and maximum shown as the filled part of the control:
// a colour, an image stretched into or cut to the filled part, or both; text on top as a
// label shows it.
class Progress : public LabelTemplate<Control> {
 public:
  Progress();

  bool IsHorizontal() const { return horizontal_; }
  void SetHorizontal(bool horizontal);
  int GetMinValue() const { return min_; }
  void SetMinValue(int min);
  int GetMaxValue() const { return max_; }
  void SetMaxValue(int max);
  double GetValue() const { return value_; }
  void SetValue(double value);
  bool IsStretchForeImage() const { return isStretchFore_; }
  void SetStretchForeImage(bool stretch);
  std::wstring GetProgressImage() const { return progressImage_.imageString; }
  void SetProgressImage(const std::wstring& image);
  std::wstring GetProgressColor() const { return progressColor_; }
  void SetProgressColor(const std::wstring& color);

  // The filled part, relative to the control's top-left corner.
  virtual UiRect GetProgressPos();

  void SetAttribute(const std::wstring& name, const std::wstring& value) override;
  void PaintStateImages(IRenderContext& context) override;
  void ReleaseAllImages() override;

 protected:
  // The bar's fill in the item rectangle as it stands (a slider paints it inset).
  void PaintProgress(IRenderContext& context);
  // max - min as painting repairs it: at least 1, and without overflowing an int.
  double Span() const;
  // The value inside [min, min + Span()]: the geometry never leaves the control, even
  // before the first paint has repaired the range and clamped the value.
  double ClampedValue() const;
  // Truncation toward zero that stays defined for values beyond an int and for NaN.
  static int Truncate(double value);

  bool horizontal_ = true;
  bool isStretchFore_ = true;
  int max_ = 100;
  int min_ = 0;
  double value_ = 0;
  ImageAttribute progressImage_;
  std::wstring progressColor_;
  std::wstring imageModifier_;

 private:
  // The attributes SetAttribute reads itself, by name.
  static const AttributeTable<Progress>& Attributes();
};

// The text of a colour attribute: blanks (and control characters) before the name do not
// count.
std::wstring SkipLeadingBlanks(const std::wstring& text);

}  // namespace ui

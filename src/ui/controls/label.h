#pragma once

#include <map>
#include <string>

#include "ui/core/tree/box.h"
#include "ui/core/tree/control.h"

namespace ui {

// Text on a control: a font, a text style, padding around the text and a text colour for
// each state (hot text fades in with the control's hot fade).
template <typename Base>
class LabelTemplate : public Base {
 public:
  LabelTemplate();

  std::wstring GetText() const;
  std::string GetUtf8Text() const;
  void SetText(const std::wstring& text);
  void SetUtf8Text(const std::string& text);
  void SetTextId(const std::wstring& id);
  void SetUtf8TextId(const std::string& id);
  void SetStateTextColor(ControlState state, const std::wstring& color);
  std::wstring GetStateTextColor(ControlState state) const;
  UiRect GetTextPadding() const { return textPadding_; }
  void SetTextPadding(const UiRect& padding);
  TextStyle GetTextStyle() const { return textStyle_; }
  void SetTextStyle(TextStyle style) { textStyle_ = style; }
  const std::wstring& GetFont() const { return fontId_; }
  void SetFont(const std::wstring& fontId);
  bool IsSingleLine() const { return singleLine_; }
  bool IsLineLimit() const { return lineLimit_; }

  void SetAttribute(const std::wstring& name, const std::wstring& value) override;
  UiSize EstimateText(UiSize available, bool* needsEstimate) override;
  void PaintText(IRenderContext& context) override;
  bool HasHotState() override;
  void RescaleLengths(const ScaleChange& change) override;

 protected:
  // The rectangle text is drawn in: the item rectangle less the text padding.
  UiRect TextRect() const;
  // The text style with the single-line bit as the label is set.
  TextStyle EffectiveStyle();
  // Relayout when the size follows the text, else repaint.
  void TextChanged();

  std::wstring fontId_;
  TextStyle textStyle_ = kTextEndEllipsis | kTextNoClip | kTextSingleLine;
  bool singleLine_ = true;
  bool lineLimit_ = false;
  UiRect textPadding_;
  std::wstring text_;
  std::wstring textId_;
  std::map<ControlState, std::wstring> textColors_;

 private:
  // The attributes SetAttribute reads itself, by name.
  static const AttributeTable<LabelTemplate>& Attributes();
  // Without a repaint, as "align": the style shows from the next paint on.
  void SetEndEllipsis(bool on);
  // lineLimit_ or singleLine_; repaints when it changed.
  void SetLineFlag(bool* flag, bool on);
};

// Applies the words of an "align" value to a text style.
TextStyle ApplyAlignWords(TextStyle style, const std::wstring& words);

using Label = LabelTemplate<Control>;
using LabelBox = LabelTemplate<Box>;

extern template class LabelTemplate<Control>;
extern template class LabelTemplate<Box>;

}  // namespace ui

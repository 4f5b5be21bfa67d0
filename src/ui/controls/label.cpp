#include "ui/controls/label.h"

#include <algorithm>
#include <type_traits>

#include "runtime/string_util.h"
#include "ui/core/resources/dpi_scaler.h"
#include "ui/core/resources/language_strings.h"
#include "ui/core/resources/scale_change.h"
#include "ui/core/resources/ui_registry.h"
#include "ui/core/tree/attribute_table.h"
#include "ui/core/tree/attribute_values.h"
#include "ui/core/tree/i_control_window.h"
#include "ui/render/i_render_context.h"

namespace ui {

namespace {

bool HasWord(const std::wstring& words, const wchar_t* word) {
  size_t pos = 0;
  while (pos < words.size()) {
    const size_t blank = words.find_first_of(L" \t,", pos);
    const size_t end = blank == std::wstring::npos ? words.size() : blank;
    if (words.compare(pos, end - pos, word) == 0) return true;
    pos = end + 1;
  }
  return false;
}

}  // namespace

// Whole words, so that "vcenter" does not also read as "center".
TextStyle ApplyAlignWords(TextStyle style, const std::wstring& words) {
  if (HasWord(words, L"left"))
    style &= ~(kTextCenter | kTextRight | kTextVCenter | kTextSingleLine);
  if (HasWord(words, L"center")) style = (style & ~kTextRight) | kTextCenter;
  if (HasWord(words, L"right")) {
    style = (style & ~(kTextCenter | kTextVCenter | kTextSingleLine)) | kTextRight;
  }
  if (HasWord(words, L"top")) style = (style & ~(kTextVCenter | kTextBottom)) | kTextSingleLine;
  if (HasWord(words, L"vcenter")) style = (style & ~kTextBottom) | kTextVCenter | kTextSingleLine;
  if (HasWord(words, L"bottom")) style = (style & ~kTextVCenter) | kTextBottom | kTextSingleLine;
  return style;
}

template <typename Base>
LabelTemplate<Base>::LabelTemplate() {
  const int size = std::is_base_of_v<Box, Base> ? kLengthStretch : kLengthAuto;
  this->SetFixedWidth(size, false, false);
  this->SetFixedHeight(size, false);
  textColors_[ControlState::kNormal] = UiRegistry::GetDefaultTextColorName();
  textColors_[ControlState::kDisabled] = UiRegistry::GetDefaultDisabledTextColorName();
}

template <typename Base>
std::wstring LabelTemplate<Base>::GetText() const {
  if (text_.empty() && !textId_.empty()) {
    return UiRegistry::GetLanguageStrings().GetString(textId_);
  }
  return text_;
}

template <typename Base>
std::string LabelTemplate<Base>::GetUtf8Text() const {
  return kbase::WideToUtf8(GetText());
}

template <typename Base>
void LabelTemplate<Base>::SetText(const std::wstring& text) {
  if (text == text_) return;
  text_ = text;
  TextChanged();
}

template <typename Base>
void LabelTemplate<Base>::SetUtf8Text(const std::string& text) {
  SetText(kbase::Utf8ToWide(text));
}

template <typename Base>
void LabelTemplate<Base>::SetTextId(const std::wstring& id) {
  if (id == textId_) return;
  textId_ = id;
  TextChanged();
}

template <typename Base>
void LabelTemplate<Base>::SetUtf8TextId(const std::string& id) {
  SetTextId(kbase::Utf8ToWide(id));
}

template <typename Base>
void LabelTemplate<Base>::TextChanged() {
  if (this->HasAutoSize()) {
    this->RelayoutAncestor();
  } else {
    this->Invalidate();
  }
}

template <typename Base>
void LabelTemplate<Base>::SetStateTextColor(ControlState state, const std::wstring& color) {
  if (state == ControlState::kHot) this->GetAnimations().SetFadeHot(true);
  textColors_[state] = color;
  this->Invalidate();
}

template <typename Base>
std::wstring LabelTemplate<Base>::GetStateTextColor(ControlState state) const {
  auto it = textColors_.find(state);
  return it == textColors_.end() ? std::wstring() : it->second;
}

template <typename Base>
void LabelTemplate<Base>::SetTextPadding(const UiRect& padding) {
  textPadding_ = UiRegistry::GetDpiScaler().ScaleRect(padding);
  TextChanged();
}

template <typename Base>
void LabelTemplate<Base>::SetFont(const std::wstring& fontId) {
  fontId_ = fontId;
  this->Invalidate();
}

template <typename Base>
void LabelTemplate<Base>::SetAttribute(const std::wstring& name, const std::wstring& value) {
  if (!Attributes().Apply(*this, name, value)) Base::SetAttribute(name, value);
}

template <typename Base>
const AttributeTable<LabelTemplate<Base>>& LabelTemplate<Base>::Attributes() {
  using Value = const std::wstring&;
  static const AttributeTable<LabelTemplate> table(
      {
          // The style changes without a repaint: it shows from the next paint on.
          {L"align",
           [](LabelTemplate& c, Value v) { c.textStyle_ = ApplyAlignWords(c.textStyle_, v); }},
          {L"endellipsis", [](LabelTemplate& c, Value v) { c.SetEndEllipsis(ParseBoolValue(v)); }},
          {L"linelimit",
           [](LabelTemplate& c, Value v) { c.SetLineFlag(&c.lineLimit_, ParseBoolValue(v)); }},
          {L"singleline",
           [](LabelTemplate& c, Value v) { c.SetLineFlag(&c.singleLine_, ParseBoolValue(v)); }},
          {L"text", [](LabelTemplate& c, Value v) { c.SetText(v); }},
          {L"textid", [](LabelTemplate& c, Value v) { c.SetTextId(v); }},
          {L"font", [](LabelTemplate& c, Value v) { c.SetFont(v); }},
          {L"textpadding", [](LabelTemplate& c, Value v) { c.SetTextPadding(ParseRectValue(v)); }},
      },
      {
          {L"", L"textcolor",
           [](LabelTemplate& c, ControlState s, Value v) { c.SetStateTextColor(s, v); }},
      });
  return table;
}

template <typename Base>
void LabelTemplate<Base>::SetEndEllipsis(bool on) {
  textStyle_ = on ? (textStyle_ | kTextEndEllipsis) : (textStyle_ & ~kTextEndEllipsis);
}

template <typename Base>
void LabelTemplate<Base>::SetLineFlag(bool* flag, bool on) {
  if (*flag == on) return;
  *flag = on;
  this->Invalidate();
}

template <typename Base>
UiRect LabelTemplate<Base>::TextRect() const {
  const UiRect r = this->GetItemRect();
  return UiRect{r.left + textPadding_.left, r.top + textPadding_.top, r.right - textPadding_.right,
                r.bottom - textPadding_.bottom};
}

template <typename Base>
TextStyle LabelTemplate<Base>::EffectiveStyle() {
  textStyle_ = singleLine_ ? (textStyle_ | kTextSingleLine) : (textStyle_ & ~kTextSingleLine);
  return textStyle_;
}

template <typename Base>
UiSize LabelTemplate<Base>::EstimateText(UiSize available, bool* needsEstimate) {
  const TextStyle style = EffectiveStyle();
  const std::wstring text = GetText();
  IControlWindow* window = this->GetWindow();
  // Text is measured on the window's surface; outside a window there is nothing to
  // measure with.
  IRenderContext* context = window ? window->GetRenderContext() : nullptr;
  if (text.empty() || !context) return UiSize{};
  const int fixedWidth = this->GetFixedWidth();
  UiRect measured = context->MeasureText(text, fontId_, style, fixedWidth > 0 ? fixedWidth : 0);
  int w = measured.Width();
  int h = measured.Height();
  UiSize result;
  const int horizontal = textPadding_.left + textPadding_.right;
  if (fixedWidth == kLengthAuto) result.cx = horizontal + w;
  if (this->GetFixedHeight() == kLengthAuto) {
    if (!singleLine_ && fixedWidth == kLengthAuto && this->GetMaxWidth() == kLengthStretch) {
      *needsEstimate = true;
    }
    if (available.cx - horizontal < w) {
      const int wrap = std::max(available.cx - horizontal, 0);
      measured = context->MeasureText(text, fontId_, style, wrap);
      w = wrap;
      h = measured.Height();
    }
    result.cx = horizontal + w;
    result.cy = textPadding_.top + textPadding_.bottom + h;
  }
  return result;
}

template <typename Base>
void LabelTemplate<Base>::PaintText(IRenderContext& context) {
  const std::wstring text = GetText();
  if (text.empty()) return;
  const UiRect rect = TextRect();
  const TextStyle style = EffectiveStyle();
  auto colorOf = [this](ControlState s) { return GetStateTextColor(s); };
  const ControlState state = FallbackState(this->GetState(), colorOf);
  const std::wstring hot = GetStateTextColor(ControlState::kHot);
  auto draw = [&](const std::wstring& color, int alpha) {
    context.PaintText(rect, text, UiRegistry::GetTextColor(color), fontId_, style,
                      static_cast<unsigned char>(alpha), lineLimit_);
  };
  if (this->IsHotFadeEnabled() && (state == ControlState::kNormal || state == ControlState::kHot) &&
      !hot.empty()) {
    const std::wstring normal = GetStateTextColor(ControlState::kNormal);
    if (!normal.empty()) draw(normal, 255);
    if (this->GetHotAlpha() > 0) draw(hot, std::min(this->GetHotAlpha(), 255));
    return;
  }
  draw(GetStateTextColor(state), 255);
}

template <typename Base>
bool LabelTemplate<Base>::HasHotState() {
  return !GetStateTextColor(ControlState::kHot).empty() || Base::HasHotState();
}

template <typename Base>
void LabelTemplate<Base>::RescaleLengths(const ScaleChange& change) {
  Base::RescaleLengths(change);
  textPadding_ = change.Rect(textPadding_);
}

template class LabelTemplate<Control>;
template class LabelTemplate<Box>;

}  // namespace ui

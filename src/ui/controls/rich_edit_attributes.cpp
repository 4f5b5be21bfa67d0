#include "ui/controls/rich_edit.h"

#include "ui/controls/c_txt_win_host.h"
#include "ui/core/tree/attribute_table.h"
#include "ui/core/tree/attribute_values.h"

namespace ui {
namespace {

// "true" or "false" switch a style; any other word leaves it as it is.
bool ReadSwitch(const std::wstring& word, bool* on) {
  if (word != L"true" && word != L"false") return false;
  *on = word == L"true";
  return true;
}

}  // namespace

void RichEdit::SetStyleBit(std::uint32_t bit, bool on) {
  style_ = on ? (style_ | bit) : (style_ & ~bit);
}

void RichEdit::SetScrollBarStyle(bool vertical, bool on) {
  const std::uint32_t bar = vertical ? kStyleVScroll : kStyleHScroll;
  const std::uint32_t other = vertical ? kStyleHScroll : kStyleVScroll;
  if (on) {
    style_ |= bar | kStyleNumber;
  } else {
    style_ &= ~bar;
    // The shared bit keeps the other bar shown; it stays while that bar is wanted.
    if (!(style_ & other) && !numberOnly_) style_ &= ~kStyleNumber;
  }
  const bool verticalBar = vertical ? on : GetVerticalScrollBar() != nullptr;
  const bool horizontalBar = vertical ? GetHorizontalScrollBar() != nullptr : on;
  EnableScrollBar(verticalBar, horizontalBar);
  ApplyStyleToHost(TXTBIT_SCROLLBARCHANGE);
}

void RichEdit::SetAlign(const std::wstring& value) {
  if (value.find(L"left") != std::wstring::npos) style_ &= ~(kStyleCenter | kStyleRight);
  if (value.find(L"hcenter") != std::wstring::npos) style_ |= kStyleCenter;
  if (value.find(L"right") != std::wstring::npos) style_ |= kStyleRight;
  if (value.find(L"top") != std::wstring::npos) verticalAlign_ = 0;
  if (value.find(L"vcenter") != std::wstring::npos) verticalAlign_ = 1;
  if (value.find(L"bottom") != std::wstring::npos) verticalAlign_ = 2;
  ApplyStyleToHost(TXTBIT_PARAFORMATCHANGE);
}

void RichEdit::SetAttribute(const std::wstring& name, const std::wstring& value) {
  // The scrollable box's own attributes do not apply: the engine scrolls the text.
  if (!Attributes().Apply(*this, name, value)) Box::SetAttribute(name, value);
}

const AttributeTable<RichEdit>& RichEdit::Attributes() {
  using Value = const std::wstring&;
  static const AttributeTable<RichEdit> table({
      {L"vscrollbar", [](RichEdit& c, Value v) { c.SetScrollBarStyle(true, ParseBoolValue(v)); }},
      {L"hscrollbar", [](RichEdit& c, Value v) { c.SetScrollBarStyle(false, ParseBoolValue(v)); }},
      {L"autovscroll", [](RichEdit& c, Value v) { c.SetAutoScroll(kStyleAutoVScroll, v); }},
      {L"autohscroll", [](RichEdit& c, Value v) { c.SetAutoScroll(kStyleAutoHScroll, v); }},
      {L"multiline", [](RichEdit& c, Value v) { c.SetMultiline(v); }},
      {L"readonly",
       [](RichEdit& c, Value v) {
         bool on = false;
         if (ReadSwitch(v, &on)) c.SetReadOnly(on);
       }},
      {L"password",
       [](RichEdit& c, Value v) {
         bool on = false;
         if (ReadSwitch(v, &on)) c.SetPassword(on);
       }},
      {L"number",
       [](RichEdit& c, Value v) {
         bool on = false;
         if (ReadSwitch(v, &on)) c.SetNumberOnly(on);
       }},
      {L"align", [](RichEdit& c, Value v) { c.SetAlign(v); }},
      {L"normaltextcolor",
       [](RichEdit& c, Value v) { c.SetStateTextColor(true, SkipLeadingBlanks(v)); }},
      {L"disabledtextcolor",
       [](RichEdit& c, Value v) { c.SetStateTextColor(false, SkipLeadingBlanks(v)); }},
      {L"caretcolor", [](RichEdit& c, Value v) { c.caretColor_ = SkipLeadingBlanks(v); }},
      {L"promptcolor", [](RichEdit& c, Value v) { c.promptColor_ = SkipLeadingBlanks(v); }},
      // Only switched on: once set, a prompt stays.
      {L"promptmode",
       [](RichEdit& c, Value v) {
         if (ParseBoolValue(v)) c.promptMode_ = true;
       }},
      {L"prompttext", [](RichEdit& c, Value v) { c.SetPromptText(v); }},
      {L"prompttextid", [](RichEdit& c, Value v) { c.SetPromptTextId(v); }},
      {L"focusedimage", [](RichEdit& c, Value v) { c.SetFocusedImage(v); }},
      {L"font", [](RichEdit& c, Value v) { c.SetFont(v); }},
      {L"text", [](RichEdit& c, Value v) { c.SetText(v); }},
      {L"textid", [](RichEdit& c, Value v) { c.SetTextId(v); }},
      {L"wanttab", [](RichEdit& c, Value v) { c.wantTab_ = ParseBoolValue(v); }},
      {L"wantreturnmsg", [](RichEdit& c, Value v) { c.wantReturnMsg_ = ParseBoolValue(v); }},
      {L"returnmsgwantctrl",
       [](RichEdit& c, Value v) { c.returnMsgWantCtrl_ = ParseBoolValue(v); }},
      {L"rich", [](RichEdit& c, Value v) { c.SetRich(ParseBoolValue(v)); }},
  });
  return table;
}

void RichEdit::SetAutoScroll(std::uint32_t bit, const std::wstring& word) {
  bool on = false;
  if (ReadSwitch(word, &on)) SetStyleBit(bit, on);
  ApplyStyleToHost(TXTBIT_SCROLLBARCHANGE | TXTBIT_WORDWRAP);
}

void RichEdit::SetMultiline(const std::wstring& word) {
  bool on = false;
  if (ReadSwitch(word, &on)) SetStyleBit(kStyleMultiline, on);
  ApplyStyleToHost(TXTBIT_MULTILINE);
}

void RichEdit::SetPassword(bool password) {
  password_ = password;
  SetStyleBit(kStylePassword, password);
  ApplyStyleToHost(TXTBIT_USEPASSWORD);
}

void RichEdit::SetNumberOnly(bool numberOnly) {
  numberOnly_ = numberOnly;
  SetStyleBit(kStyleNumber, numberOnly);
}

void RichEdit::SetStateTextColor(bool enabled, const std::wstring& colorName) {
  (enabled ? normalTextColor_ : disabledTextColor_) = colorName;
  // The text shows the colour at once when it is the one of the edit's state.
  if (IsEnabled() == enabled) SetTextColor(colorName);
}

void RichEdit::SetFocusedImage(const std::wstring& image) {
  focusedImage_.SetImageString(image);
  Invalidate();
}

}  // namespace ui

#include "ui/core/image_attributes/image_animation.h"
#include "ui/core/resources/dpi_scaler.h"
#include "ui/core/resources/ui_registry.h"
#include "ui/core/tree/attribute_table.h"
#include "ui/core/tree/attribute_values.h"
#include "ui/core/tree/control.h"
#include "ui/core/tree/i_control_window.h"

namespace ui {

namespace {

std::wstring WithoutLeadingBlanks(const std::wstring& value) {
  const size_t first = value.find_first_not_of(L' ');
  return first == std::wstring::npos ? std::wstring() : value.substr(first);
}

int Scaled(int value) {
  return UiRegistry::GetDpiScaler().ScaleLength(value);
}

void SetHAlignWord(Control& c, const std::wstring& word) {
  if (word == L"left") c.SetHorAlignType(kHAlignLeft);
  if (word == L"center") c.SetHorAlignType(kHAlignCenter);
  if (word == L"right") c.SetHorAlignType(kHAlignRight);
}

void SetVAlignWord(Control& c, const std::wstring& word) {
  if (word == L"top") c.SetVerAlignType(kVAlignTop);
  if (word == L"center") c.SetVerAlignType(kVAlignCenter);
  if (word == L"bottom") c.SetVerAlignType(kVAlignBottom);
}

void SetCursorTypeWord(Control& c, const std::wstring& word) {
  if (word == L"arrow") c.SetCursorType(kCursorArrow);
  if (word == L"hand") c.SetCursorType(kCursorHand);
  if (word == L"ibeam") c.SetCursorType(kCursorIBeam);
}

void SetStateWord(Control& c, const std::wstring& word) {
  ControlState state = ControlState::kNormal;
  if (ParseStateWord(word, &state)) c.SetState(state);
}

void SetBorderSizeText(Control& c, const std::wstring& text) {
  // One number sizes every side alike; a list gives each side its own.
  if (text.find(L',') == std::wstring::npos) {
    c.SetBorderSize(ParseIntValue(text));
  } else {
    c.SetBorderSize(ParseRectValue(text));
  }
}

void SetBorderSide(Control& c, int UiRect::*side, const std::wstring& text) {
  UiRect sides = c.GetBorderSides();
  sides.*side = ParseIntValue(text);
  c.SetBorderSize(sides);
}

void SetRenderOffsetText(Control& c, const std::wstring& text) {
  const UiSize offset = ParseSizeValue(text);
  c.SetRenderOffset(UiPoint{offset.cx, offset.cy});
}

}  // namespace

void Control::ApplyAttributeList(const std::wstring& list) {
  const size_t end = list.size();
  size_t pos = 0;
  while (pos < end) {
    const size_t equals = list.find(L'=', pos);
    if (equals == std::wstring::npos || equals + 1 >= end || list[equals + 1] != L'"') return;
    const std::wstring name = list.substr(pos, equals - pos);
    const size_t valueStart = equals + 2;
    const size_t closing = list.find(L'"', valueStart);
    if (closing == std::wstring::npos) return;
    SetAttribute(name, list.substr(valueStart, closing - valueStart));
    // Pairs are separated by exactly one blank.
    if (closing + 2 >= end || list[closing + 1] != L' ' || list[closing + 2] == L' ') return;
    pos = closing + 2;
  }
}

void Control::SetClass(const std::wstring& classNames) {
  size_t pos = 0;
  while (pos < classNames.size()) {
    const size_t blank = classNames.find(L' ', pos);
    const size_t stop = blank == std::wstring::npos ? classNames.size() : blank;
    const std::wstring name = classNames.substr(pos, stop - pos);
    pos = stop + 1;
    if (name.empty()) continue;
    std::wstring attributes = UiRegistry::GetClassAttributes(name);
    if (attributes.empty() && window_) attributes = window_->GetClassAttributes(name);
    if (!attributes.empty()) ApplyAttributeList(attributes);
  }
}

void Control::SetAttribute(const std::wstring& name, const std::wstring& value) {
  Attributes().Apply(*this, name, value);
}

const AttributeTable<Control>& Control::Attributes() {
  using Value = const std::wstring&;
  static const AttributeTable<Control> table(
      {
          {L"class", [](Control& c, Value v) { c.SetClass(v); }},
          {L"halign", [](Control& c, Value v) { SetHAlignWord(c, v); }},
          {L"valign", [](Control& c, Value v) { SetVAlignWord(c, v); }},
          {L"margin", [](Control& c, Value v) { c.SetMargin(ParseRectValue(v)); }},
          {L"bkcolor", [](Control& c, Value v) { c.SetBkColor(WithoutLeadingBlanks(v)); }},
          {L"bkcolor1", [](Control& c, Value v) { c.SetBkColor1(WithoutLeadingBlanks(v)); }},
          {L"bordersize", [](Control& c, Value v) { SetBorderSizeText(c, v); }},
          {L"borderround", [](Control& c, Value v) { c.SetBorderRound(ParseSizeValue(v)); }},
          {L"width", [](Control& c, Value v) { c.SetFixedWidth(ParseLengthValue(v)); }},
          {L"height", [](Control& c, Value v) { c.SetFixedHeight(ParseLengthValue(v)); }},
          {L"maxwidth", [](Control& c, Value v) { c.SetMaxWidth(ParseLengthValue(v)); }},
          {L"maxheight", [](Control& c, Value v) { c.SetMaxHeight(ParseLengthValue(v)); }},
          {L"minwidth", [](Control& c, Value v) { c.SetMinWidth(ParseIntValue(v)); }},
          {L"minheight", [](Control& c, Value v) { c.SetMinHeight(ParseIntValue(v)); }},
          {L"state", [](Control& c, Value v) { SetStateWord(c, v); }},
          {L"cursortype", [](Control& c, Value v) { SetCursorTypeWord(c, v); }},
          {L"renderoffset", [](Control& c, Value v) { SetRenderOffsetText(c, v); }},
          {L"bordercolor", [](Control& c, Value v) { c.SetBorderColor(v); }},
          {L"leftbordersize", [](Control& c, Value v) { SetBorderSide(c, &UiRect::left, v); }},
          {L"topbordersize", [](Control& c, Value v) { SetBorderSide(c, &UiRect::top, v); }},
          {L"rightbordersize", [](Control& c, Value v) { SetBorderSide(c, &UiRect::right, v); }},
          {L"bottombordersize", [](Control& c, Value v) { SetBorderSide(c, &UiRect::bottom, v); }},
          {L"bkimage", [](Control& c, Value v) { c.SetBkImage(v); }},
          {L"name", [](Control& c, Value v) { c.SetName(v); }},
          {L"tooltiptext", [](Control& c, Value v) { c.SetToolTipText(v); }},
          {L"tooltiptextid", [](Control& c, Value v) { c.SetToolTipTextId(v); }},
          {L"dataid", [](Control& c, Value v) { c.SetDataID(v); }},
          {L"enabled", [](Control& c, Value v) { c.SetEnabled(ParseBoolValue(v)); }},
          {L"mouse", [](Control& c, Value v) { c.SetMouseEnabled(ParseBoolValue(v)); }},
          {L"keyboard", [](Control& c, Value v) { c.SetKeyboardEnabled(ParseBoolValue(v)); }},
          {L"visible", [](Control& c, Value v) { c.SetVisible(ParseBoolValue(v)); }},
          {L"fadevisible", [](Control& c, Value v) { c.SetFadeVisible(ParseBoolValue(v)); }},
          {L"float", [](Control& c, Value v) { c.SetFloat(ParseBoolValue(v)); }},
          {L"menu", [](Control& c, Value v) { c.SetContextMenuUsed(ParseBoolValue(v)); }},
          {L"cache", [](Control& c, Value v) { c.SetUseCache(ParseBoolValue(v)); }},
          // Any value: the attribute's presence is what counts.
          {L"nofocus", [](Control& c, Value) { c.SetNoFocus(); }},
          {L"alpha", [](Control& c, Value v) { c.SetAlpha(ParseIntValue(v)); }},
          {L"fadealpha",
           [](Control& c, Value v) { c.GetAnimations().SetFadeAlpha(ParseBoolValue(v)); }},
          {L"fadehot",
           [](Control& c, Value v) { c.GetAnimations().SetFadeHot(ParseBoolValue(v)); }},
          {L"fadewidth",
           [](Control& c, Value v) { c.GetAnimations().SetFadeWidth(ParseBoolValue(v)); }},
          {L"fadeheight",
           [](Control& c, Value v) { c.GetAnimations().SetFadeHeight(ParseBoolValue(v)); }},
          {L"fadeinoutxfromleft",
           [](Control& c, Value v) { c.GetAnimations().SetFadeInOutX(ParseBoolValue(v), false); }},
          {L"fadeinoutxfromright",
           [](Control& c, Value v) { c.GetAnimations().SetFadeInOutX(ParseBoolValue(v), true); }},
          {L"fadeinoutyfromtop",
           [](Control& c, Value v) { c.GetAnimations().SetFadeInOutY(ParseBoolValue(v), false); }},
          {L"fadeinoutyfrombottom",
           [](Control& c, Value v) { c.GetAnimations().SetFadeInOutY(ParseBoolValue(v), true); }},
          {L"receivepointer", [](Control& c, Value v) { c.SetReceivePointer(ParseBoolValue(v)); }},
      },
      {
          {L"", L"color", [](Control& c, ControlState s, Value v) { c.SetStateColor(s, v); }},
          {L"", L"image", [](Control& c, ControlState s, Value v) { c.SetStateImage(0, s, v); }},
          {L"fore", L"image",
           [](Control& c, ControlState s, Value v) { c.SetStateImage(1, s, v); }},
      });
  return table;
}

void Control::SetBkColor(const std::wstring& color) {
  if (color == bkColor_) return;
  bkColor_ = color;
  Invalidate();
}

void Control::SetBkColor1(const std::wstring& color) {
  if (color == bkColor1_) return;
  bkColor1_ = color;
  Invalidate();
}

void Control::SetStateColor(ControlState state, const std::wstring& color) {
  if (state == ControlState::kHot) animations_.SetFadeHot(true);
  if (GetStateColor(state) == color) return;
  stateColors_[state] = color;
  Invalidate();
}

std::wstring Control::GetStateColor(ControlState state) const {
  auto it = stateColors_.find(state);
  return it == stateColors_.end() ? std::wstring() : it->second;
}

void Control::SetBorderColor(const std::wstring& color) {
  if (color == borderColor_) return;
  borderColor_ = color;
  Invalidate();
}

void Control::SetBorderSize(int size, bool scale) {
  if (scale) size = Scaled(size);
  if (size == borderSize_) return;
  borderSize_ = size;
  Invalidate();
}

void Control::SetBorderSize(const UiRect& sides, bool scale) {
  const UiRect value = scale ? UiRect{Scaled(sides.left), Scaled(sides.top), Scaled(sides.right),
                                      Scaled(sides.bottom)}
                             : sides;
  if (value == borderSides_) return;
  borderSides_ = value;
  Invalidate();
}

void Control::SetBorderRound(UiSize round, bool scale) {
  if (scale) round = UiSize{Scaled(round.cx), Scaled(round.cy)};
  borderRound_ = round;
  Invalidate();
}

void Control::SetBkImage(const std::wstring& text) {
  if (bkImage_.image && bkImage_.image->IsAnimated()) StopAnimation(*this, 0);
  bkImageAnimationFlag_.Revoke();
  bkImage_.SetImageString(text);
  animateBkImage_ = bkImage_.playCount != 0;
  if (HasAutoSize()) {
    RelayoutAncestor();
  } else {
    Invalidate();
  }
}

void Control::SetStateImage(int layer, ControlState state, const std::wstring& text) {
  std::unique_ptr<StateImageSet>& set = layer == 0 ? bkStateImages_ : foreStateImages_;
  if (!set) set = std::make_unique<StateImageSet>(this);
  StateImageSet& images = *set;
  if (state == ControlState::kHot) animations_.SetFadeHot(true);
  images.SetImageString(state, text);
  if (layer == 0 && HasAutoSize()) {
    RelayoutAncestor();
  } else {
    Invalidate();
  }
}

void Control::SetState(ControlState state) {
  if (state == ControlState::kNormal) hotAlpha_ = 0;
  if (state == ControlState::kHot) hotAlpha_ = 255;
  state_ = state;
  Invalidate();
}

void Control::SetAlpha(int alpha) {
  alpha_ = alpha;
  Invalidate();
}

void Control::SetHotAlpha(int alpha) {
  hotAlpha_ = alpha;
  Invalidate();
}

void Control::SetRenderOffset(UiPoint offset, bool scale) {
  if (scale) offset = UiPoint{Scaled(offset.x), Scaled(offset.y)};
  renderOffset_ = offset;
  Invalidate();
}

}  // namespace ui

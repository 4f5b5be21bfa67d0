#include "ui/core/image_attributes/image_animation.h"
#include "ui/core/resources/dpi_scaler.h"
#include "ui/core/resources/ui_registry.h"
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
  ControlState state = ControlState::kNormal;
  if (name == L"class") {
    SetClass(value);
  } else if (name == L"halign") {
    if (value == L"left") hAlign_ = kHAlignLeft;
    if (value == L"center") hAlign_ = kHAlignCenter;
    if (value == L"right") hAlign_ = kHAlignRight;
  } else if (name == L"valign") {
    if (value == L"top") vAlign_ = kVAlignTop;
    if (value == L"center") vAlign_ = kVAlignCenter;
    if (value == L"bottom") vAlign_ = kVAlignBottom;
  } else if (name == L"margin") {
    SetMargin(ParseRectValue(value));
  } else if (name == L"bkcolor") {
    SetBkColor(WithoutLeadingBlanks(value));
  } else if (name == L"bkcolor1") {
    SetBkColor1(WithoutLeadingBlanks(value));
  } else if (name == L"bordersize") {
    if (value.find(L',') == std::wstring::npos) {
      SetBorderSize(ParseIntValue(value));
    } else {
      SetBorderSize(ParseRectValue(value));
    }
  } else if (name == L"borderround") {
    SetBorderRound(ParseSizeValue(value));
  } else if (name == L"width") {
    SetFixedWidth(ParseLengthValue(value));
  } else if (name == L"height") {
    SetFixedHeight(ParseLengthValue(value));
  } else if (name == L"maxwidth") {
    SetMaxWidth(ParseLengthValue(value));
  } else if (name == L"maxheight") {
    SetMaxHeight(ParseLengthValue(value));
  } else if (name == L"minwidth") {
    SetMinWidth(ParseIntValue(value));
  } else if (name == L"minheight") {
    SetMinHeight(ParseIntValue(value));
  } else if (name == L"state") {
    if (ParseStateWord(value, &state)) SetState(state);
  } else if (name == L"cursortype") {
    if (value == L"arrow") cursorType_ = kCursorArrow;
    if (value == L"hand") cursorType_ = kCursorHand;
    if (value == L"ibeam") cursorType_ = kCursorIBeam;
  } else if (name == L"renderoffset") {
    const UiSize offset = ParseSizeValue(value);
    SetRenderOffset(UiPoint{offset.cx, offset.cy});
  } else if (ParseStateInName(name, L"", L"color", &state)) {
    SetStateColor(state, value);
  } else if (name == L"bordercolor") {
    SetBorderColor(value);
  } else if (name == L"leftbordersize" || name == L"topbordersize" || name == L"rightbordersize" ||
             name == L"bottombordersize") {
    UiRect sides = borderSides_;
    const int size = ParseIntValue(value);
    if (name[0] == L'l') sides.left = size;
    if (name[0] == L't') sides.top = size;
    if (name[0] == L'r') sides.right = size;
    if (name[0] == L'b') sides.bottom = size;
    SetBorderSize(sides);
  } else if (name == L"bkimage") {
    SetBkImage(value);
  } else if (name == L"name") {
    name_ = value;
  } else if (name == L"tooltiptext") {
    SetToolTipText(value);
  } else if (name == L"tooltiptextid") {
    SetToolTipTextId(value);
  } else if (name == L"dataid") {
    SetDataID(value);
  } else if (name == L"enabled") {
    SetEnabled(ParseBoolValue(value));
  } else if (name == L"mouse") {
    SetMouseEnabled(ParseBoolValue(value));
  } else if (name == L"keyboard") {
    SetKeyboardEnabled(ParseBoolValue(value));
  } else if (name == L"visible") {
    SetVisible(ParseBoolValue(value));
  } else if (name == L"fadevisible") {
    SetFadeVisible(ParseBoolValue(value));
  } else if (name == L"float") {
    SetFloat(ParseBoolValue(value));
  } else if (name == L"menu") {
    SetContextMenuUsed(ParseBoolValue(value));
  } else if (name == L"cache") {
    SetUseCache(ParseBoolValue(value));
  } else if (name == L"nofocus") {
    SetNoFocus();
  } else if (name == L"alpha") {
    SetAlpha(ParseIntValue(value));
  } else if (ParseStateInName(name, L"", L"image", &state)) {
    SetStateImage(0, state, value);
  } else if (ParseStateInName(name, L"fore", L"image", &state)) {
    SetStateImage(1, state, value);
  } else if (name == L"fadealpha") {
    animations_.SetFadeAlpha(ParseBoolValue(value));
  } else if (name == L"fadehot") {
    animations_.SetFadeHot(ParseBoolValue(value));
  } else if (name == L"fadewidth") {
    animations_.SetFadeWidth(ParseBoolValue(value));
  } else if (name == L"fadeheight") {
    animations_.SetFadeHeight(ParseBoolValue(value));
  } else if (name == L"fadeinoutxfromleft" || name == L"fadeinoutxfromright") {
    animations_.SetFadeInOutX(ParseBoolValue(value), name == L"fadeinoutxfromright");
  } else if (name == L"fadeinoutyfromtop" || name == L"fadeinoutyfrombottom") {
    animations_.SetFadeInOutY(ParseBoolValue(value), name == L"fadeinoutyfrombottom");
  } else if (name == L"receivepointer") {
    receivePointer_ = ParseBoolValue(value);
  }
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

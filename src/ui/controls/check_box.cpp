#include "ui/controls/check_box.h"

#include "ui/core/resources/ui_registry.h"
#include "ui/core/tree/attribute_table.h"
#include "ui/core/tree/attribute_values.h"
#include "ui/render/i_render_context.h"

namespace ui {

template <typename Base>
void CheckBoxTemplate<Base>::SetSelected(bool selected, bool sendEvent) {
  if (selected == selected_) return;
  selected_ = selected;
  if (this->GetWindow() && sendEvent) {
    const std::weak_ptr<kbase::WeakFlag> alive = this->WeakFlagOf();
    this->SendEvent(selected ? kEventSelect : kEventUnselect);
    if (alive.expired()) return;
  }
  this->Invalidate();
}

template <typename Base>
void CheckBoxTemplate<Base>::Activate() {
  if (!this->IsActivatable()) return;
  SetSelected(!selected_, true);
}

template <typename Base>
void CheckBoxTemplate<Base>::SetSelectedStateColor(ControlState state, const std::wstring& color) {
  selectedColors_[state] = color;
  this->Invalidate();
}

template <typename Base>
void CheckBoxTemplate<Base>::SetSelectedImage(ControlState state, const std::wstring& image) {
  selectedImages_.SetImageString(state, image);
  ImageChanged();
}

template <typename Base>
void CheckBoxTemplate<Base>::SetSelectedForeImage(ControlState state, const std::wstring& image) {
  selectedForeImages_.SetImageString(state, image);
  ImageChanged();
}

template <typename Base>
void CheckBoxTemplate<Base>::SetSelectedTextColor(const std::wstring& color) {
  selectedTextColor_ = color;
  this->Invalidate();
}

template <typename Base>
void CheckBoxTemplate<Base>::ImageChanged() {
  if (this->HasAutoSize()) {
    this->RelayoutAncestor();
  } else {
    this->Invalidate();
  }
}

template <typename Base>
void CheckBoxTemplate<Base>::SetAttribute(const std::wstring& name, const std::wstring& value) {
  if (!Attributes().Apply(*this, name, value)) ButtonTemplate<Base>::SetAttribute(name, value);
}

template <typename Base>
const AttributeTable<CheckBoxTemplate<Base>>& CheckBoxTemplate<Base>::Attributes() {
  using Value = const std::wstring&;
  static const AttributeTable<CheckBoxTemplate> table(
      {
          {L"selected",
           [](CheckBoxTemplate& c, Value v) { c.SetSelected(ParseBoolValue(v), true); }},
          {L"selectedtextcolor", [](CheckBoxTemplate& c, Value v) { c.SetSelectedTextColor(v); }},
      },
      {
          {L"selected", L"image",
           [](CheckBoxTemplate& c, ControlState s, Value v) { c.SetSelectedImage(s, v); }},
          {L"selectedfore", L"image",
           [](CheckBoxTemplate& c, ControlState s, Value v) { c.SetSelectedForeImage(s, v); }},
          {L"selected", L"color",
           [](CheckBoxTemplate& c, ControlState s, Value v) { c.SetSelectedStateColor(s, v); }},
      });
  return table;
}

template <typename Base>
void CheckBoxTemplate<Base>::PaintStateColor(IRenderContext& context) {
  if (!selected_) {
    ButtonTemplate<Base>::PaintStateColor(context);
    return;
  }
  this->PaintStateColors(context, selectedColors_);
}

template <typename Base>
void CheckBoxTemplate<Base>::PaintStateImages(IRenderContext& context) {
  if (!selected_) {
    ButtonTemplate<Base>::PaintStateImages(context);
    return;
  }
  selectedImages_.Paint(context, this->GetState());
  selectedForeImages_.Paint(context, this->GetState());
}

template <typename Base>
void CheckBoxTemplate<Base>::PaintText(IRenderContext& context) {
  if (!selected_) {
    ButtonTemplate<Base>::PaintText(context);
    return;
  }
  const std::wstring text = this->GetText();
  if (text.empty()) return;
  std::wstring color = selectedTextColor_.empty() ? this->GetStateTextColor(ControlState::kNormal)
                                                  : selectedTextColor_;
  if (!this->IsEnabled()) color = this->GetStateTextColor(ControlState::kDisabled);
  context.PaintText(this->TextRect(), text, UiRegistry::GetTextColor(color), this->GetFont(),
                    this->EffectiveStyle(), 255, false);
}

template <typename Base>
bool CheckBoxTemplate<Base>::HasHotState() {
  auto it = selectedColors_.find(ControlState::kHot);
  return (it != selectedColors_.end() && !it->second.empty()) ||
         ButtonTemplate<Base>::HasHotState();
}

template <typename Base>
ImageAttribute* CheckBoxTemplate<Base>::GetSizingImage() {
  if (ImageAttribute* image = ButtonTemplate<Base>::GetSizingImage()) return image;
  ImageAttribute& selected = selectedImages_.Get(ControlState::kNormal);
  return selected.file.empty() ? nullptr : &selected;
}

template class CheckBoxTemplate<Control>;
template class CheckBoxTemplate<Box>;

}  // namespace ui

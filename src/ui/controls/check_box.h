#pragma once

#include <map>
#include <string>

#include "ui/controls/button.h"
#include "ui/core/tree/state_image_set.h"

namespace ui {

// A button that stays selected or not; activation toggles it and tells select or unselect.
// While selected it shows its selected colours, images and text colour.
template <typename Base>
class CheckBoxTemplate : public ButtonTemplate<Base> {
 public:
  bool IsSelected() const { return selected_; }
  virtual void SetSelected(bool selected, bool sendEvent = true);
  void SetSelectedStateColor(ControlState state, const std::wstring& color);
  void SetSelectedImage(ControlState state, const std::wstring& image);
  void SetSelectedForeImage(ControlState state, const std::wstring& image);
  void SetSelectedTextColor(const std::wstring& color);

  void Activate() override;
  void SetAttribute(const std::wstring& name, const std::wstring& value) override;
  void PaintStateColor(IRenderContext& context) override;
  void PaintStateImages(IRenderContext& context) override;
  void PaintText(IRenderContext& context) override;
  bool HasHotState() override;
  ImageAttribute* GetSizingImage() override;

 protected:
  // Relayout when the size follows the images, else repaint.
  void ImageChanged();

  bool selected_ = false;
  std::wstring selectedTextColor_;
  std::map<ControlState, std::wstring> selectedColors_;
  StateImageSet selectedImages_{this};
  StateImageSet selectedForeImages_{this};

 private:
  // The attributes SetAttribute reads itself, by name.
  static const AttributeTable<CheckBoxTemplate>& Attributes();
};

using CheckBox = CheckBoxTemplate<Control>;
using CheckBoxBox = CheckBoxTemplate<Box>;

extern template class CheckBoxTemplate<Control>;
extern template class CheckBoxTemplate<Box>;

}  // namespace ui

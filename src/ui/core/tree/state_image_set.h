#pragma once

#include <string>

#include "ui/core/image_attributes/image_attribute.h"
#include "ui/core/tree/control_state.h"

namespace ui {

class IImageHost;
class IRenderContext;

// A control's images for its four states, as one layer (background or foreground). A state
// without an image falls back: Pushed to Hot (drawn opaque), Hot to Normal, Disabled to
// Normal. While the control fades between Normal and Hot, both are blended.
class StateImageSet {
 public:
  // The owner draws the images and must outlive the set.
  explicit StateImageSet(IImageHost* owner) : owner_(owner) {}

  void SetImageString(ControlState state, const std::wstring& text);
  const ImageAttribute& Get(ControlState state) const { return images_[Index(state)]; }
  ImageAttribute& Get(ControlState state) { return images_[Index(state)]; }

  // Whether a Hot image string is set.
  bool HasHotImage() const;
  // The first image with a file, in the order Normal, Hot, Pushed, Disabled; the control
  // sizes itself by it. Nothing when no state has one.
  ImageAttribute* FirstImageWithFile();
  // Drops the loaded images; they load again on the next paint.
  void ClearImages();

  // Draws the image of the state, with the modification string applied for this drawing.
  // True when an image was drawn.
  bool Paint(IRenderContext& context, ControlState state,
             const std::wstring& modification = std::wstring());

 private:
  static int Index(ControlState state) { return static_cast<int>(state); }
  bool PaintHotFade(IRenderContext& context, const std::wstring& modification);
  bool Draw(IRenderContext& context, ControlState state, const std::wstring& modification,
            int fade);

  IImageHost* owner_;
  ImageAttribute images_[kControlStateCount];
};

}  // namespace ui

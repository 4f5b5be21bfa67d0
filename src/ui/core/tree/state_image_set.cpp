#include "ui/core/tree/state_image_set.h"

#include <algorithm>

#include "ui/core/image_attributes/i_image_host.h"
#include "ui/core/image_attributes/image_drawing.h"

namespace ui {

namespace {

constexpr int kUseOwnFade = -1;

}  // namespace

void StateImageSet::SetImageString(ControlState state, const std::wstring& text) {
  Get(state).SetImageString(text);
}

bool StateImageSet::HasHotImage() const {
  return !Get(ControlState::kHot).imageString.empty();
}

ImageAttribute* StateImageSet::FirstImageWithFile() {
  for (ImageAttribute& image : images_) {
    if (!image.file.empty()) return &image;
  }
  return nullptr;
}

void StateImageSet::ClearImages() {
  for (ImageAttribute& image : images_) image.image.reset();
}

bool StateImageSet::Paint(IRenderContext& context, ControlState state,
                          const std::wstring& modification) {
  if (owner_->IsHotFadeEnabled() &&
      (state == ControlState::kNormal || state == ControlState::kHot)) {
    return PaintHotFade(context, modification);
  }
  int fade = kUseOwnFade;
  if (state == ControlState::kPushed && Get(state).imageString.empty()) {
    state = ControlState::kHot;
    // Pressed shows the hover picture fully, whatever fade it has for hovering.
    fade = 255;
  }
  if (state == ControlState::kHot && Get(state).imageString.empty()) {
    state = ControlState::kNormal;
    fade = kUseOwnFade;
  }
  if (state == ControlState::kDisabled && Get(state).imageString.empty()) {
    state = ControlState::kNormal;
  }
  return Draw(context, state, modification, fade);
}

bool StateImageSet::PaintHotFade(IRenderContext& context, const std::wstring& modification) {
  const int hotAlpha = std::clamp(owner_->GetHotAlpha(), 0, 255);
  const ImageAttribute& normal = Get(ControlState::kNormal);
  const ImageAttribute& hot = Get(ControlState::kHot);
  // One picture with two fades: draw it once at the blended fade rather than twice.
  if (!normal.file.empty() && normal.file == hot.file && normal.source == hot.source) {
    const int fade = ((255 - hotAlpha) * normal.fade + hotAlpha * hot.fade) / 255;
    return Draw(context, ControlState::kHot, modification, fade);
  }
  const bool drewNormal = Draw(context, ControlState::kNormal, modification, kUseOwnFade);
  const bool drewHot = Draw(context, ControlState::kHot, modification, hot.fade * hotAlpha / 255);
  return drewNormal || drewHot;
}

bool StateImageSet::Draw(IRenderContext& context, ControlState state,
                         const std::wstring& modification, int fade) {
  return DrawImage(*owner_, context, &Get(state), modification, fade);
}

}  // namespace ui

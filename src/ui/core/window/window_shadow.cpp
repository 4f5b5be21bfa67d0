#include "ui/core/window/window_shadow.h"

#include "ui/core/resources/dpi_scaler.h"
#include "ui/core/resources/ui_registry.h"
#include "ui/core/window/shadow_box.h"

namespace ui {

namespace {

constexpr int kDefaultExtent = 14;
const wchar_t kDefaultImage[] = L"file='../public/bk/bk_shadow.png' corner='30,30,30,30'";

UiRect ScaledBand(const UiRect& band) {
  const DpiScaler& scaler = UiRegistry::GetDpiScaler();
  return UiRect{scaler.ScaleLength(band.left), scaler.ScaleLength(band.top),
                scaler.ScaleLength(band.right), scaler.ScaleLength(band.bottom)};
}

// The root's corners follow the built-in picture's rounding.
void RoundRoot(Box* shadowBox, int round) {
  if (Control* root = shadowBox->GetItemAt(0)) root->SetBorderRound(UiSize{round, round});
}

}  // namespace

WindowShadow::WindowShadow()
    : image_(kDefaultImage),
      rawCorner_{kDefaultExtent, kDefaultExtent, kDefaultExtent, kDefaultExtent} {
  appliedCorner_ = ScaledBand(rawCorner_);
  savedCorner_ = appliedCorner_;
}

void WindowShadow::SetImage(const std::wstring& image) {
  image_ = image;
  defaultImage_ = false;
}

void WindowShadow::SetCorner(const UiRect& corner) {
  rawCorner_ = corner;
  appliedCorner_ = ScaledBand(corner);
  savedCorner_ = appliedCorner_;
}

Control* WindowShadow::WrapRoot(Control* root) {
  if (!attached_ || !root) return root;
  auto* box = new ShadowBox();
  shadowBox_ = box;
  shadowBoxAlive_ = box->WeakFlagOf();
  box->GetLayout()->SetPadding(appliedCorner_, false);
  const int width = root->GetFixedWidth();
  box->SetFixedWidth(width > 0 ? width + appliedCorner_.left + appliedCorner_.right : width, true,
                     false);
  const int height = root->GetFixedHeight();
  box->SetFixedHeight(height > 0 ? height + appliedCorner_.top + appliedCorner_.bottom : height,
                      false);
  if (defaultImage_) root->SetBorderRound(UiSize{3, 3});
  box->Add(root);
  box->SetBkImage(image_);
  return box;
}

void WindowShadow::MaximizedChanged(bool maximized) {
  Box* box = GetShadowBox();
  if (!attached_ || !box) return;
  maximized_ = maximized;
  appliedCorner_ = maximized ? UiRect{} : savedCorner_;
  SetBand(appliedCorner_);
  if (defaultImage_) RoundRoot(box, maximized ? 0 : 3);
}

void WindowShadow::DpiChanged() {
  if (!attached_ || !GetShadowBox()) return;
  savedCorner_ = ScaledBand(rawCorner_);
  // A maximized window shows no band; the new one waits for the restore.
  appliedCorner_ = maximized_ ? UiRect{} : savedCorner_;
  SetBand(appliedCorner_);
}

void WindowShadow::RootReplaced(const Control* root) {
  if (root != shadowBox_) {
    shadowBox_ = nullptr;
    shadowBoxAlive_.reset();
  }
}

Box* WindowShadow::GetShadowBox() const {
  return shadowBoxAlive_.expired() ? nullptr : shadowBox_;
}

void WindowShadow::SetBand(const UiRect& band) {
  GetShadowBox()->GetLayout()->SetPadding(band, false);
}

}  // namespace ui

#pragma once

#include <string>

#include "ui/render/render_types.h"

namespace ui {

class Box;
class Control;

// A frameless window's drop shadow, painted by the window itself in a band around its root.
// While attached, every window-level size, position and hit test allows for the band.
class WindowShadow {
 public:
  WindowShadow();

  // Wraps the root in the shadow box and returns what the window attaches as its root; the
  // root itself when no shadow is attached.
  Control* WrapRoot(Control* root);
  // The band collapses while the window is maximized and comes back on restore.
  void MaximizedChanged(bool maximized);
  // The window's DPI changed: the extents are scaled anew from the layout's numbers.
  void DpiChanged();

  bool IsAttached() const { return attached_; }
  void SetAttached(bool attached) { attached_ = attached; }
  // An image attribute string; the built-in picture is used until one is set.
  void SetImage(const std::wstring& image);
  const std::wstring& GetImage() const { return image_; }
  bool IsDefaultImage() const { return defaultImage_; }
  // The band's widths as a layout writes them (scaled here).
  void SetCorner(const UiRect& corner);
  // The band's widths in force.
  UiRect GetCorner() const { return appliedCorner_; }
  Box* GetShadowBox() const { return shadowBox_; }

 private:
  void SetBand(const UiRect& band);

  bool attached_ = true;
  bool defaultImage_ = true;
  std::wstring image_;
  UiRect appliedCorner_;
  UiRect rawCorner_;
  UiRect savedCorner_;
  Box* shadowBox_ = nullptr;
};

}  // namespace ui

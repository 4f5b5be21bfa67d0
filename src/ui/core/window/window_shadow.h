#pragma once

#include <memory>
#include <string>

#include "runtime/weak_callback.h"
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
  // The window's DPI changed: the extents are scaled anew from the layout's numbers; a
  // maximized window keeps no band until it is restored.
  void DpiChanged();
  // The window took a new root: unless it is the shadow box, the box is no longer the
  // window's and the shadow lets go of it.
  void RootReplaced(const Control* root);

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
  // The wrapping box while it is the window's root and alive, else none.
  Box* GetShadowBox() const;

 private:
  void SetBand(const UiRect& band);

  bool attached_ = true;
  bool defaultImage_ = true;
  std::wstring image_;
  UiRect appliedCorner_;
  UiRect rawCorner_;
  UiRect savedCorner_;
  Box* shadowBox_ = nullptr;
  // The box goes with the control tree; its flag tells the shadow when it has gone.
  std::weak_ptr<kbase::WeakFlag> shadowBoxAlive_;
  bool maximized_ = false;
};

}  // namespace ui

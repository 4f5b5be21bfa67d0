#pragma once

#include <string>

#include "runtime/weak_callback.h"
#include "ui/render/render_types.h"

namespace ui {

struct ImageAttribute;

// What image drawing and the background animation need from the control that shows the
// images. A control implements it; nothing else about the control is used.
class IImageHost {
 public:
  virtual ~IImageHost() = default;

  // The window's resource sub-folder (ending in a separator), under which relative image
  // files are found; empty without a window.
  virtual std::wstring GetResourceSubFolder() const = 0;
  // The control's item rectangle, in window coordinates.
  virtual UiRect GetItemRect() const = 0;
  // The part of the item rectangle being painted.
  virtual UiRect GetPaintRect() const = 0;
  virtual void Invalidate() = 0;

  // The hot fade animation blends Normal into Hot state images by GetHotAlpha (0-255).
  virtual bool IsHotFadeEnabled() const = 0;
  virtual int GetHotAlpha() const = 0;

  // The background image, the only one that animates.
  virtual ImageAttribute& GetBkImage() = 0;
  // Whether the background may animate: set while its play count is not 0, cleared when
  // the animation has played its cycles.
  virtual bool IsBkImageAnimationAllowed() const = 0;
  virtual void SetBkImageAnimationAllowed(bool allowed) = 0;
  // Guards the pending frame step: revoking it cancels the step.
  virtual kbase::WeakCallbackFlag& GetBkImageAnimationFlag() = 0;
  // The background animation has played its cycles: the control tells its image-event
  // handlers under key 1 with an event of type 4 that it sends.
  virtual void OnBkImageAnimationFinished() = 0;
};

}  // namespace ui

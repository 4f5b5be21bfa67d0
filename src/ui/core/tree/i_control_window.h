#pragma once

#include <string>
#include <vector>

#include "ui/core/tree/event_args.h"
#include "ui/render/render_types.h"

namespace ui {

class Control;
class PlaceHolder;
class IRenderContext;

// What a control needs of the native window that shows it. The window implements it; control
// trees can be laid out, painted, hit-tested and sent events against any implementation.
class IControlWindow {
 public:
  virtual ~IControlWindow() = default;

  virtual Control* GetRoot() const = 0;
  // The window's drawing surface, which text is also measured on; none before the window
  // is initialised.
  virtual IRenderContext* GetRenderContext() const = 0;

  // Marks an area of the client for repainting, without erasing.
  virtual void InvalidateArea(const UiRect& rect) = 0;
  // The tree must be laid out before the next paint.
  virtual void SetNeedsLayout() = 0;
  // The control waits to be arranged again in the next layout pass.
  virtual void RequestArrangement(PlaceHolder* control) = 0;

  virtual Control* GetFocusControl() const = 0;
  // None clears the focus.
  virtual void SetFocusControl(Control* control) = 0;
  // The control under the mouse.
  virtual Control* GetHoverControl() const = 0;
  virtual UiPoint GetLastMousePoint() const = 0;
  // Sends an event of the type from the control, with the last mouse point.
  virtual void SendNotify(Control* control, EventType type, std::uint32_t wParam,
                          std::uint32_t lParam) = 0;

  // The name registry: a named control is found by its exact name.
  virtual void AddNamedControl(Control* control) = 0;
  virtual Control* FindControlByName(const std::wstring& name) const = 0;
  // The control is going away: every reference the window keeps to it is dropped, its
  // name entry only while that entry names it.
  virtual void ForgetControl(Control* control) = 0;
  // Takes ownership of a detached control and destroys it later, outside the event that
  // removed it.
  virtual void QueueDeferredDestroy(Control* control) = 0;

  // Attribute lists of the window's own classes; empty for an unknown name.
  virtual std::wstring GetClassAttributes(const std::wstring& name) const = 0;
  // The sub-folder of the resource folder where the window's files are; ends in a separator
  // unless empty.
  virtual std::wstring GetResourceSubFolder() const = 0;
  // How far the visible window lies inside the client area: the shadow's left and top
  // extents while a shadow is attached, else (0, 0).
  virtual UiPoint GetShadowOffset() const = 0;

  // Option groups: false when the control is already in the group.
  virtual bool AddOptionGroup(const std::wstring& group, Control* control) = 0;
  virtual const std::vector<Control*>* GetOptionGroup(const std::wstring& group) const = 0;
  virtual void RemoveOptionGroup(const std::wstring& group, Control* control) = 0;
};

}  // namespace ui

#pragma once

#include <windows.h>

#include <commctrl.h>

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "runtime/weak_callback.h"
#include "ui/core/resources/ui_registry.h"
#include "ui/core/tree/control.h"
#include "ui/core/tree/i_control_window.h"
#include "ui/core/window/layout_pass.h"
#include "ui/core/window/window_shadow.h"

namespace ui {

class IRenderContext;
class IUIMessageFilter;

// Destroys the controls a window has queued for later destruction.
constexpr UINT kDeferredDestroyMessage = 0x8001;

// One native window bound to a control tree: it lays the tree out, paints it into a render
// context and copies that to the screen (per-pixel alpha for a layered window), and routes
// mouse, keyboard and focus to the controls as events.
class Window : public virtual kbase::SupportWeakCallback, public IControlWindow {
 public:
  Window();
  ~Window() override;
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  virtual std::wstring GetWindowClassName() const;
  // A window class to copy; empty for a class of the window's own.
  virtual std::wstring GetSuperClassName() const { return std::wstring(); }
  virtual UINT GetClassStyle() const { return 0; }
  // The native window, or none when its class cannot be registered or it cannot be made.
  virtual HWND CreateNativeWindow(HWND parent, const std::wstring& title, DWORD style,
                                  DWORD exStyle, bool layered, const UiRect& rect);
  // Closes the window with the result after the root has faded out.
  virtual void CloseWindow(UINT result = IDOK);
  virtual void ShowNativeWindow(bool show = true, bool takeFocus = true);
  // The native window is gone.
  virtual void OnFinalMessage(HWND hwnd);
  // The framework's handling, then the previous window procedure for what it leaves.
  virtual LRESULT HandleNativeMessage(UINT message, WPARAM wParam, LPARAM lParam);
  virtual void OnFirstLayout();

  // Binds the object to a created native window and makes its drawing surface.
  void InitWindow(HWND hwnd);
  // Replaces the control tree; false for none. The old tree is destroyed later.
  bool AttachRoot(Control* root);
  // Attaches a control below the parent (its own parent by default) and registers the names
  // of its tree.
  void InitSubtree(Control* control, Box* parent = nullptr);
  HWND GetHWND() const { return hwnd_; }
  bool IsLayeredWindow() const { return layered_; }

  Control* FindControlAt(const UiPoint& point) const;
  // A search of the subtree by name, without regard to case.
  Control* FindSubControlByName(Control* parent, const std::wstring& name) const;
  // Moves the focus to the next Tab stop (or the previous one), wrapping at either end.
  void MoveTabFocus(bool forward);

  void AddClass(const std::wstring& name, const std::wstring& attributes);
  // Forgets the classes a layout defined, before the window builds a layout again.
  void ClearClasses() { windowClasses_.clear(); }
  void AddMessageFilter(IUIMessageFilter* filter);
  void RemoveMessageFilter(IUIMessageFilter* filter);
  void AttachWindowClose(EventHandler handler);
  void SetTextId(const std::wstring& id);
  void SetResourceSubFolder(const std::wstring& folder);

  UiSize GetMinSize() const { return minSize_; }
  void SetMinSize(int cx, int cy);
  UiSize GetMaxSize() const { return maxSize_; }
  void SetMaxSize(int cx, int cy);
  // Carries the tree and the frame's lengths over from the scale they were made at to the
  // percentage given and lays the tree out again; false when the scale is the same.
  bool RescaleContent(int toPercent);
  // The scale percentage the window's lengths are made at.
  int GetContentPercent() const { return contentPercent_; }
  UiSize GetInitSize() const { return initSize_; }
  void SetInitSize(int cx, int cy, bool scale = true);
  // Positions the window; the rectangle is the visible window, the shadow band goes around.
  void SetWindowRect(const UiRect& rect, UINT flags = SWP_NOZORDER | SWP_NOACTIVATE,
                     HWND insertAfter = nullptr);
  void CenterWindow();
  void SetWindowAlpha(int alpha);
  int GetWindowAlpha() const { return windowAlpha_; }
  void SetRenderOffset(const UiPoint& offset) { renderOffset_ = offset; }

  // Read by the skinned frame and the builder.
  UiRect maximizeRect;
  UiRect sizeBox;
  UiRect alphaFixCorner;
  UiSize roundCorner;
  UiRect caption;
  double heightPercent = 0;

  WindowShadow& GetShadow() { return shadow_; }
  const WindowShadow& GetShadow() const { return shadow_; }
  // Read by labels that have no font of their own.
  const FontRecord& GetDefaultFont() const;
  IRenderContext* GetRenderContext() const override { return renderContext_.get(); }
  Control* GetPushedControl() const { return pushed_; }
  Control* GetEventHoverControl() const { return eventHover_; }
  bool IsMouseCaptured() const { return mouseCaptured_; }
  Control* GetTouchCapturedControl() const { return touchCaptured_; }
  Control* GetPointerCapturedControl() const { return pointerCaptured_; }
  // The window gets touch messages; false where the system has no touch input.
  bool IsTouchRegistered() const { return touchRegistered_; }
  // Pointer messages become pointer events only while this is on.
  bool IsPointerInputEnabled() const { return pointerInputEnabled_; }
  void SetPointerInputEnabled(bool enabled) { pointerInputEnabled_ = enabled; }
  bool NeedsLayout() const { return needsLayout_; }

  // IControlWindow.
  Control* GetRoot() const override { return root_; }
  void InvalidateArea(const UiRect& rect) override;
  void SetNeedsLayout() override { needsLayout_ = true; }
  void RequestArrangement(PlaceHolder* control) override;
  Control* GetFocusControl() const override { return focus_; }
  void SetFocusControl(Control* control) override;
  Control* GetHoverControl() const override { return hover_; }
  UiPoint GetLastMousePoint() const override { return lastMousePoint_; }
  void SendNotify(Control* control, EventType type, std::uint32_t wParam,
                  std::uint32_t lParam) override;
  void AddNamedControl(Control* control) override;
  Control* FindControlByName(const std::wstring& name) const override;
  void ForgetControl(Control* control) override;
  void QueueDeferredDestroy(Control* control) override;
  std::wstring GetClassAttributes(const std::wstring& name) const override;
  std::wstring GetResourceSubFolder() const override { return resourceSubFolder_; }
  UiPoint GetShadowOffset() const override;
  bool AddOptionGroup(const std::wstring& group, Control* control) override;
  const std::vector<Control*>* GetOptionGroup(const std::wstring& group) const override;
  void RemoveOptionGroup(const std::wstring& group, Control* control) override;

 protected:
  // The framework's handling of one message; handled says whether it is done with.
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, bool* handled);

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT Dispatch(Window* window, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  bool RegisterWindowClass();
  bool RegisterSuperClass();
  // The control whose fades are the window's: the layout's root.
  Control* FadeRoot() const;

  // Limits the tracking sizes to the window's min and max sizes.
  void ApplyTrackSizes(MINMAXINFO* info) const;
  bool RunMessageFilters(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
  void OnPaint();
  void LayoutIfNeeded(const UiRect& client);
  void PaintTree(const UiRect& update);
  void RepairLayeredAlpha(const UiRect& update);
  void ResizeToRootEstimate();
  void DestroyDeferredControls();
  void RegisterNames(Control* control);

  // Input; each returns false once the window is gone.
  bool OnMouseMove(WPARAM wParam, LPARAM lParam);
  bool OnButtonDown(UINT message, WPARAM wParam, LPARAM lParam);
  bool OnButtonUp(UINT message, WPARAM wParam, LPARAM lParam);
  bool OnMouseHover(LPARAM lParam);
  void OnMouseLeave();
  bool OnKeyDown(WPARAM wParam, LPARAM lParam);
  bool OnSetCursor(bool* handled);
  bool OnKillFocus(LPARAM lParam);
  bool OnClose();
  bool OnContextMenu(WPARAM wParam, LPARAM lParam);
  bool OnMouseWheel(WPARAM wParam, LPARAM lParam);
  bool UpdateHover(WPARAM wParam, LPARAM lParam);
  // Touch and pointer input; handled is set when the message must not reach the default
  // procedure (which would turn it into mouse messages).
  bool OnTouch(WPARAM wParam, LPARAM lParam, bool* handled);
  bool OnTouchPoint(const TOUCHINPUT& touch);
  bool OnPointer(UINT message, WPARAM wParam, LPARAM lParam, bool* handled);
  // Takes the native focus and gives it to the control; false when the window went.
  bool FocusForPress(Control* control, bool* controlGone);
  // Sends an event to a control; false when that destroyed the window.
  bool Send(Control* control, EventType type, WPARAM wParam = 0, LPARAM lParam = 0, wchar_t key = 0,
            UiPoint point = UiPoint{-1, -1}, float pressure = 0.0f);
  void ShowToolTip(Control* control);
  void HideToolTip();
  void ReleaseMouseCapture();

  HWND hwnd_ = nullptr;
  WNDPROC previousProc_ = ::DefWindowProcW;
  bool subclassed_ = false;
  Control* root_ = nullptr;
  EventHandlerMap windowHandlers_;
  UiSize minSize_;
  UiSize maxSize_;
  UiSize initSize_;
  int contentPercent_ = 100;
  bool layered_ = true;
  int windowAlpha_ = 255;
  UiPoint renderOffset_;
  bool firstLayoutPending_ = true;
  HWND tooltip_ = nullptr;
  TOOLINFOW toolInfo_{};
  std::wstring tooltipText_;
  Control* focus_ = nullptr;
  Control* hover_ = nullptr;
  Control* eventHover_ = nullptr;
  Control* pushed_ = nullptr;
  Control* keyDown_ = nullptr;
  UiPoint lastMousePoint_{-1, -1};
  Control* touchCaptured_ = nullptr;
  UiPoint lastTouchPoint_{-1, -1};
  Control* pointerCaptured_ = nullptr;
  bool pointerInputEnabled_ = true;
  bool touchRegistered_ = false;
  bool needsLayout_ = false;
  // The largest area marked for repainting since the last paint.
  UiRect markedSincePaint_;
  bool pendingTab_ = false;
  bool mouseCaptured_ = false;
  bool mouseLeaveArmed_ = false;
  std::wstring resourceSubFolder_;
  mutable FontRecord defaultFont_;
  std::map<std::wstring, std::wstring> windowClasses_;
  std::map<std::wstring, std::vector<Control*>> optionGroups_;
  std::vector<std::pair<IUIMessageFilter*, std::weak_ptr<kbase::WeakFlag>>> messageFilters_;
  std::vector<Control*> deferredDestroy_;
  std::map<std::wstring, Control*> names_;
  WindowShadow shadow_;
  ArrangementQueue arrangements_;
  HDC paintDc_ = nullptr;
  std::unique_ptr<IRenderContext> renderContext_;
};

}  // namespace ui

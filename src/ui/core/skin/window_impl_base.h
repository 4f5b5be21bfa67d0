#pragma once

#include <functional>
#include <string>

#include "ui/core/window/i_ui_message_filter.h"
#include "ui/core/window/window.h"

namespace ui {

// The base of every concrete window: a frameless top-level window whose control tree is
// built from a layout file in its skin folder when the native window is created, with
// layout-defined caption and sizing bands, rounded corners, the system buttons "closebtn",
// "minbtn", "maxbtn" and "restorebtn", and a hook for each message a window usually
// customises. The object deletes itself once its native window is gone.
class WindowImplBase : public Window, public IUIMessageFilter {
 public:
  // Builds a skin: the layout file's tree, made with the window's create-control callback,
  // or none when the file does not build.
  using SkinBuilder =
      std::function<Control*(const std::wstring& path, CreateControlCallback create, Window*)>;
  // Replaces how windows build their skin (the window builder); none restores it.
  static void SetSkinBuilder(SkinBuilder builder);
  // The failure message box; tests replace it so that nothing waits for a person.
  using MessageBoxFunction = std::function<int(HWND, const wchar_t*, const wchar_t*, UINT)>;
  static void SetMessageBoxFunction(MessageBoxFunction function);
  // The failure message for a skin path, at most 259 characters.
  static std::wstring LoadFailureText(const std::wstring& path);

  UINT GetClassStyle() const override { return CS_DBLCLKS; }
  void OnFinalMessage(HWND hwnd) override;
  LRESULT HandleNativeMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  virtual void OnInitWindow() {}
  virtual LONG GetStyle() const;
  // Makes controls of class names the builder does not know; none by default.
  virtual Control* CreateControl(const std::wstring& className);
  virtual std::wstring GetSkinFolder() = 0;
  virtual std::wstring GetSkinFile() = 0;

  // Builds the layout file again into this window, in place of the tree it shows, keeping
  // the native window, its place and its surface; false, with the old tree kept, when the
  // file does not build.
  bool RebuildSkin();

  void ActivateWindow();
  void SetTitle(const std::wstring& title);

  // IUIMessageFilter: sees every message and handles none.
  LRESULT MessageHandler(UINT message, WPARAM wParam, LPARAM lParam, bool* handled) override;

  // The message hooks; handled arrives true, and a hook that leaves a message to the
  // framework clears it.
  virtual LRESULT OnClose(UINT message, WPARAM wParam, LPARAM lParam, bool* handled);
  virtual LRESULT OnDestroy(UINT message, WPARAM wParam, LPARAM lParam, bool* handled);
  virtual LRESULT OnNcActivate(UINT message, WPARAM wParam, LPARAM lParam, bool* handled);
  virtual LRESULT OnNcCalcSize(UINT message, WPARAM wParam, LPARAM lParam, bool* handled);
  virtual LRESULT OnWindowPosChanging(UINT message, WPARAM wParam, LPARAM lParam, bool* handled);
  virtual LRESULT OnNcPaint(UINT message, WPARAM wParam, LPARAM lParam, bool* handled);
  virtual LRESULT OnNcLButtonDbClick(UINT message, WPARAM wParam, LPARAM lParam, bool* handled);
  virtual LRESULT OnNcHitTest(UINT message, WPARAM wParam, LPARAM lParam, bool* handled);
  virtual LRESULT OnGetMinMaxInfo(UINT message, WPARAM wParam, LPARAM lParam, bool* handled);
  virtual LRESULT OnMouseWheel(UINT message, WPARAM wParam, LPARAM lParam, bool* handled);
  virtual LRESULT OnMouseHover(UINT message, WPARAM wParam, LPARAM lParam, bool* handled);
  virtual LRESULT OnDpiChanged(UINT message, WPARAM wParam, LPARAM lParam, bool* handled);
  virtual LRESULT OnSize(UINT message, WPARAM wParam, LPARAM lParam, bool* handled);
  virtual LRESULT OnChar(UINT message, WPARAM wParam, LPARAM lParam, bool* handled);
  virtual LRESULT OnSysCommand(UINT message, WPARAM wParam, LPARAM lParam, bool* handled);
  virtual LRESULT OnKeyDown(UINT message, WPARAM wParam, LPARAM lParam, bool* handled);
  virtual LRESULT OnKillFocus(UINT message, WPARAM wParam, LPARAM lParam, bool* handled);
  virtual LRESULT OnSetFocus(UINT message, WPARAM wParam, LPARAM lParam, bool* handled);
  virtual LRESULT OnLButtonDown(UINT message, WPARAM wParam, LPARAM lParam, bool* handled);
  virtual LRESULT OnLButtonUp(UINT message, WPARAM wParam, LPARAM lParam, bool* handled);
  virtual LRESULT OnMouseMove(UINT message, WPARAM wParam, LPARAM lParam, bool* handled);

  // The hit code for a point in client coordinates.
  LRESULT HitTest(const UiPoint& point) const;

 protected:
  ~WindowImplBase() override = default;

 private:
  // WM_CREATE: builds the skin and attaches it; -1 when the skin does not build.
  LRESULT OnCreate();
  // The layout file's tree, built for this window; none when it does not build.
  Control* BuildSkin();
  void WireSystemButtons();
  bool OnButtonClick(EventArgs* args);
  // Moves the window to the rectangle the system suggests for a new DPI; the size only when
  // asked.
  void TakeSuggestedRect(const RECT* suggested, bool resize);
  // Runs the hook of a message; false for messages without one.
  bool RunHook(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result, bool* handled);
};

}  // namespace ui

#pragma once

#include <functional>
#include <string>

#include "ui/core/skin/window_impl_base.h"

// The window of the live view: a skinned window built from the layout as the client builds
// its own, which tells its owner when it has painted its first frame, moved, been pointed
// at with Ctrl held, or gone. It deletes itself once its native window is gone; the hooks
// are weak callbacks of the owner, so an owner that went first is not called.
class LiveViewWindow : public ui::WindowImplBase {
 public:
  struct Hooks {
    std::function<void(LiveViewWindow*)> painted;
    std::function<void(LiveViewWindow*)> moved;
    // The control under the pointer while Ctrl is held; null once Ctrl is let go.
    std::function<void(LiveViewWindow*, ui::Control*)> inspected;
    std::function<void(LiveViewWindow*)> gone;
  };

  LiveViewWindow(std::wstring skinFolder, std::wstring skinFile, Hooks hooks);

  std::wstring GetWindowClassName() const override { return L"TarnwickSkinToolLiveView"; }
  std::wstring GetSkinFolder() override { return skinFolder_; }
  std::wstring GetSkinFile() override { return skinFile_; }
  LRESULT HandleNativeMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnFinalMessage(HWND hwnd) override;

  // Builds the layout again in this window and paints it at once, without the fade a new
  // window comes in with; the size the layout asks for is taken, the place kept. False when
  // the layout does not build, the old tree still shown.
  bool Rebuild(int width, int height);
  void OnFirstLayout() override;

  // Whether the tree shown has painted its first frame.
  bool HasPainted() const { return painted_; }
  // The visible window on the screen, without its shadow band.
  RECT VisibleRect() const;

 private:
  void Inspect(WPARAM keys, LPARAM point);

  std::wstring skinFolder_;
  std::wstring skinFile_;
  Hooks hooks_;
  bool painted_ = false;
  bool inspecting_ = false;
  bool rebuilt_ = false;
};

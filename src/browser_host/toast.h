#pragma once

#include <windows.h>

#include <string>

#include "ui/core/skin/window_impl_base.h"

namespace ui {
class Control;
class RichEdit;
}  // namespace ui

namespace vok_comp {

// A small message window centred over its owner that shows one text and closes by itself
// after three seconds, or earlier on Escape, a double click or its close button. The close
// button fades in while the mouse is over the toast.
//
// An owner has at most one toast at a time: a new message for it replaces the text of the
// one on screen and starts its three seconds again, so a page that sends messages in a loop
// cannot cover the screen with windows.
class Toast : public ui::WindowImplBase {
 public:
  static constexpr int kAutoCloseMillis = 3000;
  // Without a width of its own in the layout, the text is laid out at this width.
  static constexpr int kFallbackTextWidth = 300;

  // Shows the text, as plain text, over the owner. UI thread only. The toast, or none when
  // its window could not be made.
  static Toast* ShowToast(const std::wstring& text, HWND owner);

  // The toast on screen for the owner, or none.
  static Toast* FindForOwner(HWND owner);

  void SetContent(const std::wstring& text);
  ui::RichEdit* GetContentControl() const { return contentControl; }
  ui::Control* GetCloseButton() const { return closeButton; }

  // Window.
  std::wstring GetWindowClassName() const override { return L"Toast"; }
  UINT GetClassStyle() const override { return CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS; }
  LRESULT HandleNativeMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnInitWindow() override;
  std::wstring GetSkinFolder() override { return L"toast"; }
  std::wstring GetSkinFile() override { return L"toast.xml"; }
  void OnFinalMessage(HWND hwnd) override;
  virtual std::wstring GetToastClassName() const { return L"Toast"; }

 protected:
  ~Toast() override;

 private:
  Toast() = default;
  // Closes the toast three seconds from now; an earlier timer of this toast no longer
  // counts.
  void StartAutoClose();
  int TextWidth() const;
  // The window takes the size its layout now needs, keeping its centre.
  void FitWindowToLayout();

  ui::RichEdit* contentControl = nullptr;
  ui::Control* closeButton = nullptr;
  HWND owner_ = nullptr;
  kbase::WeakCallbackFlag autoCloseFlag_;
};

}  // namespace vok_comp

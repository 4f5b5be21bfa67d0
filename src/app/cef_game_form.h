#pragma once

#include <string>

#include "app/client_messages.h"
#include "app/toast_gate.h"
#include "browser_host/shadow_wnd_base.h"
#include "ui/controls/label.h"

namespace vok_comp {
class CefControlBase;
}

// The game window: maximised, one browser on the game address, the title taken from that
// address. Its sound is muted while another application is active, and closing it hands
// the user back to the login window.
class CefGameForm : public vok_comp::ShadowWndBase {
 public:
  explicit CefGameForm(const std::wstring& gameUrl);

  // Set by the start window before the native window is created.
  void SetStartWindow(HWND start) { startWindow = start; }
  void SetMessageFunction(MessageFunction show) { showMessage_ = std::move(show); }
  vok_comp::CefControlBase* GetBrowserControl() const { return browserControl; }
  const std::wstring& GetGameUrl() const { return gameUrl; }
  // A later game address: loaded here with its title, and this window brought forward.
  void ShowGame(const std::wstring& url);
  // Whether this window has handed the player back to the login window: it is going away,
  // so a later game address needs a window of its own.
  bool IsHandedBack() const { return handedBack_; }

  std::wstring GetWindowClassName() const override { return L"Game_client"; }
  std::wstring GetSkinFolder() override { return L"cef"; }
  std::wstring GetSkinFile() override { return L"game.xml"; }
  ui::Control* CreateControl(const std::wstring& className) override;
  void OnInitWindow() override;
  LRESULT HandleNativeMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  LRESULT OnClose(UINT message, WPARAM wParam, LPARAM lParam, bool* handled) override;

 protected:
  ~CefGameForm() override;

 private:
  bool OnClick(ui::EventArgs* args);
  void OnPageLoaded(int httpStatusCode);
  void SetTitleFromAddress();
  void SetEdgeStrips(int size);
  // Hides this window and brings the start and login windows back, once.
  void HandBack();
  // Whether the activation goes to a window of this one (a toast it shows): the game
  // keeps its sound then.
  bool ActivatesOwnWindow(HWND activated) const;

  vok_comp::CefControlBase* browserControl = nullptr;
  std::wstring gameUrl;
  HWND startWindow = nullptr;
  ui::Label* titleLabel = nullptr;
  std::wstring layoutTitle_;  // the label's text as the layout made it
  ui::Control* sizeLeft = nullptr;
  ui::Control* sizeRight = nullptr;
  ui::Control* sizeBottom = nullptr;
  ui::Control* maxButton = nullptr;
  ui::Control* restoreButton = nullptr;
  bool handedBack_ = false;
  MessageFunction showMessage_;
  ToastGate toasts_;
};

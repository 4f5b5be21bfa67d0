#pragma once

#include <memory>
#include <string>

#include "app/client_messages.h"
#include "app/navigation_rules.h"
#include "app/toast_gate.h"
#include "browser_host/shadow_wnd_base.h"
#include "ui/controls/label.h"

namespace vok_comp {
class CefControlBase;
}
class GameUrlQueue;

// The login window: a browser on the service's access page, owned by the start window.
// It hides until its first page has loaded, hands the game address to the start window,
// keeps the service's other pages out, and sends popups to the system browser.
class CefForm : public vok_comp::ShadowWndBase {
 public:
  CefForm(const std::wstring& uid, const std::wstring& filename, const std::wstring& token,
          const std::wstring& accessUrl);

  // Set by the start window before the native window is created.
  void SetStartWindow(HWND startWindow, std::shared_ptr<GameUrlQueue> gameUrls,
                      const NavigationRules& rules);
  void SetMessageFunction(MessageFunction show) { showMessage_ = std::move(show); }

  vok_comp::CefControlBase* GetBrowserControl() const { return browserControl; }
  // Whether a page has finished loading (or failed to) since the window was made: until
  // then the window stays hidden, however the start window moves.
  bool HasShownAPage() const { return shownAPage_; }
  std::wstring LoginAddress() const;

  std::wstring GetWindowClassName() const override { return L"Game_login"; }
  std::wstring GetSkinFolder() override { return L"cef"; }
  std::wstring GetSkinFile() override { return L"cef.xml"; }
  ui::Control* CreateControl(const std::wstring& className) override;
  void OnInitWindow() override;
  LRESULT OnClose(UINT message, WPARAM wParam, LPARAM lParam, bool* handled) override;

 protected:
  ~CefForm() override;

 private:
  // What the engine's thread decides with: it holds no pointer to the window, so a
  // decision in flight while the window closes reaches nothing of it.
  struct NavigationContext {
    NavigationRules rules;
    HWND startWindow;
    std::shared_ptr<GameUrlQueue> gameUrls;
  };
  static bool Navigate(const NavigationContext& context, const std::wstring& url);
  static bool Popup(const std::wstring& url, bool userGesture);

  bool OnClick(ui::EventArgs* args);
  void OnPageLoaded(int httpStatusCode);
  void OnPageFailed();

  vok_comp::CefControlBase* browserControl = nullptr;
  ui::Control* devToolsTarget = nullptr;
  ui::Label* addressField = nullptr;
  HWND startWindow = nullptr;
  std::wstring uid;
  std::wstring filename;
  std::wstring token;
  std::wstring accessUrl;
  std::shared_ptr<const NavigationContext> navigation_;
  MessageFunction showMessage_;
  ToastGate toasts_;
  bool shownAPage_ = false;
};

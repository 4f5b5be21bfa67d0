#include "app/cef_form.h"

#include "app/game_url_queue.h"
#include "app/launch_settings.h"
#include "app/shell_opener.h"
#include "browser_host/cef_manager.h"
#include "browser_host/cef_native_control.h"
#include "ui/controls/label.h"
#include "ui/core/tree/box.h"

CefForm::CefForm(const std::wstring& uid, const std::wstring& filename, const std::wstring& token,
                 const std::wstring& accessUrl)
    : uid(uid), filename(filename), token(token), accessUrl(accessUrl), toasts_(nullptr) {
  toasts_.SetShowFunction([this](const std::wstring& text) {
    if (showMessage_) showMessage_(text, GetHWND());
  });
}

CefForm::~CefForm() = default;

void CefForm::SetStartWindow(HWND start, std::shared_ptr<GameUrlQueue> gameUrls,
                             const NavigationRules& rules) {
  startWindow = start;
  navigation_ = std::make_shared<const NavigationContext>(
      NavigationContext{rules, start, std::move(gameUrls)});
}

std::wstring CefForm::LoginAddress() const {
  return LaunchSettings{uid, filename, token}.LoginAddress(accessUrl);
}

ui::Control* CefForm::CreateControl(const std::wstring& className) {
  return className == L"CefControl" ? new vok_comp::CefNativeControl() : nullptr;
}

void CefForm::OnInitWindow() {
  ShowNativeWindow(false, true);
  if (auto* root = dynamic_cast<ui::Box*>(GetRoot())) {
    root->AttachBubbledEvent(ui::kEventClick,
                             MakeWeak([this](ui::EventArgs* args) { return OnClick(args); }));
  }
  browserControl = dynamic_cast<vok_comp::CefControlBase*>(FindControlByName(L"cef_control"));
  addressField = dynamic_cast<ui::Label*>(FindControlByName(L"edit_address"));
  if (!browserControl) return;
  browserControl->SetLoadEndCallback(MakeWeak([this](int status) { OnPageLoaded(status); }));
  browserControl->SetLoadErrorCallback(
      MakeWeak([this](cef_errorcode_t, const CefString&, const CefString&) { OnPageFailed(); }));
  std::shared_ptr<const NavigationContext> navigation = navigation_;
  browserControl->SetBeforeNavigateCallback(
      [navigation](CefRefPtr<CefBrowser>, CefRefPtr<CefFrame>, CefRefPtr<CefRequest> request,
                   bool) { return navigation && Navigate(*navigation, request->GetURL()); });
  browserControl->SetBeforePopupCallback(&CefForm::Popup);
  const std::wstring address = LoginAddress();
  // The field keeps the login page's address (it carries the token, so the skin does not
  // show it): "btn_navigate" takes the user back to it.
  if (addressField) addressField->SetText(address);
  browserControl->LoadURL(address);
}

bool CefForm::Navigate(const NavigationContext& context, const std::wstring& url) {
  switch (context.rules.Decide(url)) {
    case NavigationRules::Decision::kOpenGame: {
      const HWND start = context.startWindow;
      if (context.gameUrls) {
        context.gameUrls->Add(
            url, [start] { return PostMessageW(start, kMsgOpenGameWindow, 0, 0) != FALSE; });
      }
      return true;
    }
    case NavigationRules::Decision::kCancel:
      return true;
    case NavigationRules::Decision::kAllow:
      return false;
  }
  return false;
}

bool CefForm::Popup(const std::wstring& url, bool userGesture) {
  // Only what the player asked for reaches the system browser: a page's script alone could
  // otherwise open tab after tab there. The browser itself lets each gesture open one popup.
  if (userGesture) ShellOpener::Open(url);
  // Loading it here as well would replace the login page.
  return false;
}

void CefForm::OnPageLoaded(int) {
  if (!browserControl) return;
  browserControl->RegisterHostFunction(L"ShowMessageBox", toasts_.ShowMessageBoxFunction(), false);
  shownAPage_ = true;
  ShowNativeWindow(true, true);
}

void CefForm::OnPageFailed() {
  // The browser's error page, with the toolbar's reload, beats an empty frame.
  shownAPage_ = true;
  ShowNativeWindow(true, true);
}

bool CefForm::OnClick(ui::EventArgs* args) {
  if (!browserControl || !args || !args->sender) return true;
  const std::wstring& name = args->sender->GetName();
  if (name == L"btn_dev_tool") {
    if (browserControl->IsDevToolsOpen()) {
      browserControl->CloseDevTools();
    } else {
      browserControl->ShowDevTools(devToolsTarget);
    }
  } else if (name == L"btn_back") {
    browserControl->GoBack();
  } else if (name == L"btn_forward") {
    browserControl->GoForward();
  } else if (name == L"btn_refresh") {
    browserControl->Reload();
  } else if (name == L"btn_navigate" && addressField && !addressField->GetText().empty()) {
    browserControl->LoadURL(addressField->GetText());
    browserControl->SetFocus();
  }
  return true;
}

LRESULT CefForm::OnClose(UINT, WPARAM, LPARAM, bool* handled) {
  if (browserControl) browserControl->SetFadeVisible(false);
  vok_comp::CefManager::GetInstance()->PostQuitAfterBrowsersClosed(0);
  *handled = false;
  return 0;
}

#include "app/cef_game_form.h"

#include "app/game_title.h"
#include "app/web_address.h"
#include "browser_host/cef_manager.h"
#include "browser_host/cef_native_control.h"
#include "ui/controls/label.h"
#include "ui/core/tree/box.h"

namespace {

constexpr wchar_t kDefaultTitle[] = L"Tarnwick";
constexpr int kStripMaximised = 1;
constexpr int kStripRestored = 2;

}  // namespace

CefGameForm::CefGameForm(const std::wstring& gameUrl) : gameUrl(gameUrl), toasts_(nullptr) {
  toasts_.SetShowFunction([this](const std::wstring& text) {
    if (showMessage_) showMessage_(text, GetHWND());
  });
}

CefGameForm::~CefGameForm() = default;

ui::Control* CefGameForm::CreateControl(const std::wstring& className) {
  return className == L"CefControl" ? new vok_comp::CefNativeControl() : nullptr;
}

void CefGameForm::OnInitWindow() {
  if (auto* root = dynamic_cast<ui::Box*>(GetRoot())) {
    root->AttachBubbledEvent(ui::kEventClick,
                             MakeWeak([this](ui::EventArgs* args) { return OnClick(args); }));
  }
  browserControl = dynamic_cast<vok_comp::CefControlBase*>(FindControlByName(L"cef_control"));
  titleLabel = dynamic_cast<ui::Label*>(FindControlByName(L"label_title"));
  if (titleLabel) layoutTitle_ = titleLabel->GetText();
  if (browserControl) {
    browserControl->SetLoadEndCallback(MakeWeak([this](int status) { OnPageLoaded(status); }));
    // Engine-thread decisions that need nothing of the window: nothing is cancelled, and a
    // popup's web address is loaded in this browser. Any other address is dropped: the load
    // is the browser's own, which may go where no page may (a local file, a browser page).
    browserControl->SetBeforeNavigateCallback([](CefRefPtr<CefBrowser>, CefRefPtr<CefFrame>,
                                                 CefRefPtr<CefRequest>, bool) { return false; });
    browserControl->SetBeforePopupCallback(
        [](const std::wstring& url, bool) { return WebAddress::IsWeb(url); });
    browserControl->LoadURL(gameUrl);
  }
  CenterWindow();
  maxButton = FindControlByName(L"maxbtn");
  restoreButton = FindControlByName(L"restorebtn");
  if (maxButton && restoreButton) {
    maxButton->SetFadeVisible(false);
    restoreButton->SetFadeVisible(true);
  }
  sizeLeft = FindControlByName(L"size_left");
  sizeRight = FindControlByName(L"size_right");
  sizeBottom = FindControlByName(L"size_bottom");
  SetTitleFromAddress();
}

void CefGameForm::ShowGame(const std::wstring& url) {
  gameUrl = url;
  SetTitleFromAddress();
  if (browserControl) browserControl->LoadURL(gameUrl);
  // Restored from the taskbar as it was, maximised or not.
  if (::IsIconic(GetHWND())) {
    ::ShowWindow(GetHWND(), SW_RESTORE);
  } else if (!::IsWindowVisible(GetHWND())) {
    ::ShowWindow(GetHWND(), SW_SHOW);
  }
  ::SetForegroundWindow(GetHWND());
}

void CefGameForm::SetTitleFromAddress() {
  if (gameUrl.find(L'|') == std::wstring::npos) {
    // A title from an earlier address would name the wrong game.
    if (titleLabel && titleLabel->GetText() != layoutTitle_) titleLabel->SetText(layoutTitle_);
    ::SetWindowTextW(GetHWND(), kDefaultTitle);
    return;
  }
  std::wstring title = GameTitle::FromAddress(gameUrl);
  if (title.empty()) title = kDefaultTitle;
  if (titleLabel) titleLabel->SetText(title);
  ::SetWindowTextW(GetHWND(), title.c_str());
}

void CefGameForm::SetEdgeStrips(int size) {
  if (!sizeLeft) return;
  sizeLeft->SetFixedWidth(size);
  if (sizeRight) sizeRight->SetFixedWidth(size);
  if (sizeBottom) sizeBottom->SetFixedHeight(size);
}

bool CefGameForm::ActivatesOwnWindow(HWND activated) const {
  return activated && ::GetWindow(activated, GW_OWNER) == GetHWND();
}

LRESULT CefGameForm::HandleNativeMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SIZE && wParam == SIZE_MAXIMIZED) {
    SetEdgeStrips(kStripMaximised);
  } else if (message == WM_SIZE) {
    if (maxButton && restoreButton) {
      maxButton->SetFadeVisible(true);
      restoreButton->SetFadeVisible(false);
    }
    SetEdgeStrips(kStripRestored);
  } else if (message == WM_ACTIVATE && browserControl) {
    if (LOWORD(wParam) == WA_INACTIVE) {
      if (!ActivatesOwnWindow(reinterpret_cast<HWND>(lParam))) browserControl->SetAudioMuted(true);
    } else {
      browserControl->SetFocus();
      browserControl->SetAudioMuted(false);
    }
  }
  return ShadowWndBase::HandleNativeMessage(message, wParam, lParam);
}

void CefGameForm::OnPageLoaded(int) {
  if (!browserControl) return;
  browserControl->RegisterHostFunction(L"ShowMessageBox", toasts_.ShowMessageBoxFunction(), false);
}

void CefGameForm::HandBack() {
  if (handedBack_) return;
  handedBack_ = true;
  ShowNativeWindow(false, true);
  if (!startWindow) return;
  PostMessageW(startWindow, kMsgReturnToLogin, 0, 0);
  PostMessageW(startWindow, WM_MOVE, 0, 0);
}

bool CefGameForm::OnClick(ui::EventArgs* args) {
  if (args && args->sender && args->sender->GetName() == L"btn_close") {
    HandBack();
    CloseWindow(1);
  }
  return true;
}

LRESULT CefGameForm::OnClose(UINT, WPARAM, LPARAM, bool* handled) {
  // However the window is closed (its button, the system menu, Alt+F4), the user is taken
  // back to the login window rather than left with a process that shows nothing.
  HandBack();
  vok_comp::CefManager::GetInstance()->PostQuitAfterBrowsersClosed(0);
  *handled = false;
  return 0;
}

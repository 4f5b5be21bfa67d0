#include "app/basic_form.h"

#include "app/cef_form.h"
#include "app/cef_game_form.h"
#include "app/game_url_queue.h"
#include "app/launch_settings.h"
#include "app/navigation_rules.h"
#include "browser_host/cef_control_base.h"
#include "browser_host/cef_manager.h"
#include "ui/core/tree/box.h"

namespace {

constexpr wchar_t kTitle[] = L"Tarnwick";
// WS_OVERLAPPEDWINDOW. The login window is made hidden: it shows itself once its page is
// there to be seen, and a window made visible only to be hidden again flashes on screen.
constexpr DWORD kLoginWindowStyle = 0x00CF0000;
// WS_VISIBLE | WS_MAXIMIZE | WS_OVERLAPPEDWINDOW.
constexpr DWORD kGameWindowStyle = 0x11CF0000;

}  // namespace

BasicForm::BasicForm() : gameUrls_(std::make_shared<GameUrlQueue>()) {}

BasicForm::~BasicForm() = default;

void BasicForm::OnInitWindow() {
  ::SetWindowTextW(GetHWND(), kTitle);
  if (auto* root = dynamic_cast<ui::Box*>(GetRoot())) {
    root->AttachBubbledEvent(ui::kEventClick,
                             MakeWeak([this](ui::EventArgs* args) { return OnClick(args); }));
  }
  const LaunchSettings settings = LaunchSettings::Read(FileBesideExecutable(L"config.ini"));
  uid = settings.uid;
  filename = settings.filename;
  token = settings.token;
  service_ = ServiceSettings::Read(FileBesideExecutable(L"service.ini"));
  accessUrl = service_.AccessUrl();
  if (!loginWindow) CreateLoginWindow();
}

void BasicForm::CreateLoginWindow() {
  loginWindow = new CefForm(uid, filename, token, accessUrl);
  loginAlive_ = loginWindow->WeakFlagOf();
  loginWindow->SetStartWindow(GetHWND(), gameUrls_, NavigationRules(service_));
  loginWindow->SetMessageFunction(showMessage_);
  const bool layered = vok_comp::CefManager::GetInstance()->IsOffScreenRenderingEnabled();
  loginWindow->CreateNativeWindow(GetHWND(), L"Game_login", kLoginWindowStyle, 0, layered,
                                  ui::UiRect());
  // A login window whose layout does not build is gone already.
  CefForm* login = LoginWindow();
  if (!login || !login->GetHWND()) return;
  if (::IsWindowVisible(GetHWND())) PlaceLoginWindow(SWP_HIDEWINDOW | SWP_NOACTIVATE, GetHWND());
  login->ShowNativeWindow(false, false);
}

CefForm* BasicForm::LoginWindow() const {
  return loginAlive_.expired() ? nullptr : loginWindow;
}

CefGameForm* BasicForm::GameWindow() const {
  return gameAlive_.expired() ? nullptr : gameWindow;
}

void BasicForm::PlaceLoginWindow(UINT flags, HWND insertAfter) {
  RECT start{};
  RECT login{};
  ::GetWindowRect(GetHWND(), &start);
  ::GetWindowRect(loginWindow->GetHWND(), &login);
  const int left = start.left + kLoginOffsetX;
  const int top = start.top + kLoginOffsetY;
  loginWindow->SetWindowRect(
      {left, top, left + (login.right - login.left), top + (login.bottom - login.top)}, flags,
      insertAfter);
}

LRESULT BasicForm::HandleNativeMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_MOVE) {
    // The first show of this window moves it too: the login window only follows until
    // its first page is there to be seen.
    CefForm* login = LoginWindow();
    if (login && ::IsWindowVisible(GetHWND())) {
      PlaceLoginWindow(SWP_NOACTIVATE | (login->HasShownAPage() ? SWP_SHOWWINDOW : 0), nullptr);
    }
  } else if (message == kMsgOpenGameWindow) {
    // The message only wakes this window; whatever its parameters say is ignored.
    OpenGameWindows();
  } else if (message == kMsgReturnToLogin) {
    ReturnToLogin();
  }
  return WindowImplBase::HandleNativeMessage(message, wParam, lParam);
}

void BasicForm::OpenGameWindows() {
  for (const std::wstring& url : gameUrls_->TakeAll()) OpenGameWindow(url);
}

void BasicForm::OpenGameWindow(const std::wstring& url) {
  // One game at a time: a page that asks for the game again and again (from any of its
  // frames) steers the one window rather than opening a browser each time.
  CefGameForm* open = GameWindow();
  if (open && !open->IsHandedBack()) {
    open->ShowGame(url);
    return;
  }
  gameWindow = new CefGameForm(url);
  gameAlive_ = gameWindow->WeakFlagOf();
  gameWindow->SetStartWindow(GetHWND());
  gameWindow->SetMessageFunction(showMessage_);
  const bool layered = vok_comp::CefManager::GetInstance()->IsOffScreenRenderingEnabled();
  gameWindow->CreateNativeWindow(nullptr, L"Game_client", kGameWindowStyle, 0, layered,
                                 ui::UiRect());
  if (CefForm* login = LoginWindow()) login->ShowNativeWindow(false, true);
  ShowNativeWindow(false, true);
}

void BasicForm::ReturnToLogin() {
  CefForm* login = LoginWindow();
  if (login && login->GetBrowserControl()) login->GetBrowserControl()->Reload();
  ShowNativeWindow(true, true);
}

bool BasicForm::OnClick(ui::EventArgs* args) {
  if (!args || !args->sender || args->sender->GetName() != L"btn_close") return true;
  if (CefForm* login = LoginWindow()) {
    login->SetWindowRect(ui::UiRect(), SWP_HIDEWINDOW | SWP_NOACTIVATE, GetHWND());
    login->CloseWindow(1);
  }
  CloseWindow(1);
  return true;
}

LRESULT BasicForm::OnClose(UINT, WPARAM, LPARAM, bool* handled) {
  ::PostQuitMessage(0);
  *handled = false;
  return 0;
}

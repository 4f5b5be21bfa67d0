#include "browser_host/cef_native_control.h"

#include "ui/core/window/window.h"

namespace vok_comp {

namespace {

constexpr DWORD kBrowserStyle = WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_TABSTOP;
constexpr DWORD kDevToolsStyle =
    WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;

// The browser window paints itself: the host must not paint over it, nor it over siblings.
void ClipChildren(HWND host) {
  const LONG style = ::GetWindowLongW(host, GWL_STYLE);
  ::SetWindowLongW(host, GWL_STYLE, style | WS_CLIPSIBLINGS | WS_CLIPCHILDREN);
}

}  // namespace

CefNativeControl::CefNativeControl() {
  Events().SetReaction<browser_event::AfterCreated>(
      [this](CefRefPtr<CefBrowser>) { OnBrowserArrived(); });
}

CefNativeControl::~CefNativeControl() {
  if (!browserHandler) return;
  if (CefRefPtr<CefBrowserHost> host = GetBrowserHost()) {
    // A child window dies with its host window; on the desktop it lives until the engine
    // has closed the browser.
    const HWND browserWindow = host->GetWindowHandle();
    if (browserWindow && (::GetWindowLongW(browserWindow, GWL_STYLE) & WS_CHILD)) {
      ::SetParent(browserWindow, ::GetDesktopWindow());
    }
    host->CloseBrowser(true);
  }
  browserHandler->CloseBrowsersOnArrival();
  browserHandler->SetHandlerDelegate(nullptr);
  browserHandler = nullptr;
}

HWND CefNativeControl::GetCefHandle() const {
  CefRefPtr<CefBrowserHost> host = GetBrowserHost();
  return host ? host->GetWindowHandle() : nullptr;
}

HWND CefNativeControl::HostWindow() const {
  auto* window = dynamic_cast<ui::Window*>(GetWindow());
  return window ? window->GetHWND() : nullptr;
}

void CefNativeControl::AttachToWindow(ui::IControlWindow* window, ui::Box* parent, bool init) {
  // Without a native window (taken out of the tree) there is nothing to move the page to.
  auto* native = dynamic_cast<ui::Window*>(window);
  const HWND host = native ? native->GetHWND() : nullptr;
  if (host) {
    if (const HWND browserWindow = GetCefHandle()) ::SetParent(browserWindow, host);
    ClipChildren(host);
  }
  CefControlBase::AttachToWindow(window, parent, init);
}

void CefNativeControl::Init() {
  // Made before the browser is asked for: its pages may call the host as soon as it exists.
  if (!bridge) bridge = std::make_shared<CefJSBridge>();
  // The host window got its clip styles as the control was attached, before this.
  if (!browserHandler) {
    browserHandler = new BrowserHandler();
    browserHandler->SetHandlerDelegate(this);
  }
  ReCreateBrowser();
  OnInit();
}

void CefNativeControl::ReCreateBrowser() {
  const HWND host = HostWindow();
  if (!browserHandler || !host || browserHandler->GetBrowser() || browserPending_) return;
  const ui::UiRect rect = GetPosition();
  CefWindowInfo info;
  info.parent_window = host;
  // A hidden control's page stays hidden until the control shows.
  info.style = kBrowserStyle | (IsVisible() && pageShown_ ? WS_VISIBLE : 0);
  info.x = rect.left;
  info.y = rect.top;
  info.width = rect.right - rect.left;
  info.height = rect.bottom - rect.top;
  browserPending_ = CefBrowserHost::CreateBrowser(info, browserHandler.get(), CefString(),
                                                  CefBrowserSettings(), nullptr, nullptr);
}

void CefNativeControl::OnBrowserArrived() {
  browserPending_ = false;
  // The control may have been hidden while its browser was being made.
  if (!IsVisible() || !pageShown_) ShowBrowserWindow(false);
}

void CefNativeControl::SetPosition(const ui::UiRect& rect) {
  CefControlBase::SetPosition(rect);
  // A hidden page keeps its zero size until it shows again.
  if (IsVisible() && pageShown_) ShowBrowserWindow(true);
}

void CefNativeControl::SetFadeVisible(bool visible) {
  CefControlBase::SetFadeVisible(visible);
  // A fading control stays visible until its fade ends; its page goes at once, as the page
  // cannot fade.
  ShowBrowserWindow(visible && IsVisible());
}

void CefNativeControl::SetParentVisible(bool visible) {
  CefControlBase::SetParentVisible(visible);
  ShowBrowserWindow(IsVisible());
}

void CefNativeControl::SetVisible(bool visible) {
  CefControlBase::SetVisible(visible);
  ShowBrowserWindow(IsVisible());
}

void CefNativeControl::ShowPage(bool show) {
  pageShown_ = show;
  ShowBrowserWindow(IsVisible());
}

void CefNativeControl::ShowBrowserWindow(bool show) {
  const HWND browserWindow = GetCefHandle();
  if (!browserWindow) return;
  if (show && pageShown_) {
    const ui::UiRect rect = GetPosition();
    if (!::IsWindowVisible(browserWindow)) ::ShowWindow(browserWindow, SW_SHOWNA);
    ::SetWindowPos(browserWindow, nullptr, rect.left, rect.top, rect.right - rect.left,
                   rect.bottom - rect.top, SWP_NOZORDER | SWP_NOACTIVATE);
  } else {
    // Zero size in place: the page stays where it was and stops being drawn.
    ::SetWindowPos(browserWindow, nullptr, 0, 0, 0, 0, SWP_NOACTIVATE | SWP_NOZORDER | SWP_NOMOVE);
  }
}

void CefNativeControl::HandleEvent(ui::EventArgs* args) {
  if (CefRefPtr<CefBrowserHost> host = GetBrowserHost()) {
    if (args->type == ui::kEventInternalSetFocus) host->SetFocus(true);
    if (args->type == ui::kEventInternalKillFocus) host->SetFocus(false);
  }
  CefControlBase::HandleEvent(args);
}

bool CefNativeControl::ShowDevTools(ui::Control*) {
  if (devToolsOpen) return true;
  CefRefPtr<CefBrowserHost> host = GetBrowserHost();
  if (!host) {
    AfterBrowserCreated([](CefControlBase& self) { self.ShowDevTools(nullptr); });
    return true;
  }
  CefWindowInfo info;
  info.window_name = CefString("cef_devtools");
  info.style = kDevToolsStyle;
  info.x = CW_USEDEFAULT;
  info.y = CW_USEDEFAULT;
  info.width = 900;
  info.height = 700;
  host->ShowDevTools(info, new BrowserHandler(), CefBrowserSettings(), CefPoint(0, 0));
  devToolsOpen = true;
  NotifyDevToolsVisible(true);
  return true;
}

}  // namespace vok_comp

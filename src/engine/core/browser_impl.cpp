#include "engine/core/browser_impl.h"

#include <windows.h>

#include <imm.h>

#include <cstdlib>

#include "engine/core/context_menu.h"
#include "engine/core/engine_core.h"
#include "engine/input/cursor_shape.h"
#include "engine/input/ime_input.h"
#include "engine/input/window_input.h"

namespace engine {
namespace {

const wchar_t kWindowClass[] = L"EngineBrowserWindow";

void PaintView(BrowserImpl* browser, HWND window, HDC dc) {
  RECT client = {};
  GetClientRect(window, &client);
  if (browser) {
    browser->Surface().Paint(dc, client.right, client.bottom);
  } else {
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  }
}

// The window keeps the mouse while a button is held, takes the focus on a click, and asks
// to hear when the pointer leaves.
void TrackMouse(HWND window, const MouseInput& input) {
  if (input.type == MouseInput::Type::kPress) {
    SetCapture(window);
    if (GetFocus() != window) SetFocus(window);
  } else if (input.type == MouseInput::Type::kRelease && input.buttons == 0 &&
             GetCapture() == window) {
    ReleaseCapture();
  } else if (input.type == MouseInput::Type::kMove && input.x >= 0) {
    TRACKMOUSEEVENT track = {sizeof(track), TME_LEAVE, window, 0};
    TrackMouseEvent(&track);
  }
}

LRESULT CALLBACK BrowserWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* browser = reinterpret_cast<BrowserImpl*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  MouseInput mouse;
  if (browser && MouseInputOf(window, message, wParam, lParam, mouse)) {
    TrackMouse(window, mouse);
    browser->SendMouse(mouse);
    return 0;
  }
  KeyInput key;
  if (browser && KeyInputOf(message, wParam, lParam, key)) {
    browser->SendKey(key);
    // Alt shortcuts still reach the system (its menu, Alt+F4).
    if (message == WM_SYSKEYDOWN || message == WM_SYSKEYUP) {
      return DefWindowProcW(window, message, wParam, lParam);
    }
    return 0;
  }
  if (browser && (message == WM_IME_STARTCOMPOSITION || message == WM_IME_COMPOSITION)) {
    browser->PlaceIme();
  }
  std::vector<CompositionInput> composition;
  if (browser && CompositionOf(window, message, wParam, lParam, composition)) {
    for (const CompositionInput& c : composition) browser->SendComposition(c);
    return 0;
  }
  switch (message) {
    case WM_SETCURSOR:
      if (browser && LOWORD(lParam) == HTCLIENT && reinterpret_cast<HWND>(wParam) == window) {
        browser->ShowPageCursor();
        return TRUE;
      }
      break;
    case WM_IME_SETCONTEXT:
      // The page shows the text being composed itself, not the input method's window.
      return DefWindowProcW(window, message, wParam, lParam & ~ISC_SHOWUICOMPOSITIONWINDOW);
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      if (message == WM_KILLFOCUS) ForgetHeldKeys();
      if (browser) browser->WindowFocused(message == WM_SETFOCUS);
      return 0;
    case WM_GETDLGCODE:
      return DLGC_WANTALLKEYS | DLGC_WANTCHARS | DLGC_WANTARROWS | DLGC_WANTTAB;
    case WM_DESTROY:
      SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      if (browser) browser->WindowDestroyed();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      // Showing an ancestor window reaches this window only as a paint: the view may have
      // become visible without a move or size of its own.
      if (browser) browser->UpdateView();
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      if (dc) PaintView(browser, window, dc);
      EndPaint(window, &paint);
      return 0;
    }
    case WM_PRINTCLIENT:
      PaintView(browser, window, reinterpret_cast<HDC>(wParam));
      return 0;
    case WM_WINDOWPOSCHANGED:
      // Covers moves, sizes, showing and hiding alike.
      if (browser) browser->UpdateView();
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

void RegisterBrowserWindowClass() {
  static std::once_flag once;
  std::call_once(once, [] {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = BrowserWindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = kWindowClass;
    RegisterClassExW(&wc);
  });
}

}  // namespace

BrowserImpl::BrowserImpl(int id, CefRefPtr<CefClient> client, const CefWindowInfo& windowInfo,
                         int64_t mainFrameId)
    : id_(id),
      client_(client),
      windowInfo_(windowInfo),
      mainFrame_(new FrameImpl(id, mainFrameId, true)) {}

void BrowserImpl::Post(std::function<void(BrowserImpl&, EngineCore&)> work) {
  auto core = EngineCore::Get();
  if (!core) return;
  CefRefPtr<BrowserImpl> self = this;
  core->UiThread().Post([self, work, core] {
    if (!self->IsClosing()) work(*self, *core);
  });
}

bool BrowserImpl::CanGoBack() {
  std::lock_guard<std::mutex> hold(lock_);
  return canGoBack_;
}

bool BrowserImpl::CanGoForward() {
  std::lock_guard<std::mutex> hold(lock_);
  return canGoForward_;
}

bool BrowserImpl::IsLoading() {
  std::lock_guard<std::mutex> hold(lock_);
  return loading_;
}

bool BrowserImpl::HasDocument() {
  std::lock_guard<std::mutex> hold(lock_);
  return hasDocument_;
}

bool BrowserImpl::IsClosing() {
  std::lock_guard<std::mutex> hold(lock_);
  return closing_;
}

void BrowserImpl::GoBack() {
  Post([](BrowserImpl& b, EngineCore& core) { core.GetBackend().GoBack(b); });
}

void BrowserImpl::GoForward() {
  Post([](BrowserImpl& b, EngineCore& core) { core.GetBackend().GoForward(b); });
}

void BrowserImpl::Reload() {
  Post([](BrowserImpl& b, EngineCore& core) { core.GetBackend().Reload(b, false); });
}

void BrowserImpl::ReloadIgnoreCache() {
  Post([](BrowserImpl& b, EngineCore& core) { core.GetBackend().Reload(b, true); });
}

void BrowserImpl::StopLoad() {
  Post([](BrowserImpl& b, EngineCore& core) { core.GetBackend().StopLoad(b); });
}

bool BrowserImpl::IsSame(CefRefPtr<CefBrowser> that) {
  return that && that->GetIdentifier() == id_;
}

void BrowserImpl::CloseBrowser(bool forceClose) {
  Post([forceClose](BrowserImpl& b, EngineCore&) { b.CloseNow(forceClose); });
}

bool BrowserImpl::TryCloseBrowser() {
  CloseBrowser(false);
  return false;
}

void BrowserImpl::SetFocus(bool focus) {
  Post([focus](BrowserImpl& b, EngineCore& core) { core.GetBackend().SetFocus(b, focus); });
}

CefWindowHandle BrowserImpl::GetWindowHandle() {
  std::lock_guard<std::mutex> hold(lock_);
  return window_;
}

void BrowserImpl::WasHidden(bool hidden) {
  Post([hidden](BrowserImpl& b, EngineCore& core) {
    b.hiddenByClient_ = hidden;
    core.GetBackend().WasHidden(b, hidden);
    b.UpdateView();
  });
}

void BrowserImpl::SendMouse(const MouseInput& input) {
  auto core = EngineCore::Get();
  if (!core || IsClosing()) return;
  MouseInput sent = input;
  // A release ends the click its press began, double or single.
  if (input.type == MouseInput::Type::kPress) {
    lastClickCount_ = input.clickCount;
    menuAsked_ = input.button == MouseInput::kRight ? MenuAsked::kByMouse : MenuAsked::kNo;
    menuX_ = input.x;
    menuY_ = input.y;
    // A click focuses the page, as in a browser, whatever the native focus does.
    if (!pageFocused_) core->GetBackend().SetFocus(*this, true);
    pageFocused_ = true;
  }
  if (input.type == MouseInput::Type::kRelease) sent.clickCount = lastClickCount_;
  core->GetBackend().SendMouse(*this, sent);
}

void BrowserImpl::WindowFocused(bool focused) {
  auto core = EngineCore::Get();
  if (!core || IsClosing() || pageFocused_ == focused) return;
  pageFocused_ = focused;
  core->GetBackend().SetFocus(*this, focused);
}

void BrowserImpl::SendKey(const KeyInput& input) {
  if (input.type == KeyInput::Type::kRawDown) {
    // The menu key's press lets one menu through; a later key's press takes that back, or a
    // page that stopped the key's menu could show one whenever it likes.
    const bool menuKey = input.windowsKeyCode == VK_APPS ||
                         (input.windowsKeyCode == VK_F10 && input.modifiers == MouseInput::kShift);
    if (menuKey) {
      menuAsked_ = MenuAsked::kByKey;
    } else if (menuAsked_ == MenuAsked::kByKey) {
      menuAsked_ = MenuAsked::kNo;
    }
  }
  auto core = EngineCore::Get();
  if (core && !IsClosing()) core->GetBackend().SendKey(*this, input);
}

void BrowserImpl::SendComposition(const CompositionInput& input) {
  auto core = EngineCore::Get();
  if (core && !IsClosing()) core->GetBackend().SendComposition(*this, input);
}

void BrowserImpl::NotifyCursor(const std::string& css) {
  cursor_ = css;
  // The pointer may rest over the window: the new cursor shows without waiting for a move.
  HWND window = GetWindowHandle();
  POINT at = {};
  if (window && GetCursorPos(&at) && WindowFromPoint(at) == window) ShowPageCursor();
}

void BrowserImpl::NotifyCaret(int x, int y, int height) {
  caretX_ = x;
  caretY_ = y;
  caretHeight_ = height;
  HWND window = GetWindowHandle();
  if (window && GetFocus() == window) PlaceIme();
}

void BrowserImpl::PlaceIme() {
  if (HWND window = GetWindowHandle()) PlaceImeWindows(window, caretX_, caretY_, caretHeight_);
}

void BrowserImpl::ShowPageCursor() {
  const wchar_t* name = SystemCursorName(cursor_);
  SetCursor(name ? LoadCursorW(nullptr, name) : nullptr);
}

void BrowserImpl::NotifyContextMenuAsked(const CefContextMenuParams::Data& params) {
  const bool atClick = std::abs(params.x - menuX_) <= 1 && std::abs(params.y - menuY_) <= 1;
  if (IsClosing() || menuAsked_ == MenuAsked::kNo ||
      (menuAsked_ == MenuAsked::kByMouse && !atClick)) {
    return;
  }
  menuAsked_ = MenuAsked::kNo;
  RunContextMenu(*this, params);
}

void BrowserImpl::UpdateView() {
  auto core = EngineCore::Get();
  HWND window = GetWindowHandle();
  if (!core || !window || IsClosing()) return;
  RECT client = {};
  GetClientRect(window, &client);
  const bool visible =
      IsWindowVisible(window) && !hiddenByClient_ && client.right > 0 && client.bottom > 0;
  if (client.right == viewWidth_ && client.bottom == viewHeight_ && visible == viewVisible_) {
    return;
  }
  viewWidth_ = client.right;
  viewHeight_ = client.bottom;
  viewVisible_ = visible;
  core->GetBackend().ShowView(*this, viewWidth_, viewHeight_, visible);
}

void BrowserImpl::SetAudioMuted(bool mute) {
  {
    std::lock_guard<std::mutex> hold(lock_);
    muted_ = mute;
  }
  Post([mute](BrowserImpl& b, EngineCore& core) { core.GetBackend().SetAudioMuted(b, mute); });
}

bool BrowserImpl::IsAudioMuted() {
  std::lock_guard<std::mutex> hold(lock_);
  return muted_;
}

void BrowserImpl::ShowDevTools(const CefWindowInfo& windowInfo, CefRefPtr<CefClient> client,
                               const CefBrowserSettings&, const CefPoint&) {
  Post([windowInfo, client](BrowserImpl& b, EngineCore& core) {
    CefRefPtr<CefBrowser> open = b.DevTools();
    if (open && core.FindBrowser(open->GetIdentifier())) return;
    CefRefPtr<BrowserImpl> tools =
        new BrowserImpl(core.NextBrowserId(), client, windowInfo, core.NextFrameId());
    b.SetDevTools(tools.get());
    tools->Create(std::string());
    core.GetBackend().LoadDevTools(b, *tools);
  });
}

void BrowserImpl::CloseDevTools() {
  Post([](BrowserImpl& b, EngineCore&) {
    if (CefRefPtr<CefBrowser> tools = b.DevTools()) tools->GetHost()->CloseBrowser(true);
    b.SetDevTools(nullptr);
  });
}

bool BrowserImpl::HasDevTools() {
  auto core = EngineCore::Get();
  CefRefPtr<CefBrowser> tools = DevTools();
  return core && tools && core->FindBrowser(tools->GetIdentifier());
}

CefRefPtr<CefBrowser> BrowserImpl::DevTools() {
  std::lock_guard<std::mutex> hold(lock_);
  return devTools_;
}

void BrowserImpl::SetDevTools(CefRefPtr<CefBrowser> tools) {
  std::lock_guard<std::mutex> hold(lock_);
  devTools_ = tools;
}

bool BrowserImpl::MakeWindow() {
  RegisterBrowserWindowClass();
  HWND window = CreateWindowExW(
      windowInfo_.ex_style | WS_EX_NOPARENTNOTIFY, kWindowClass, windowInfo_.window_name.c_str(),
      windowInfo_.style, windowInfo_.x, windowInfo_.y, windowInfo_.width, windowInfo_.height,
      windowInfo_.parent_window, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!window) return false;
  SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  std::lock_guard<std::mutex> hold(lock_);
  window_ = window;
  return true;
}

void BrowserImpl::Create(const std::string& url) {
  auto core = EngineCore::Get();
  if (!core || !MakeWindow()) return;
  core->AddBrowser(this);
  CefRefPtr<BrowserImpl> self = this;
  core->RendererThread().Post([core, self] { core->Renderer().BrowserCreated(self.get()); });
  if (auto lifeSpan = client_->GetLifeSpanHandler()) lifeSpan->OnAfterCreated(this);
  core->GetBackend().CreatePage(*this, url);
  UpdateView();
}

void BrowserImpl::CloseNow(bool force) {
  {
    std::lock_guard<std::mutex> hold(lock_);
    if (closing_) return;
    closing_ = true;
  }
  auto lifeSpan = client_->GetLifeSpanHandler();
  const bool clientCloses = lifeSpan && lifeSpan->DoClose(this);
  // Without force, a client that answered DoClose with true closes the window itself.
  if (clientCloses && !force && GetWindowHandle()) return;
  FinishClose();
}

void BrowserImpl::WindowDestroyed() {
  {
    std::lock_guard<std::mutex> hold(lock_);
    window_ = nullptr;
    closing_ = true;
  }
  FinishClose();
}

void BrowserImpl::FinishClose() {
  HWND window;
  {
    std::lock_guard<std::mutex> hold(lock_);
    if (closed_) return;
    closed_ = closing_ = true;
    window = window_;
    window_ = nullptr;
  }
  auto core = EngineCore::Get();
  if (!core) return;
  CefRefPtr<BrowserImpl> self = this;
  core->GetBackend().ClosePage(*this);
  if (CefRefPtr<CefBrowser> tools = DevTools()) tools->GetHost()->CloseBrowser(true);
  SetDevTools(nullptr);
  if (window) {
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    DestroyWindow(window);
  }
  core->RendererThread().Post([core, self] {
    if (CefRefPtr<CefV8Context> context = self->MainContext()) {
      core->Renderer().ContextReleased(context);
      self->SetMainContext(nullptr);
    }
    core->Renderer().BrowserDestroyed(self.get());
  });
  if (auto lifeSpan = client_->GetLifeSpanHandler()) lifeSpan->OnBeforeClose(this);
  core->RemoveBrowser(id_);
}

CefRefPtr<CefV8Context> BrowserImpl::MainContext() {
  std::lock_guard<std::mutex> hold(lock_);
  return mainContext_;
}

void BrowserImpl::SetMainContext(CefRefPtr<CefV8Context> context) {
  std::lock_guard<std::mutex> hold(lock_);
  mainContext_ = context;
}

bool BrowserImpl::NotifyBeforeBrowse(CefRefPtr<CefFrame> frame, CefRefPtr<CefRequest> request,
                                     bool userGesture, bool isRedirect) {
  auto handler = client_->GetRequestHandler();
  if (!handler) return false;
  request->SetReadOnly(true);
  return handler->OnBeforeBrowse(this, frame, request, userGesture, isRedirect);
}

void BrowserImpl::NotifyLoadingState(bool isLoading, bool canGoBack, bool canGoForward) {
  {
    std::lock_guard<std::mutex> hold(lock_);
    loading_ = isLoading;
    canGoBack_ = canGoBack;
    canGoForward_ = canGoForward;
  }
  if (auto handler = client_->GetLoadHandler()) {
    handler->OnLoadingStateChange(this, isLoading, canGoBack, canGoForward);
  }
}

void BrowserImpl::NotifyAddress(CefRefPtr<FrameImpl> frame, const CefString& url) {
  frame->SetURL(url);
  if (auto handler = client_->GetDisplayHandler()) handler->OnAddressChange(this, frame.get(), url);
}

void BrowserImpl::NotifyLoadStart(CefRefPtr<CefFrame> frame, cef_transition_type_t transition) {
  {
    std::lock_guard<std::mutex> hold(lock_);
    hasDocument_ = true;
  }
  if (auto handler = client_->GetLoadHandler()) handler->OnLoadStart(this, frame, transition);
}

void BrowserImpl::NotifyLoadEnd(CefRefPtr<CefFrame> frame, int httpStatusCode) {
  if (auto handler = client_->GetLoadHandler()) handler->OnLoadEnd(this, frame, httpStatusCode);
}

void BrowserImpl::NotifyLoadError(CefRefPtr<CefFrame> frame, cef_errorcode_t code,
                                  const CefString& text, const CefString& failedUrl) {
  if (auto handler = client_->GetLoadHandler()) {
    handler->OnLoadError(this, frame, code, text, failedUrl);
  }
}

void BrowserImpl::NotifyTitle(const CefString& title) {
  if (auto handler = client_->GetDisplayHandler()) handler->OnTitleChange(this, title);
}

void BrowserImpl::NotifyConsole(cef_log_severity_t level, const CefString& message,
                                const CefString& source, int line) {
  if (auto handler = client_->GetDisplayHandler()) {
    handler->OnConsoleMessage(this, level, message, source, line);
  }
}

void BrowserImpl::NotifyBeforePopup(CefRefPtr<CefFrame> frame, const CefString& targetUrl,
                                    const CefString& targetName,
                                    cef_window_open_disposition_t disposition, bool userGesture,
                                    const CefPopupFeatures& features) {
  auto handler = client_->GetLifeSpanHandler();
  if (!handler) return;
  CefWindowInfo windowInfo;
  CefRefPtr<CefClient> client = client_;
  CefBrowserSettings settings;
  CefRefPtr<CefDictionaryValue> extraInfo;
  bool noJavascriptAccess = false;
  handler->OnBeforePopup(this, frame, targetUrl, targetName, disposition, userGesture, features,
                         windowInfo, client, settings, extraInfo, &noJavascriptAccess);
}

void BrowserImpl::NotifyJsDialog(const CefString& originUrl, cef_jsdialog_type_t type,
                                 const CefString& message, const CefString& defaultPrompt,
                                 std::function<void(bool, const CefString&)> answer) {
  CefRefPtr<CefJSDialogCallback> callback = new CefJSDialogCallback(std::move(answer));
  auto handler = client_->GetJSDialogHandler();
  bool suppress = false;
  if (handler &&
      handler->OnJSDialog(this, originUrl, type, message, defaultPrompt, callback, suppress)) {
    return;
  }
  // Suppressed, or left to the engine's own dialog, which this engine cannot show: the
  // dialog is dismissed as cancelled.
  callback->Continue(false, CefString());
}

void BrowserImpl::NotifyRenderProcessTerminated(cef_termination_status_t status) {
  auto core = EngineCore::Get();
  if (!core) return;
  CefRefPtr<BrowserImpl> self = this;
  core->RendererThread().Post([core, self] {
    if (CefRefPtr<CefV8Context> context = self->MainContext()) {
      core->Renderer().ContextReleased(context);
      self->SetMainContext(nullptr);
    }
  });
  NotifyLoadingState(false, CanGoBack(), CanGoForward());
  if (auto handler = client_->GetRequestHandler()) handler->OnRenderProcessTerminated(this, status);
}

void BrowserImpl::NotifyContextMenu(CefRefPtr<CefContextMenuParams> params,
                                    CefRefPtr<CefMenuModel> model) {
  if (auto handler = client_->GetContextMenuHandler()) {
    handler->OnBeforeContextMenu(this, mainFrame_.get(), params, model);
  }
}

bool BrowserImpl::NotifyProcessMessage(CefRefPtr<CefFrame> frame,
                                       CefRefPtr<CefProcessMessage> message) {
  return client_->OnProcessMessageReceived(this, frame, PID_RENDERER, message);
}

}  // namespace engine

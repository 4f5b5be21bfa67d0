#include "browser_host/cef_control_base.h"

#include <chrono>
#include <utility>

#include "runtime/string_util.h"
#include "ui/render/i_render_context.h"

namespace vok_comp {

namespace event = browser_event;

namespace {

constexpr wchar_t kCrashMessage[] = L"This page stopped working.";
constexpr ui::UiColor kCrashBackground = 0xFFF4F4F4;
constexpr ui::UiColor kCrashText = 0xFF404040;
constexpr int kCrashMargin = 16;

// The address up to its fragment, compared as the engine compares its strings.
CefString WithoutFragment(const CefString& url) {
  const std::string text = url.ToString();
  return CefString(text.substr(0, text.find('#')));
}

int64_t SteadyMilliseconds() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace

CefControlBase::CefControlBase() {
  EventTable& events = Events();
  events.SetReaction<event::UpdateWindowPos>([this] { UpdateWindowPos(); });
  events.SetReaction<event::AddressChange>(
      [this](CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame, const CefString& url) {
        OnAddressChange(frame, url);
      });
  events.SetReaction<event::RenderProcessTerminated>(
      [this](CefRefPtr<CefBrowser> browser, cef_termination_status_t) {
        OnRenderProcessTerminated(browser);
      });
  events.SetReaction<event::ExecuteCppFunc>([this](const CefString& name, const CefString& params,
                                                   int callbackId, CefRefPtr<CefBrowser> browser,
                                                   CefRefPtr<CefFrame> frame) {
    return OnExecuteCppFunc(name, params, callbackId, browser, frame);
  });
}

// The callbacks, the address, the bridge and the handler go in that order; the concrete
// control has closed the browser and detached from the handler before.
CefControlBase::~CefControlBase() {
  Events().Clear();
  mainUrl.clear();
  bridge.reset();
  browserHandler = nullptr;
}

CefRefPtr<CefBrowser> CefControlBase::GetBrowser() const {
  return browserHandler ? browserHandler->GetBrowser() : nullptr;
}

CefRefPtr<CefBrowserHost> CefControlBase::GetBrowserHost() const {
  return browserHandler ? browserHandler->GetBrowserHost() : nullptr;
}

void CefControlBase::AfterBrowserCreated(std::function<void(CefControlBase&)> task) {
  if (!browserHandler) return;
  // The returned unregistering closure is not kept: the task dies with the control anyway.
  browserHandler->AddAfterCreatedTask(MakeWeak([this, task] { task(*this); }));
}

void CefControlBase::LoadURL(const CefString& url) {
  if (CefRefPtr<CefBrowser> browser = GetBrowser()) {
    ClearCrashMessage();
    browser->GetMainFrame()->LoadURL(url);
    return;
  }
  AfterBrowserCreated([url](CefControlBase& self) { self.LoadURL(url); });
}

void CefControlBase::GoBack() {
  if (CefRefPtr<CefBrowser> browser = GetBrowser()) browser->GoBack();
}

void CefControlBase::GoForward() {
  if (CefRefPtr<CefBrowser> browser = GetBrowser()) browser->GoForward();
}

void CefControlBase::Reload() {
  CefRefPtr<CefBrowser> browser = GetBrowser();
  if (!browser) return;
  ClearCrashMessage();
  browser->Reload();
}

void CefControlBase::ClearCrashMessage() {
  if (crashMessage_.empty()) return;
  crashMessage_.clear();
  ShowPage(true);
  Invalidate();
}

void CefControlBase::SetAudioMuted(bool mute) {
  if (CefRefPtr<CefBrowserHost> host = GetBrowserHost()) host->SetAudioMuted(mute);
}

bool CefControlBase::RegisterHostFunction(const std::wstring& name, HostFunction function,
                                          bool forAllBrowsers) {
  CefRefPtr<CefBrowser> browser = GetBrowser();
  if (!browser || !bridge) return false;
  return bridge->RegisterHostFunction(CefString(kbase::WideToUtf8(name)), std::move(function),
                                      forAllBrowsers ? nullptr : browser);
}

void CefControlBase::CloseDevTools() {
  if (!devToolsOpen) return;
  // The page may have closed its browser since: there is no host to tell then.
  if (CefRefPtr<CefBrowserHost> host = GetBrowserHost()) host->CloseDevTools();
  devToolsOpen = false;
  NotifyDevToolsVisible(false);
}

void CefControlBase::NotifyDevToolsVisible(bool visible) {
  Events().Raise<event::DevToolsVisibleChange>(visible);
}

void CefControlBase::PaintText(ui::IRenderContext& context) {
  ui::Control::PaintText(context);
  if (crashMessage_.empty()) return;
  // The page's place is empty without it: the message brings its own backdrop.
  ui::UiRect rect = GetPosition();
  context.FillColor(rect, kCrashBackground);
  rect = ui::UiRect{rect.left + kCrashMargin, rect.top + kCrashMargin, rect.right - kCrashMargin,
                    rect.bottom - kCrashMargin};
  context.PaintText(rect, crashMessage_, kCrashText, std::wstring(),
                    ui::kTextCenter | ui::kTextVCenter);
}

void CefControlBase::UpdateWindowPos() {
  SetPosition(GetPosition(true));
}

void CefControlBase::OnAddressChange(CefRefPtr<CefFrame> frame, const CefString& url) {
  Events().Raise<event::UrlChange>(url.ToWString());
  if (!frame || !frame->IsMain()) return;
  // The notified address, not the frame's address when this task runs: after a quick
  // redirect the frame is already further on, and the old and new pairs would be wrong.
  const CefString old = mainUrl;
  mainUrl = url;
  if (WithoutFragment(old) != WithoutFragment(mainUrl)) {
    Events().Raise<event::MainUrlChange>(old, mainUrl);
  }
}

// A page whose renderer died shows nothing: it is loaded again, unless that keeps
// happening, when a message takes its place.
void CefControlBase::OnRenderProcessTerminated(CefRefPtr<CefBrowser> browser) {
  CefRefPtr<CefBrowser> current = GetBrowser();
  if (!browser || !current || !current->IsSame(browser)) return;
  if (crashPolicy_.MayReload(SteadyMilliseconds())) {
    browser->Reload();
    return;
  }
  crashMessage_ = kCrashMessage;
  ShowPage(false);
  Invalidate();
}

bool CefControlBase::OnExecuteCppFunc(const CefString& functionName, const CefString& params,
                                      int callbackId, CefRefPtr<CefBrowser> browser,
                                      CefRefPtr<CefFrame> frame) {
  // Set before the browser is asked for and never replaced, so reading it here is safe.
  return bridge ? bridge->ExecuteHostFunction(functionName, params, callbackId, browser, frame)
                : false;
}

}  // namespace vok_comp

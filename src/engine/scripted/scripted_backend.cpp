#include "engine/scripted/scripted_backend.h"

#include <condition_variable>

#include "engine/cef/v8_object.h"
#include "engine/core/browser_impl.h"
#include "engine/core/engine_core.h"
#include "engine/scripted/json_v8.h"

namespace engine {
namespace {

constexpr unsigned kWaitMs = 10000;

std::string ErrorText(cef_errorcode_t code) {
  return "net::ERR_" + std::to_string(-static_cast<int>(code));
}

}  // namespace

void ScriptedBackend::SetPage(const std::string& url, const Page& page) {
  std::lock_guard<std::mutex> hold(lock_);
  pages_[url] = page;
}

std::vector<std::string> ScriptedBackend::Requests() const {
  std::lock_guard<std::mutex> hold(lock_);
  return requests_;
}

int ScriptedBackend::RequestsFor(const std::string& url) const {
  std::lock_guard<std::mutex> hold(lock_);
  int count = 0;
  for (const std::string& r : requests_) count += r == url;
  return count;
}

StartOptions ScriptedBackend::Options() const {
  std::lock_guard<std::mutex> hold(lock_);
  return options_;
}

std::vector<std::string> ScriptedBackend::ExecutedScripts() const {
  std::lock_guard<std::mutex> hold(lock_);
  return scripts_;
}

bool ScriptedBackend::IsMuted(int browserId) const {
  std::lock_guard<std::mutex> hold(lock_);
  auto it = muted_.find(browserId);
  return it != muted_.end() && it->second;
}

bool ScriptedBackend::OnUi(int browserId, std::function<void(BrowserImpl&)> work) {
  auto core = EngineCore::Get();
  if (!core) return false;
  bool found = false;
  const bool ran = core->UiThread().RunAndWait(
      [&] {
        CefRefPtr<BrowserImpl> browser = core->FindBrowser(browserId);
        if (!browser || browser->IsClosing()) return;
        found = true;
        work(*browser);
      },
      kWaitMs);
  return ran && found;
}

bool ScriptedBackend::Settle() {
  auto core = EngineCore::Get();
  if (!core) return false;
  // Twice, because each thread may have posted to the other.
  for (int i = 0; i < 2; ++i) {
    if (!core->UiThread().RunAndWait([] {}, kWaitMs)) return false;
    if (!core->RendererThread().RunAndWait([] {}, kWaitMs)) return false;
  }
  return true;
}

bool ScriptedBackend::Navigate(int browserId, const std::string& url, cef_transition_type_t cause,
                               bool userGesture) {
  return OnUi(browserId, [&](BrowserImpl& b) { RunNavigation(b, url, cause, userGesture, -1); });
}

bool ScriptedBackend::NavigateInDocument(int browserId, const std::string& url) {
  return OnUi(browserId, [&](BrowserImpl& b) { b.NotifyAddress(b.MainFrame(), url); });
}

bool ScriptedBackend::SetTitle(int browserId, const std::string& title) {
  return OnUi(browserId, [&](BrowserImpl& b) { b.NotifyTitle(title); });
}

bool ScriptedBackend::OpenPopup(int browserId, const std::string& url, const std::string& name,
                                bool userGesture, cef_window_open_disposition_t disposition) {
  return OnUi(browserId, [&](BrowserImpl& b) {
    b.NotifyBeforePopup(b.MainFrame().get(), url, name, disposition, userGesture,
                        CefPopupFeatures());
  });
}

ScriptedBackend::DialogResult ScriptedBackend::ShowDialog(int browserId, cef_jsdialog_type_t type,
                                                          const std::string& message,
                                                          const std::string& defaultText,
                                                          unsigned waitMs) {
  struct Answer {
    std::mutex lock;
    std::condition_variable cv;
    DialogResult result;
  };
  auto answer = std::make_shared<Answer>();
  const bool shown = OnUi(browserId, [&](BrowserImpl& b) {
    b.NotifyJsDialog(b.MainFrame()->GetURL(), type, message, defaultText,
                     [answer](bool accepted, const CefString& input) {
                       std::lock_guard<std::mutex> hold(answer->lock);
                       answer->result = DialogResult{true, accepted, input.ToString()};
                       answer->cv.notify_all();
                     });
  });
  if (!shown) return DialogResult();
  std::unique_lock<std::mutex> hold(answer->lock);
  answer->cv.wait_for(hold, std::chrono::milliseconds(waitMs),
                      [&] { return answer->result.answered; });
  return answer->result;
}

bool ScriptedBackend::Console(int browserId, cef_log_severity_t level, const std::string& message) {
  return OnUi(browserId,
              [&](BrowserImpl& b) { b.NotifyConsole(level, message, b.MainFrame()->GetURL(), 1); });
}

bool ScriptedBackend::Crash(int browserId, cef_termination_status_t status) {
  return OnUi(browserId, [&](BrowserImpl& b) { b.NotifyRenderProcessTerminated(status); });
}

std::vector<int> ScriptedBackend::ContextMenu(int browserId,
                                              const CefContextMenuParams::Data& params,
                                              const std::vector<int>& commandIds) {
  CefRefPtr<CefMenuModel> model = CefMenuModel::Create();
  for (int id : commandIds) model->AddItem(id, std::to_string(id));
  OnUi(browserId,
       [&](BrowserImpl& b) { b.NotifyContextMenu(new CefContextMenuParams(params), model); });
  std::vector<int> left;
  for (size_t i = 0; i < model->GetCount(); ++i) left.push_back(model->GetCommandIdAt(i));
  return left;
}

NativeCallResult ScriptedBackend::CallNative(int browserId, const std::string& functionName,
                                             const CefV8ValueList& arguments) {
  NativeCallResult result;
  result.exception = "no document";
  RunInPage(browserId, [&](CefRefPtr<CefV8Context> context) {
    auto core = EngineCore::Get();
    if (core) result = core->Renderer().CallNative(context, functionName, arguments);
  });
  return result;
}

bool ScriptedBackend::RunInPage(int browserId, std::function<void(CefRefPtr<CefV8Context>)> work) {
  auto core = EngineCore::Get();
  if (!core || !Settle()) return false;
  CefRefPtr<BrowserImpl> browser = core->FindBrowser(browserId);
  if (!browser) return false;
  bool ran = false;
  core->RendererThread().RunAndWait(
      [&] {
        CefRefPtr<CefV8Context> context = browser->MainContext();
        if (!context) return;
        ran = true;
        context->Enter();
        work(context);
        context->Exit();
      },
      kWaitMs);
  return ran;
}

bool ScriptedBackend::Start(const StartOptions& options) {
  std::lock_guard<std::mutex> hold(lock_);
  options_ = options;
  return true;
}

void ScriptedBackend::Stop() {}

void ScriptedBackend::CreatePage(BrowserImpl& browser, const std::string& url) {
  history_[browser.GetIdentifier()] = History();
  if (!url.empty()) RunNavigation(browser, url, TT_EXPLICIT, false, -1);
}

void ScriptedBackend::ClosePage(BrowserImpl& browser) {
  history_.erase(browser.GetIdentifier());
}

void ScriptedBackend::LoadUrl(BrowserImpl& browser, const std::string& url) {
  RunNavigation(browser, url, TT_EXPLICIT, false, -1);
}

void ScriptedBackend::GoBack(BrowserImpl& browser) {
  History& h = history_[browser.GetIdentifier()];
  if (h.index <= 0) return;
  RunNavigation(browser, h.entries[h.index - 1],
                static_cast<cef_transition_type_t>(TT_EXPLICIT | TT_FORWARD_BACK_FLAG), false,
                h.index - 1);
}

void ScriptedBackend::GoForward(BrowserImpl& browser) {
  History& h = history_[browser.GetIdentifier()];
  if (h.index + 1 >= static_cast<int>(h.entries.size())) return;
  RunNavigation(browser, h.entries[h.index + 1],
                static_cast<cef_transition_type_t>(TT_EXPLICIT | TT_FORWARD_BACK_FLAG), false,
                h.index + 1);
}

void ScriptedBackend::Reload(BrowserImpl& browser, bool) {
  History& h = history_[browser.GetIdentifier()];
  if (h.index < 0) return;
  RunNavigation(browser, h.entries[h.index], TT_RELOAD, false, h.index);
}

void ScriptedBackend::ExecuteJavaScript(BrowserImpl&, const std::string& code) {
  std::lock_guard<std::mutex> hold(lock_);
  scripts_.push_back(code);
}

void ScriptedBackend::SetAudioMuted(BrowserImpl& browser, bool mute) {
  std::lock_guard<std::mutex> hold(lock_);
  muted_[browser.GetIdentifier()] = mute;
}

std::string ScriptedBackend::DevToolsUrl(BrowserImpl& browser) {
  return "devtools://devtools/inspector.html?browser=" + std::to_string(browser.GetIdentifier());
}

ScriptedBackend::Page ScriptedBackend::Serve(const std::string& url) {
  std::lock_guard<std::mutex> hold(lock_);
  requests_.push_back(url);
  auto it = pages_.find(url);
  return it == pages_.end() ? Page() : it->second;
}

// The engine's order: approval (again for each redirect), loading, the new address, load
// start, title, load end, not loading. A cancelled navigation leaves the old page as it was.
void ScriptedBackend::RunNavigation(BrowserImpl& browser, const std::string& url,
                                    cef_transition_type_t cause, bool userGesture,
                                    int historyIndex) {
  CefRefPtr<FrameImpl> frame = browser.MainFrame();
  History& h = history_[browser.GetIdentifier()];
  const bool couldGoBack = h.index > 0;
  const bool couldGoForward = h.index + 1 < static_cast<int>(h.entries.size());
  std::string address = url;
  bool redirect = false;
  bool loading = false;
  for (int hop = 0; hop < 20; ++hop) {
    CefRefPtr<CefRequest> request = CefRequest::Create();
    request->SetURL(address);
    request->SetTransitionType(
        redirect ? static_cast<cef_transition_type_t>(cause | TT_SERVER_REDIRECT_FLAG) : cause);
    if (browser.NotifyBeforeBrowse(frame.get(), request, userGesture, redirect)) {
      if (loading) browser.NotifyLoadingState(false, couldGoBack, couldGoForward);
      return;
    }
    if (!loading) browser.NotifyLoadingState(loading = true, couldGoBack, couldGoForward);
    const Page page = Serve(address);
    if (!page.redirectTo.empty()) {
      address = page.redirectTo;
      redirect = true;
      continue;
    }
    if (page.error != ERR_NONE) {
      browser.NotifyLoadError(frame.get(), page.error, ErrorText(page.error), address);
      browser.NotifyLoadingState(false, couldGoBack, couldGoForward);
      return;
    }
    Commit(browser, address, historyIndex);
    browser.NotifyLoadStart(frame.get(), cause);
    browser.NotifyTitle(page.title.empty() ? address : page.title);
    browser.NotifyLoadEnd(frame.get(), page.status);
    browser.NotifyLoadingState(false, h.index > 0,
                               h.index + 1 < static_cast<int>(h.entries.size()));
    return;
  }
  browser.NotifyLoadError(frame.get(), ERR_TOO_MANY_REDIRECTS, ErrorText(ERR_TOO_MANY_REDIRECTS),
                          address);
  browser.NotifyLoadingState(false, couldGoBack, couldGoForward);
}

void ScriptedBackend::Commit(BrowserImpl& browser, const std::string& url, int historyIndex) {
  History& h = history_[browser.GetIdentifier()];
  if (historyIndex >= 0) {
    h.index = historyIndex;
  } else {
    h.entries.resize(h.index + 1);
    h.entries.push_back(url);
    h.index = static_cast<int>(h.entries.size()) - 1;
  }
  NewDocument(browser);
  browser.NotifyAddress(browser.MainFrame(), url);
}

// The old document's context goes and the new one's comes, on the renderer thread.
void ScriptedBackend::NewDocument(BrowserImpl& browser) {
  auto core = EngineCore::Get();
  CefRefPtr<BrowserImpl> self = &browser;
  core->RendererThread().Post([this, core, self] {
    if (CefRefPtr<CefV8Context> old = self->MainContext()) core->Renderer().ContextReleased(old);
    CefRefPtr<CefV8Value> global = CefV8Value::CreateObject(nullptr, nullptr);
    CefRefPtr<CefV8Value> json = CefV8Value::CreateObject(nullptr, nullptr);
    json->SetValue("parse", MakeJsonParseFunction(), V8_PROPERTY_ATTRIBUTE_NONE);
    global->SetValue("JSON", json, V8_PROPERTY_ATTRIBUTE_NONE);
    CefRefPtr<CefV8Context> context = new CefV8Context(std::make_shared<V8ContextData>(
        nextContextId_++, self->GetIdentifier(), self->MainFrame().get(), global));
    self->SetMainContext(context);
    core->Renderer().ContextCreated(context);
  });
}

}  // namespace engine

#include "engine/devtools/page_tracker.h"

#include "engine/core/browser_impl.h"
#include "engine/core/engine_core.h"
#include "engine/devtools/devtools_relay.h"
#include "engine/devtools/focus_script.h"
#include "engine/devtools/input_script.h"
#include "engine/devtools/mute_script.h"
#include "engine/devtools/page_script.h"

namespace engine {

PageTracker::PageTracker(std::shared_ptr<DevToolsConnection> connection,
                         std::shared_ptr<SessionTable> sessions)
    : connection_(std::move(connection)), sessions_(std::move(sessions)), events_(*this) {}

void PageTracker::UseBrowserPort(int port, bool toolsUsePort) {
  port_ = port;
  toolsUsePort_ = toolsUsePort;
}

// ---- commands ----

void PageTracker::CreatePage(BrowserImpl& browser, const std::string& url) {
  auto core = EngineCore::Get();
  const int id = browser.GetIdentifier();
  DevToolsPage& page = pages_[id];
  page.browserId = id;
  if (!url.empty()) page.waiting.push_back([this, id, url] { Navigate(id, url); });
  ++pendingCreations_;
  auto self = shared_from_this();
  // The page script needs the extensions, which live on the renderer side.
  core->RendererThread().Post([self, core, id] {
    const std::string script = PageScript(core->Renderer().Extensions());
    core->UiThread().Post([self, id, script] { self->MakeTarget(id, script); });
  });
}

void PageTracker::ClosePage(BrowserImpl& browser) {
  CloseRelay(browser.GetIdentifier());
  auto it = pages_.find(browser.GetIdentifier());
  if (it == pages_.end()) return;
  if (!it->second.targetId.empty()) {
    connection_->Send("Target.closeTarget", {{"targetId", it->second.targetId}}, "");
  }
  sessions_->Remove(it->second.sessionId);
  pages_.erase(it);
}

void PageTracker::LoadUrl(BrowserImpl& browser, const std::string& url) {
  const int id = browser.GetIdentifier();
  WhenReady(id, [this, id, url] { Navigate(id, url); });
}

void PageTracker::GoBy(BrowserImpl& browser, int step) {
  const int id = browser.GetIdentifier();
  WhenReady(id, [this, id, step] {
    DevToolsPage* page = Find(id);
    if (!page) return;
    auto connection = connection_;
    const std::string session = page->sessionId;
    connection_->Send("Page.getNavigationHistory", json::object(), session,
                      [connection, session, step](const json& result, bool failed) {
                        if (failed) return;
                        Guarded([&] {
                          const json& entries = result.at("entries");
                          const int target = result.at("currentIndex").get<int>() + step;
                          if (target < 0 || target >= static_cast<int>(entries.size())) return;
                          connection->Send("Page.navigateToHistoryEntry",
                                           {{"entryId", entries[target].at("id")}}, session);
                        });
                      });
  });
}

void PageTracker::InSession(BrowserImpl& browser, const std::string& method, const json& params) {
  const int id = browser.GetIdentifier();
  WhenReady(id, [this, id, method, params] {
    if (DevToolsPage* page = Find(id)) connection_->Send(method, params, page->sessionId);
  });
}

void PageTracker::ShowView(BrowserImpl& browser, int width, int height, bool visible) {
  const int id = browser.GetIdentifier();
  DevToolsPage* page = Find(id);
  if (!page) return;
  page->viewWidth = width;
  page->viewHeight = height;
  page->viewVisible = visible;
  WhenReady(id, [this, id] { ApplyView(id); });
}

// The page sends frames of the window's size while the window shows it.
void PageTracker::ApplyView(int id) {
  DevToolsPage* page = Find(id);
  if (!page) return;
  if (!page->viewVisible) {
    if (page->casting) connection_->Send("Page.stopScreencast", json::object(), page->sessionId);
    page->casting = false;
    return;
  }
  connection_->Send("Emulation.setDeviceMetricsOverride",
                    {{"width", page->viewWidth},
                     {"height", page->viewHeight},
                     {"deviceScaleFactor", 1},
                     {"mobile", false}},
                    page->sessionId);
  // A running screencast keeps its old frame size and sends nothing for the new one.
  if (page->casting) connection_->Send("Page.stopScreencast", json::object(), page->sessionId);
  connection_->Send("Page.startScreencast",
                    {{"format", "jpeg"},
                     {"quality", 80},
                     {"maxWidth", page->viewWidth},
                     {"maxHeight", page->viewHeight}},
                    page->sessionId);
  page->casting = true;
}

// The document shown now is muted or unmuted at once; the documents the page loads later
// start so by a script of their own.
void PageTracker::SetMuted(BrowserImpl& browser, bool mute) {
  const int id = browser.GetIdentifier();
  WhenReady(id, [this, id, mute] {
    DevToolsPage* page = Find(id);
    if (!page) return;
    if (mute != page->muted) {
      page->muted = mute;
      if (mute) {
        AddMuteScript(*page);
      } else {
        for (const std::string& script : page->muteScripts) RemoveScript(*page, script);
        page->muteScripts.clear();
      }
    }
    connection_->Send("Runtime.evaluate", {{"expression", MuteCall(mute)}}, page->sessionId);
  });
}

// Focus emulation keeps a page that is not in front acting focused; the events tell the
// page itself, once per change.
void PageTracker::SetFocus(BrowserImpl& browser, bool focus) {
  const int id = browser.GetIdentifier();
  WhenReady(id, [this, id, focus] {
    DevToolsPage* page = Find(id);
    if (!page) return;
    connection_->Send("Emulation.setFocusEmulationEnabled", {{"enabled", focus}}, page->sessionId);
    if (page->focused == focus) return;
    page->focused = focus;
    connection_->Send("Runtime.evaluate", {{"expression", FocusChangeScript(focus)}},
                      page->sessionId);
  });
}

// The page may be unmuted again before the browser answers with the script's name.
void PageTracker::AddMuteScript(DevToolsPage& page) {
  auto self = shared_from_this();
  auto core = EngineCore::Get();
  const int id = page.browserId;
  connection_->Send("Page.addScriptToEvaluateOnNewDocument", {{"source", MuteCall(true)}},
                    page.sessionId, [self, core, id](const json& result, bool failed) {
                      const std::string script =
                          failed ? std::string() : Text(result, "identifier");
                      if (script.empty()) return;
                      core->UiThread().Post([self, id, script] {
                        DevToolsPage* page = self->Find(id);
                        if (!page) return;
                        if (page->muted) {
                          page->muteScripts.push_back(script);
                        } else {
                          self->RemoveScript(*page, script);
                        }
                      });
                    });
}

void PageTracker::RemoveScript(DevToolsPage& page, const std::string& script) {
  connection_->Send("Page.removeScriptToEvaluateOnNewDocument", {{"identifier", script}},
                    page.sessionId);
}

void PageTracker::Navigate(int id, const std::string& url) {
  if (DevToolsPage* page = Find(id))
    connection_->Send("Page.navigate", {{"url", url}}, page->sessionId);
}

DevToolsPage* PageTracker::Find(int id) {
  auto it = pages_.find(id);
  return it == pages_.end() ? nullptr : &it->second;
}

DevToolsPage* PageTracker::FindBySession(const std::string& session) {
  for (auto& entry : pages_) {
    if (!session.empty() && entry.second.sessionId == session) return &entry.second;
  }
  return nullptr;
}

void PageTracker::WhenReady(int id, std::function<void()> command) {
  DevToolsPage* page = Find(id);
  if (!page) return;
  if (page->ready) {
    command();
  } else {
    page->waiting.push_back(std::move(command));
  }
}

// ---- the developer tools ----

std::string PageTracker::DevToolsUrl(BrowserImpl& browser) {
  DevToolsPage* page = Find(browser.GetIdentifier());
  return DevToolsUrlOf(page ? page->targetId : std::string());
}

// The tools without their own screencast of the page (inspector.html has one), which
// would compete with the frames of the page's window.
std::string PageTracker::DevToolsUrlOf(const std::string& target) const {
  const std::string host = "127.0.0.1:" + std::to_string(port_);
  return "http://" + host + "/devtools/devtools_app.html?ws=" + host + "/devtools/page/" + target;
}

// The tools connect to the inspected page's target, which exists once its page is ready:
// on the port, the browser's own; on the pipe, a session of the page behind a relay.
void PageTracker::LoadDevTools(BrowserImpl& inspected, BrowserImpl& tools) {
  const int id = inspected.GetIdentifier();
  const int toolsId = tools.GetIdentifier();
  WhenReady(id, [this, id, toolsId] {
    DevToolsPage* page = Find(id);
    if (!page) return;
    if (toolsUsePort_) {
      const std::string url = DevToolsUrlOf(page->targetId);
      WhenReady(toolsId, [this, toolsId, url] { Navigate(toolsId, url); });
      return;
    }
    auto self = shared_from_this();
    auto core = EngineCore::Get();
    connection_->Send(
        "Target.attachToTarget", {{"targetId", page->targetId}, {"flatten", true}}, "",
        [self, core, toolsId](const json& result, bool failed) {
          const std::string session = failed ? std::string() : Text(result, "sessionId");
          core->UiThread().Post([self, toolsId, session] { self->OpenRelay(toolsId, session); });
        });
  });
}

void PageTracker::OpenRelay(int toolsId, const std::string& session) {
  if (session.empty()) return;
  auto relay = std::make_shared<DevToolsRelay>();
  std::weak_ptr<DevToolsConnection> connection = connection_;
  if (!Find(toolsId) || !relay->Start(session, [connection](std::string&& text) {
        if (auto c = connection.lock()) c->SendText(text);
      })) {
    connection_->Send("Target.detachFromTarget", {{"sessionId", session}}, "");
    return;
  }
  connection_->AddRelay(relay);
  relays_[toolsId] = {relay, session};
  const std::string url = relay->FrontendUrl();
  WhenReady(toolsId, [this, toolsId, url] {
    DevToolsPage* tools = Find(toolsId);
    if (!tools) return;
    connection_->Send("Page.addScriptToEvaluateOnNewDocument",
                      {{"source", DevToolsRelay::FrontendScript()}}, tools->sessionId);
    Navigate(toolsId, url);
  });
}

// The tools' browser goes: so do their relay and their session of the page.
void PageTracker::CloseRelay(int toolsId) {
  auto it = relays_.find(toolsId);
  if (it == relays_.end()) return;
  std::shared_ptr<DevToolsRelay> relay = it->second.first;
  const std::string session = it->second.second;
  relays_.erase(it);
  relay->Stop();
  connection_->RemoveRelay(relay);
  connection_->Send("Target.detachFromTarget", {{"sessionId", session}}, "");
}

void PageTracker::CloseAllRelays() {
  while (!relays_.empty()) CloseRelay(relays_.begin()->first);
}

// ---- targets and sessions ----

void PageTracker::MakeTarget(int id, const std::string& script) {
  if (!Find(id)) return;
  scripts_[id] = script;
  auto self = shared_from_this();
  auto core = EngineCore::Get();
  // A window of its own: a page in a background tab of another's window sends no frames.
  connection_->Send("Target.createTarget", {{"url", "about:blank"}, {"newWindow", true}}, "",
                    [self, core, id](const json& result, bool failed) {
                      const std::string target = failed ? std::string() : Text(result, "targetId");
                      core->UiThread().Post([self, id, target] { self->TargetMade(id, target); });
                    });
}

void PageTracker::TargetMade(int id, const std::string& target) {
  --pendingCreations_;
  DevToolsPage* page = Find(id);
  if (!page || target.empty()) {
    // The page's load failed to start.
    if (page) EndPage(*page, TS_ABNORMAL_TERMINATION);
    return;
  }
  page->targetId = target;
  auto it = unclaimed_.find(target);
  if (it != unclaimed_.end()) {
    const std::string session = it->second;
    unclaimed_.erase(it);
    SetUpPage(*page, session);
  }
  if (pendingCreations_ == 0) {
    for (auto& other : unclaimed_) RefusePopup(other.second, other.first);
    unclaimed_.clear();
  }
}

// The one report of a renderer's end, whichever signal of it came first. A crashed page may
// be reloaded; a page whose target or browser is gone never comes back.
void PageTracker::EndPage(DevToolsPage& page, cef_termination_status_t status, bool forGood) {
  page.ended = page.ended || forGood;
  if (page.gone) return;
  page.gone = true;
  auto core = EngineCore::Get();
  CefRefPtr<BrowserImpl> browser = core ? core->FindBrowser(page.browserId) : nullptr;
  if (browser && !browser->IsClosing()) browser->NotifyRenderProcessTerminated(status);
}

void PageTracker::OnAttached(const json& params) {
  const std::string session = Text(params, "sessionId");
  const json& info = Member(params, "targetInfo");
  const std::string target = Text(info, "targetId");
  if (Text(info, "type") != "page") {
    connection_->Send("Runtime.runIfWaitingForDebugger", json::object(), session);
    return;
  }
  for (auto& entry : pages_) {
    if (entry.second.targetId == target) {
      // A page has one session of the engine's; another one is the developer tools'.
      if (entry.second.sessionId.empty() || entry.second.sessionId == session)
        SetUpPage(entry.second, session);
      return;
    }
  }
  if (!Text(info, "openerId").empty() || pendingCreations_ == 0) {
    RefusePopup(session, target);
  } else {
    unclaimed_[target] = session;
  }
}

void PageTracker::SetUpPage(DevToolsPage& page, const std::string& session) {
  page.sessionId = session;
  sessions_->Add(session, {page.browserId, page.targetId});
  const json documents = {
      {"urlPattern", "*"}, {"resourceType", "Document"}, {"requestStage", "Request"}};
  const json natives = {{"urlPattern", NativeCallPattern()}, {"requestStage", "Request"}};
  connection_->Send("Page.enable", json::object(), session);
  connection_->Send("Runtime.enable", json::object(), session);
  connection_->Send("Network.enable", json::object(), session);
  connection_->Send("Fetch.enable", {{"patterns", json::array({documents, natives})}}, session);
  connection_->Send("Runtime.addBinding", {{"name", std::string(kNotifyBinding)}}, session);
  connection_->Send("Runtime.addBinding", {{"name", std::string(kInputBinding)}}, session);
  connection_->Send("Page.addScriptToEvaluateOnNewDocument",
                    {{"source", scripts_[page.browserId]}, {"runImmediately", true}}, session);
  connection_->Send("Page.addScriptToEvaluateOnNewDocument",
                    {{"source", InputScript()}, {"runImmediately", true}}, session);
  // The first navigation waits until the blank page the target starts with has been
  // committed, or that commit would cancel it.
  auto self = shared_from_this();
  auto core = EngineCore::Get();
  const int id = page.browserId;
  connection_->Send("Runtime.runIfWaitingForDebugger", json::object(), session,
                    [self, core, id](const json&, bool) {
                      core->UiThread().Post([self, id] { self->FirstLoadSettled(id); });
                    });
}

void PageTracker::FirstLoadSettled(int id) {
  DevToolsPage* page = Find(id);
  if (!page || page->ready) return;
  auto self = shared_from_this();
  auto core = EngineCore::Get();
  connection_->Send("Page.getNavigationHistory", json::object(), page->sessionId,
                    [self, core, id](const json&, bool) {
                      core->UiThread().Post([self, id] {
                        DevToolsPage* page = self->Find(id);
                        if (!page || page->ready) return;
                        page->ready = true;
                        std::vector<std::function<void()>> waiting;
                        waiting.swap(page->waiting);
                        for (auto& command : waiting) command();
                      });
                    });
}

// A popup is stopped before its first request and closed once that request has failed
// (closing earlier would let the paused request go on).
void PageTracker::RefusePopup(const std::string& session, const std::string& target) {
  popupSessions_[session] = target;
  connection_->Send("Fetch.enable", {{"patterns", json::array({{{"urlPattern", "*"}}})}}, session);
  connection_->Send("Runtime.runIfWaitingForDebugger", json::object(), session);
}

// ---- events ----

void PageTracker::Receive(DevToolsConnection::Event event) {
  auto core = EngineCore::Get();
  if (!core) return;
  auto self = shared_from_this();
  core->UiThread().Post([self, event] { Guarded([&] { self->OnEvent(*event); }); });
}

void PageTracker::OnEvent(const json& event) {
  const std::string method = Text(event, "method");
  const json& params = Member(event, "params");
  const std::string session = Text(event, "sessionId");
  if (method == "Target.attachedToTarget") return OnAttached(params);
  if (method == "Browser.downloadProgress") {
    if (Text(params, "state") == "canceled") ++refusedDownloads_;
    return;
  }
  if (method == "Target.targetCrashed" || method == "Target.targetDestroyed") {
    return OnTargetGone(Text(params, "targetId"), method == "Target.targetCrashed");
  }
  // A page whose session is gone sends nothing more: for the client its renderer is gone.
  if (method == "Target.detachedFromTarget") {
    if (DevToolsPage* page = FindBySession(Text(params, "sessionId"))) {
      EndPage(*page, TS_PROCESS_WAS_KILLED);
    }
    return;
  }
  auto popup = popupSessions_.find(session);
  if (popup != popupSessions_.end()) {
    if (method == "Fetch.requestPaused") {
      connection_->Send("Fetch.failRequest",
                        {{"requestId", Text(params, "requestId")}, {"errorReason", "Aborted"}},
                        session);
      connection_->Send("Target.closeTarget", {{"targetId", popup->second}}, "");
    }
    return;
  }
  DevToolsPage* page = FindBySession(session);
  auto core = EngineCore::Get();
  CefRefPtr<BrowserImpl> browser = page && core ? core->FindBrowser(page->browserId) : nullptr;
  if (!browser || browser->IsClosing()) return;
  events_.OnPageEvent(*page, *browser, method, params);
}

void PageTracker::OnTargetGone(const std::string& target, bool crashed) {
  for (auto& entry : pages_) {
    if (!target.empty() && entry.second.targetId == target) {
      return EndPage(entry.second, crashed ? TS_PROCESS_CRASHED : TS_PROCESS_WAS_KILLED, !crashed);
    }
  }
}

// The browser went away, and every page's renderer with it.
void PageTracker::ConnectionClosed() {
  auto core = EngineCore::Get();
  if (!core) return;
  auto self = shared_from_this();
  core->UiThread().Post([self] {
    // A handler may close browsers, and so remove pages, while it is told.
    std::vector<int> ids;
    for (auto& entry : self->pages_) ids.push_back(entry.first);
    for (int id : ids) {
      if (DevToolsPage* page = self->Find(id)) self->EndPage(*page, TS_PROCESS_CRASHED);
    }
  });
}

}  // namespace engine

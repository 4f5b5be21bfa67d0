#include "engine/devtools_backend.h"

#include <windows.h>

#include <algorithm>
#include <condition_variable>
#include <map>
#include <mutex>
#include <nlohmann/json.hpp>
#include <set>

#include "engine/browser_impl.h"
#include "engine/browser_process.h"
#include "engine/cdp_channel.h"
#include "engine/devtools_relay.h"
#include "engine/engine_core.h"
#include "engine/engine_thread.h"
#include "engine/input_script.h"
#include "engine/jpeg_decoder.h"
#include "engine/mute_script.h"
#include "engine/page_script.h"
#include "engine/v8_object.h"
#include "engine/websocket_client.h"

namespace engine {

using nlohmann::json;

namespace {

constexpr unsigned kLaunchTimeoutMs = 30000;
constexpr unsigned kAnswerTimeoutMs = 10000;

using Reply = std::function<void(const json& result, bool failed)>;

std::string Text(const json& j, const char* key) {
  auto it = j.find(key);
  return it != j.end() && it->is_string() ? it->get<std::string>() : std::string();
}

bool Flag(const json& j, const char* key) {
  auto it = j.find(key);
  return it != j.end() && it->is_boolean() && it->get<bool>();
}

// A coordinate a page reports, which may be any number: kept within a range a window can
// use, so that the conversion and the sums made with it stay defined. False when the page
// sent no number.
bool ReadCoordinate(const json& j, const char* key, int& value) {
  constexpr double kLimit = 1 << 24;
  auto it = j.find(key);
  if (it == j.end() || !it->is_number()) return false;
  value = static_cast<int>(std::max(-kLimit, std::min(kLimit, it->get<double>())));
  return true;
}

const json& Member(const json& j, const char* key) {
  static const json empty = json::object();
  auto it = j.find(key);
  return it != j.end() && it->is_object() ? *it : empty;
}

cef_errorcode_t ErrorCodeOf(const std::string& text) {
  static const std::map<std::string, cef_errorcode_t> codes = {
      {"net::ERR_ABORTED", ERR_ABORTED},
      {"net::ERR_FAILED", ERR_FAILED},
      {"net::ERR_TIMED_OUT", ERR_TIMED_OUT},
      {"net::ERR_BLOCKED_BY_CLIENT", ERR_BLOCKED_BY_CLIENT},
      {"net::ERR_CONNECTION_CLOSED", ERR_CONNECTION_CLOSED},
      {"net::ERR_CONNECTION_RESET", ERR_CONNECTION_RESET},
      {"net::ERR_CONNECTION_REFUSED", ERR_CONNECTION_REFUSED},
      {"net::ERR_CONNECTION_FAILED", ERR_CONNECTION_FAILED},
      {"net::ERR_NAME_NOT_RESOLVED", ERR_NAME_NOT_RESOLVED},
      {"net::ERR_ADDRESS_UNREACHABLE", ERR_ADDRESS_UNREACHABLE},
      {"net::ERR_INVALID_URL", ERR_INVALID_URL},
      {"net::ERR_UNKNOWN_URL_SCHEME", ERR_UNKNOWN_URL_SCHEME},
      {"net::ERR_UNSAFE_PORT", ERR_UNSAFE_PORT},
      {"net::ERR_TOO_MANY_REDIRECTS", ERR_TOO_MANY_REDIRECTS},
      {"net::ERR_EMPTY_RESPONSE", ERR_EMPTY_RESPONSE},
  };
  auto it = codes.find(text);
  return it == codes.end() ? ERR_FAILED : it->second;
}

cef_log_severity_t SeverityOf(const std::string& type) {
  if (type == "error" || type == "assert") return LOGSEVERITY_ERROR;
  if (type == "warning") return LOGSEVERITY_WARNING;
  if (type == "debug") return LOGSEVERITY_VERBOSE;
  return LOGSEVERITY_INFO;
}

int HexValue(const std::string& text, size_t at) {
  if (at + 4 > text.size()) return -1;
  int value = 0;
  for (size_t i = at; i < at + 4; ++i) {
    const char c = text[i];
    const int digit = c >= '0' && c <= '9'   ? c - '0'
                      : c >= 'a' && c <= 'f' ? c - 'a' + 10
                      : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                             : -1;
    if (digit < 0) return -1;
    value = value * 16 + digit;
  }
  return value;
}

// JSON text with every unpaired surrogate escape replaced by U+FFFD: pages may put lone
// surrogates in any string, and a JSON parser would refuse the whole message for one.
std::string PairSurrogates(const std::string& text) {
  if (text.find("\\u") == std::string::npos) return text;
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 >= text.size()) {
      out += text[i];
      continue;
    }
    if (text[i + 1] != 'u') {
      out += text[i];
      out += text[++i];
      continue;
    }
    const int unit = HexValue(text, i + 2);
    const bool high = unit >= 0xD800 && unit <= 0xDBFF;
    const bool low = unit >= 0xDC00 && unit <= 0xDFFF;
    const int next = high && i + 7 < text.size() && text[i + 6] == '\\' && text[i + 7] == 'u'
                         ? HexValue(text, i + 8)
                         : -1;
    if (high && next >= 0xDC00 && next <= 0xDFFF) {
      out.append(text, i, 12);
      i += 11;
    } else if (high || low) {
      out += "\\ufffd";
      i += 5;
    } else {
      out += text[i];
    }
  }
  return out;
}

json ParseJson(const std::string& text) {
  return json::parse(PairSurrogates(text), nullptr, false);
}

// Runs protocol handling; a message of the wrong shape is dropped, never thrown out.
template <class F>
void Guarded(F&& f) {
  try {
    f();
  } catch (const std::exception&) {
  }
}

}  // namespace

class DevToolsBackend::Impl : public std::enable_shared_from_this<Impl> {
 public:
  Impl(const std::wstring& browser, std::vector<std::wstring> extraSwitches, ControlChannel channel)
      : browser_(browser), extraSwitches_(std::move(extraSwitches)), channelKind_(channel) {}

  // One page of a browser; engine UI thread only.
  struct Page {
    int browserId = 0;
    std::string targetId;
    std::string sessionId;
    bool ready = false;
    std::vector<std::function<void()>> waiting;  // commands until the session is ready
    int lastStatus = 0;
    std::string mainRequest;
    std::string mainRequestUrl;
    std::string mainUrl;
    bool mainFailed = false;
    std::set<std::string> cancelled;  // network requests the handler cancelled
    bool canGoBack = false;
    bool canGoForward = false;
    std::map<std::string, CefRefPtr<FrameImpl>> subframes;
    int viewWidth = 0;
    int viewHeight = 0;
    bool viewVisible = false;
    bool casting = false;
    bool muted = false;
    std::vector<std::string> muteScripts;  // make the page's next documents muted
    // One renderer's end can be signalled several ways at once (its target crashed or
    // destroyed, its session detached, the connection lost, its target never made) and is
    // reported once: `gone` until a reload brings a crashed page back, `ended` for good.
    bool gone = false;
    bool ended = false;
  };

  bool Start(const StartOptions& options) {
    if (!decoder_.Start()) {
      SetError("the engine could not start its frame decoding thread");
      return false;
    }
    StartOptions withSwitches = options;
    withSwitches.extraSwitches.insert(withSwitches.extraSwitches.end(), extraSwitches_.begin(),
                                      extraSwitches_.end());
    if (!process_.Launch(browser_, withSwitches, kLaunchTimeoutMs, channelKind_)) {
      SetError(process_.Error());
      return false;
    }
    auto self = shared_from_this();
    std::weak_ptr<Impl> weak = self;
    channel_ = process_.MakeChannel();
    if (!channel_ || !channel_->Open(
                         [weak](std::string&& text) {
                           if (auto s = weak.lock()) s->OnMessage(text);
                         },
                         [weak] {
                           if (auto s = weak.lock()) s->OnClosed();
                         })) {
      SetError("the browser's DevTools channel did not open");
      channel_.reset();
      process_.Stop();
      return false;
    }
    json answer;
    if (!Call("Target.setDiscoverTargets", {{"discover", true}}, "", answer) ||
        !Call("Target.setAutoAttach",
              {{"autoAttach", true}, {"waitForDebuggerOnStart", true}, {"flatten", true}}, "",
              answer)) {
      SetError("the browser did not answer on its DevTools channel");
      channel_->Close();
      process_.Stop();
      return false;
    }
    return true;
  }

  void Stop() {
    while (!relays_.empty()) CloseRelay(relays_.begin()->first);
    if (channel_ && channel_->IsOpen()) {
      json answer;
      Call("Browser.close", json::object(), "", answer);
      for (int i = 0; i < 60 && channel_->IsOpen(); ++i) Sleep(50);
    }
    if (channel_) channel_->Close();
    process_.Stop();
    decoder_.Stop();
  }

  std::string LastError() const {
    std::lock_guard<std::mutex> hold(lock_);
    return error_;
  }
  int Port() const { return process_.Port(); }
  std::wstring ProfileFolder() const { return process_.Folder(); }
  bool SendRaw(const std::string& text) { return channel_ && channel_->Send(text); }
  void StartAsWindowsProgram(bool windows) { process_.StartAsWindowsProgram(windows); }

  // ---- commands from the engine UI thread ----

  void CreatePage(BrowserImpl& browser, const std::string& url) {
    auto core = EngineCore::Get();
    const int id = browser.GetIdentifier();
    Page& page = pages_[id];
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

  void ClosePage(BrowserImpl& browser) {
    CloseRelay(browser.GetIdentifier());
    auto it = pages_.find(browser.GetIdentifier());
    if (it == pages_.end()) return;
    if (!it->second.targetId.empty()) {
      Send("Target.closeTarget", {{"targetId", it->second.targetId}}, "");
    }
    ForgetSession(it->second.sessionId);
    pages_.erase(it);
  }

  void LoadUrl(BrowserImpl& browser, const std::string& url) {
    const int id = browser.GetIdentifier();
    WhenReady(id, [this, id, url] { Navigate(id, url); });
  }

  void GoBy(BrowserImpl& browser, int step) {
    const int id = browser.GetIdentifier();
    WhenReady(id, [this, id, step] {
      Page* page = Find(id);
      if (!page) return;
      auto self = shared_from_this();
      const std::string session = page->sessionId;
      Send("Page.getNavigationHistory", json::object(), session,
           [self, session, step](const json& result, bool failed) {
             if (failed) return;
             Guarded([&] {
               const json& entries = result.at("entries");
               const int target = result.at("currentIndex").get<int>() + step;
               if (target < 0 || target >= static_cast<int>(entries.size())) return;
               self->Send("Page.navigateToHistoryEntry", {{"entryId", entries[target].at("id")}},
                          session);
             });
           });
    });
  }

  void InSession(BrowserImpl& browser, const std::string& method, const json& params) {
    const int id = browser.GetIdentifier();
    WhenReady(id, [this, id, method, params] {
      if (Page* page = Find(id)) Send(method, params, page->sessionId);
    });
  }

  void Evaluate(BrowserImpl& browser, const std::string& expression) {
    InSession(browser, "Runtime.evaluate", {{"expression", expression}});
  }

  void ShowView(BrowserImpl& browser, int width, int height, bool visible) {
    const int id = browser.GetIdentifier();
    Page* page = Find(id);
    if (!page) return;
    page->viewWidth = width;
    page->viewHeight = height;
    page->viewVisible = visible;
    WhenReady(id, [this, id] { ApplyView(id); });
  }

  std::string DevToolsUrl(BrowserImpl& browser) {
    Page* page = Find(browser.GetIdentifier());
    return DevToolsUrlOf(page ? page->targetId : std::string());
  }

  // The tools without their own screencast of the page (inspector.html has one), which
  // would compete with the frames of the page's window.
  std::string DevToolsUrlOf(const std::string& target) const {
    const std::string host = "127.0.0.1:" + std::to_string(process_.Port());
    return "http://" + host + "/devtools/devtools_app.html?ws=" + host + "/devtools/page/" + target;
  }

  // The tools connect to the inspected page's target, which exists once its page is ready:
  // on the port, the browser's own; on the pipe, a session of the page behind a relay.
  void LoadDevTools(BrowserImpl& inspected, BrowserImpl& tools) {
    const int id = inspected.GetIdentifier();
    const int toolsId = tools.GetIdentifier();
    WhenReady(id, [this, id, toolsId] {
      Page* page = Find(id);
      if (!page) return;
      if (process_.Channel() == ControlChannel::kPort) {
        const std::string url = DevToolsUrlOf(page->targetId);
        WhenReady(toolsId, [this, toolsId, url] { Navigate(toolsId, url); });
        return;
      }
      auto self = shared_from_this();
      auto core = EngineCore::Get();
      Send("Target.attachToTarget", {{"targetId", page->targetId}, {"flatten", true}}, "",
           [self, core, toolsId](const json& result, bool failed) {
             const std::string session = failed ? std::string() : Text(result, "sessionId");
             core->UiThread().Post([self, toolsId, session] { self->OpenRelay(toolsId, session); });
           });
    });
  }

  void OpenRelay(int toolsId, const std::string& session) {
    if (session.empty()) return;
    auto relay = std::make_shared<DevToolsRelay>();
    std::weak_ptr<Impl> weak = shared_from_this();
    if (!Find(toolsId) || !relay->Start([weak, relay = relay.get()](std::string&& text) {
          if (auto s = weak.lock()) s->FromFrontend(*relay, text);
        })) {
      Send("Target.detachFromTarget", {{"sessionId", session}}, "");
      return;
    }
    {
      std::lock_guard<std::mutex> hold(lock_);
      relaySessions_[session] = {relay, true};
    }
    relays_[toolsId] = {relay, session};
    const std::string url = relay->FrontendUrl();
    WhenReady(toolsId, [this, toolsId, url] {
      Page* tools = Find(toolsId);
      if (!tools) return;
      Send("Page.addScriptToEvaluateOnNewDocument", {{"source", DevToolsRelay::FrontendScript()}},
           tools->sessionId);
      Navigate(toolsId, url);
    });
  }

  // The relay's thread: the frontend speaks in the page's session, or in the sessions of
  // the page's own frames and workers that it attached to, and in no other.
  void FromFrontend(DevToolsRelay& relay, const std::string& text) {
    json message = ParseJson(text);
    if (message.is_discarded() || !message.is_object()) return;
    {
      std::lock_guard<std::mutex> hold(lock_);
      std::string session = Text(message, "sessionId");
      for (auto& entry : relaySessions_) {
        if (entry.second.relay.get() == &relay && session.empty() && entry.second.root)
          session = entry.first;
      }
      auto it = relaySessions_.find(session);
      if (it == relaySessions_.end() || it->second.relay.get() != &relay) return;
      message["sessionId"] = session;
    }
    if (channel_) channel_->Send(message.dump(-1, ' ', false, json::error_handler_t::replace));
  }

  // The reading thread: true when the message belongs to a relay's sessions and went there.
  bool ToRelay(json& message) {
    const std::string session = Text(message, "sessionId");
    if (session.empty()) return false;
    std::shared_ptr<DevToolsRelay> relay;
    {
      std::lock_guard<std::mutex> hold(lock_);
      auto it = relaySessions_.find(session);
      if (it == relaySessions_.end()) return false;
      relay = it->second.relay;
      const std::string method = Text(message, "method");
      const std::string child = Text(Member(message, "params"), "sessionId");
      if (method == "Target.attachedToTarget" && !child.empty()) {
        relaySessions_[child] = {relay, false};
      } else if (method == "Target.detachedFromTarget") {
        relaySessions_.erase(child);
      }
      if (it->second.root) message.erase("sessionId");
    }
    relay->ToFrontend(message.dump(-1, ' ', false, json::error_handler_t::replace));
    return true;
  }

  // The tools' browser goes: so do their relay and their session of the page.
  void CloseRelay(int toolsId) {
    auto it = relays_.find(toolsId);
    if (it == relays_.end()) return;
    std::shared_ptr<DevToolsRelay> relay = it->second.first;
    const std::string session = it->second.second;
    relays_.erase(it);
    relay->Stop();
    {
      std::lock_guard<std::mutex> hold(lock_);
      for (auto entry = relaySessions_.begin(); entry != relaySessions_.end();) {
        entry = entry->second.relay == relay ? relaySessions_.erase(entry) : std::next(entry);
      }
    }
    Send("Target.detachFromTarget", {{"sessionId", session}}, "");
  }

  // The document shown now is muted or unmuted at once; the documents the page loads later
  // start so by a script of their own.
  void SetMuted(BrowserImpl& browser, bool mute) {
    const int id = browser.GetIdentifier();
    WhenReady(id, [this, id, mute] {
      Page* page = Find(id);
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
      Send("Runtime.evaluate", {{"expression", MuteCall(mute)}}, page->sessionId);
    });
  }

  // ---- the protocol ----

  // A reply is always called: with the answer, or as failed once the connection has ended,
  // also for a command sent after the end (a page made then must still learn that it has no
  // browser).
  void Send(const std::string& method, const json& params, const std::string& session,
            Reply reply = nullptr) {
    json message = {{"method", method}, {"params", params}};
    bool closed;
    {
      std::lock_guard<std::mutex> hold(lock_);
      closed = closed_;
      const int id = nextId_++;
      message["id"] = id;
      if (reply && !closed) replies_[id] = std::move(reply);
    }
    if (closed) {
      if (reply) reply(json::object(), true);
      return;
    }
    if (!session.empty()) message["sessionId"] = session;
    if (channel_) channel_->Send(message.dump(-1, ' ', false, json::error_handler_t::replace));
  }

  // Sends and waits for the answer (never on the engine's threads).
  bool Call(const std::string& method, const json& params, const std::string& session,
            json& answer) {
    struct Wait {
      std::mutex lock;
      std::condition_variable cv;
      bool done = false;
      bool failed = false;
      json result;
    };
    auto wait = std::make_shared<Wait>();
    Send(method, params, session, [wait](const json& result, bool failed) {
      std::lock_guard<std::mutex> hold(wait->lock);
      wait->done = true;
      wait->failed = failed;
      wait->result = result;
      wait->cv.notify_all();
    });
    std::unique_lock<std::mutex> hold(wait->lock);
    if (!wait->cv.wait_for(hold, std::chrono::milliseconds(kAnswerTimeoutMs),
                           [&] { return wait->done; })) {
      return false;
    }
    answer = wait->result;
    return !wait->failed;
  }

  // The reading thread: answers go to their waiters, events to the thread they belong on.
  void OnMessage(const std::string& text) {
    json message = ParseJson(text);
    if (message.is_discarded() || !message.is_object()) return;
    Guarded([&] {
      if (ToRelay(message)) return;
      if (message.contains("id")) {
        Answer(message);
        return;
      }
      auto event = std::make_shared<json>(std::move(message));
      const std::string method = Text(*event, "method");
      auto core = EngineCore::Get();
      if (!core || method.empty()) return;
      auto self = shared_from_this();
      if (method == "Page.screencastFrame") {
        std::weak_ptr<Impl> weak = self;
        decoder_.Post([weak, event] {
          if (auto s = weak.lock()) Guarded([&] { s->OnFrame(*event); });
        });
        return;
      }
      if (method.rfind("Runtime.executionContext", 0) == 0 || IsNativeCall(*event)) {
        core->RendererThread().Post(
            [self, event] { Guarded([&] { self->OnRendererEvent(*event); }); });
      } else {
        core->UiThread().Post([self, event] { Guarded([&] { self->OnUiEvent(*event); }); });
      }
    });
  }

  void Answer(const json& message) {
    if (!message.at("id").is_number_integer()) return;
    Reply reply;
    {
      std::lock_guard<std::mutex> hold(lock_);
      auto it = replies_.find(message.at("id").get<int>());
      if (it == replies_.end()) return;
      reply = std::move(it->second);
      replies_.erase(it);
    }
    const bool failed = message.contains("error");
    reply(failed ? Member(message, "error") : Member(message, "result"), failed);
  }

  // The reading thread: the browser went away, and every page's renderer with it. Replies
  // still awaited fail now and later ones at once (see Send), under the same lock, so that no
  // reply is left waiting for an answer that cannot come.
  void OnClosed() {
    std::map<int, Reply> pending;
    {
      std::lock_guard<std::mutex> hold(lock_);
      closed_ = true;
      pending.swap(replies_);
    }
    for (auto& r : pending) r.second(json::object(), true);
    auto core = EngineCore::Get();
    if (!core) return;
    auto self = shared_from_this();
    core->UiThread().Post([self] {
      // A handler may close browsers, and so remove pages, while it is told.
      std::vector<int> ids;
      for (auto& entry : self->pages_) ids.push_back(entry.first);
      for (int id : ids) {
        if (Page* page = self->Find(id)) self->EndPage(*page, TS_PROCESS_CRASHED);
      }
    });
  }

 private:
  Page* Find(int id) {
    auto it = pages_.find(id);
    return it == pages_.end() ? nullptr : &it->second;
  }

  Page* FindBySession(const std::string& session) {
    for (auto& entry : pages_) {
      if (!session.empty() && entry.second.sessionId == session) return &entry.second;
    }
    return nullptr;
  }

  void WhenReady(int id, std::function<void()> command) {
    Page* page = Find(id);
    if (!page) return;
    if (page->ready) {
      command();
    } else {
      page->waiting.push_back(std::move(command));
    }
  }

  // Engine UI thread: the page sends frames of the window's size while the window shows it.
  void ApplyView(int id) {
    Page* page = Find(id);
    if (!page) return;
    if (!page->viewVisible) {
      if (page->casting) Send("Page.stopScreencast", json::object(), page->sessionId);
      page->casting = false;
      return;
    }
    Send("Emulation.setDeviceMetricsOverride",
         {{"width", page->viewWidth},
          {"height", page->viewHeight},
          {"deviceScaleFactor", 1},
          {"mobile", false}},
         page->sessionId);
    // A running screencast keeps its old frame size and sends nothing for the new one.
    if (page->casting) Send("Page.stopScreencast", json::object(), page->sessionId);
    Send("Page.startScreencast",
         {{"format", "jpeg"},
          {"quality", 80},
          {"maxWidth", page->viewWidth},
          {"maxHeight", page->viewHeight}},
         page->sessionId);
    page->casting = true;
  }

  // Decoding thread: the frame goes to the browser's surface. It is acknowledged as its
  // decoding starts, so that the browser makes the next frame meanwhile yet is never more
  // than one frame ahead of the decoder.
  void OnFrame(const json& event) {
    const std::string session = Text(event, "sessionId");
    const json& params = Member(event, "params");
    Send("Page.screencastFrameAck", {{"sessionId", params.value("sessionId", 0)}}, session);
    ShowFrame(session, Text(params, "data"));
  }

  void ShowFrame(const std::string& session, const std::string& data) {
    SessionInfo info;
    auto core = EngineCore::Get();
    if (!core || !SessionOf(session, info)) return;
    CefRefPtr<BrowserImpl> browser = core->FindBrowser(info.browserId);
    if (!browser || browser->IsClosing()) return;
    browser->Surface().NoteReceived();
    int width = 0;
    int height = 0;
    if (!jpeg_.Decode(Base64Decode(data), spare_, width, height)) return;
    browser->Surface().Publish(spare_, width, height);
    if (HWND window = browser->GetWindowHandle()) InvalidateRect(window, nullptr, FALSE);
  }

  // The page may be unmuted again before the browser answers with the script's name.
  void AddMuteScript(Page& page) {
    auto self = shared_from_this();
    auto core = EngineCore::Get();
    const int id = page.browserId;
    Send("Page.addScriptToEvaluateOnNewDocument", {{"source", MuteCall(true)}}, page.sessionId,
         [self, core, id](const json& result, bool failed) {
           const std::string script = failed ? std::string() : Text(result, "identifier");
           if (script.empty()) return;
           core->UiThread().Post([self, id, script] {
             Page* page = self->Find(id);
             if (!page) return;
             if (page->muted) {
               page->muteScripts.push_back(script);
             } else {
               self->RemoveScript(*page, script);
             }
           });
         });
  }

  void RemoveScript(Page& page, const std::string& script) {
    Send("Page.removeScriptToEvaluateOnNewDocument", {{"identifier", script}}, page.sessionId);
  }

  void Navigate(int id, const std::string& url) {
    if (Page* page = Find(id)) Send("Page.navigate", {{"url", url}}, page->sessionId);
  }

  void SetError(const std::string& text) {
    std::lock_guard<std::mutex> hold(lock_);
    error_ = text;
  }

  // ---- targets and sessions (engine UI thread) ----

  void MakeTarget(int id, const std::string& script) {
    if (!Find(id)) return;
    scripts_[id] = script;
    auto self = shared_from_this();
    auto core = EngineCore::Get();
    // A window of its own: a page in a background tab of another's window sends no frames.
    Send("Target.createTarget", {{"url", "about:blank"}, {"newWindow", true}}, "",
         [self, core, id](const json& result, bool failed) {
           const std::string target = failed ? std::string() : Text(result, "targetId");
           core->UiThread().Post([self, id, target] { self->TargetMade(id, target); });
         });
  }

  void TargetMade(int id, const std::string& target) {
    --pendingCreations_;
    Page* page = Find(id);
    if (!page || target.empty()) {
      if (page) LoadFailedToStart(*page);
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

  void LoadFailedToStart(Page& page) { EndPage(page, TS_ABNORMAL_TERMINATION); }

  // Engine UI thread: the one report of a renderer's end, whichever signal of it came first.
  // A crashed page may be reloaded; a page whose target or browser is gone never comes back.
  void EndPage(Page& page, cef_termination_status_t status, bool forGood = true) {
    page.ended = page.ended || forGood;
    if (page.gone) return;
    page.gone = true;
    auto core = EngineCore::Get();
    CefRefPtr<BrowserImpl> browser = core ? core->FindBrowser(page.browserId) : nullptr;
    if (browser && !browser->IsClosing()) browser->NotifyRenderProcessTerminated(status);
  }

  void OnAttached(const json& params) {
    const std::string session = Text(params, "sessionId");
    const json& info = Member(params, "targetInfo");
    const std::string target = Text(info, "targetId");
    if (Text(info, "type") != "page") {
      Send("Runtime.runIfWaitingForDebugger", json::object(), session);
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

  void SetUpPage(Page& page, const std::string& session) {
    page.sessionId = session;
    {
      std::lock_guard<std::mutex> hold(lock_);
      sessions_[session] = {page.browserId, page.targetId};
    }
    const json documents = {
        {"urlPattern", "*"}, {"resourceType", "Document"}, {"requestStage", "Request"}};
    const json natives = {{"urlPattern", std::string(kNativeCallUrl) + "*"},
                          {"requestStage", "Request"}};
    Send("Page.enable", json::object(), session);
    Send("Runtime.enable", json::object(), session);
    Send("Network.enable", json::object(), session);
    Send("Fetch.enable", {{"patterns", json::array({documents, natives})}}, session);
    Send("Runtime.addBinding", {{"name", std::string(kNotifyBinding)}}, session);
    Send("Runtime.addBinding", {{"name", std::string(kInputBinding)}}, session);
    Send("Page.setBypassCSP", {{"enabled", true}}, session);
    Send("Page.addScriptToEvaluateOnNewDocument",
         {{"source", scripts_[page.browserId]}, {"runImmediately", true}}, session);
    Send("Page.addScriptToEvaluateOnNewDocument",
         {{"source", InputScript()}, {"runImmediately", true}}, session);
    // The first navigation waits until the blank page the target starts with has been
    // committed, or that commit would cancel it.
    auto self = shared_from_this();
    auto core = EngineCore::Get();
    const int id = page.browserId;
    Send("Runtime.runIfWaitingForDebugger", json::object(), session,
         [self, core, id](const json&, bool) {
           core->UiThread().Post([self, id] { self->FirstLoadSettled(id); });
         });
  }

  void FirstLoadSettled(int id) {
    Page* page = Find(id);
    if (!page || page->ready) return;
    auto self = shared_from_this();
    auto core = EngineCore::Get();
    Send("Page.getNavigationHistory", json::object(), page->sessionId,
         [self, core, id](const json&, bool) {
           core->UiThread().Post([self, id] {
             Page* page = self->Find(id);
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
  void RefusePopup(const std::string& session, const std::string& target) {
    popupSessions_[session] = target;
    Send("Fetch.enable", {{"patterns", json::array({{{"urlPattern", "*"}}})}}, session);
    Send("Runtime.runIfWaitingForDebugger", json::object(), session);
  }

  void ForgetSession(const std::string& session) {
    std::lock_guard<std::mutex> hold(lock_);
    sessions_.erase(session);
  }

  // ---- page events (engine UI thread) ----

  void OnUiEvent(const json& event) {
    const std::string method = Text(event, "method");
    const json& params = Member(event, "params");
    const std::string session = Text(event, "sessionId");
    if (method == "Target.attachedToTarget") return OnAttached(params);
    if (method == "Target.targetCrashed" || method == "Target.targetDestroyed") {
      return OnTargetGone(Text(params, "targetId"), method == "Target.targetCrashed");
    }
    // A page whose session is gone sends nothing more: for the client its renderer is gone.
    if (method == "Target.detachedFromTarget") {
      if (Page* page = FindBySession(Text(params, "sessionId"))) {
        EndPage(*page, TS_PROCESS_WAS_KILLED);
      }
      return;
    }
    auto popup = popupSessions_.find(session);
    if (popup != popupSessions_.end()) {
      if (method == "Fetch.requestPaused") {
        Send("Fetch.failRequest",
             {{"requestId", Text(params, "requestId")}, {"errorReason", "Aborted"}}, session);
        Send("Target.closeTarget", {{"targetId", popup->second}}, "");
      }
      return;
    }
    Page* page = FindBySession(session);
    auto core = EngineCore::Get();
    CefRefPtr<BrowserImpl> browser = page && core ? core->FindBrowser(page->browserId) : nullptr;
    if (!browser || browser->IsClosing()) return;
    OnPageEvent(*page, *browser, method, params);
  }

  void OnTargetGone(const std::string& target, bool crashed) {
    for (auto& entry : pages_) {
      if (!target.empty() && entry.second.targetId == target) {
        return EndPage(entry.second, crashed ? TS_PROCESS_CRASHED : TS_PROCESS_WAS_KILLED,
                       !crashed);
      }
    }
  }

  CefRefPtr<FrameImpl> FrameOf(Page& page, BrowserImpl& browser, const std::string& frameId) {
    if (frameId == page.targetId) return browser.MainFrame();
    CefRefPtr<FrameImpl>& frame = page.subframes[frameId];
    if (!frame) {
      frame = new FrameImpl(page.browserId, EngineCore::Get()->NextFrameId(), false);
    }
    return frame;
  }

  void OnPageEvent(Page& page, BrowserImpl& browser, const std::string& method,
                   const json& params) {
    const bool main = Text(params, "frameId") == page.targetId;
    if (method == "Fetch.requestPaused") {
      OnRequestPaused(page, browser, params);
    } else if (method == "Page.frameStartedLoading" && main) {
      browser.NotifyLoadingState(true, page.canGoBack, page.canGoForward);
    } else if (method == "Page.frameStoppedLoading" && main) {
      StoppedLoading(page);
    } else if (method == "Page.frameNavigated") {
      const json& frame = Member(params, "frame");
      const std::string url = Text(frame, "url") + Text(frame, "urlFragment");
      if (Text(frame, "id") != page.targetId || url.rfind("chrome-error:", 0) == 0) return;
      page.mainUrl = url;
      browser.NotifyAddress(browser.MainFrame(), url);
      browser.NotifyLoadStart(browser.MainFrame().get(), TT_EXPLICIT);
    } else if (method == "Page.navigatedWithinDocument" && main) {
      browser.NotifyAddress(browser.MainFrame(), Text(params, "url"));
    } else if (method == "Network.requestWillBeSent" && main &&
               Text(params, "type") == "Document") {
      page.mainRequest = Text(params, "requestId");
      page.mainRequestUrl = Text(Member(params, "request"), "url");
      page.mainFailed = false;
    } else if (method == "Network.responseReceived" && main && Text(params, "type") == "Document") {
      page.lastStatus = Member(params, "response").value("status", 0);
    } else if (method == "Network.loadingFailed") {
      OnLoadingFailed(page, browser, params);
    } else if (method == "Page.loadEventFired") {
      // Frames around a navigation's commit can be lost, and a still page sends no more.
      if (page.casting) ApplyView(page.browserId);
      if (!page.mainFailed) browser.NotifyLoadEnd(browser.MainFrame().get(), page.lastStatus);
    } else if (method == "Page.windowOpen") {
      OnWindowOpen(browser, params);
    } else if (method == "Page.javascriptDialogOpening") {
      OnDialog(page, browser, params);
    } else if (method == "Runtime.consoleAPICalled") {
      OnConsole(browser, params);
    } else if (method == "Runtime.bindingCalled" && Text(params, "name") == kNotifyBinding) {
      json payload = ParseJson(Text(params, "payload"));
      if (payload.is_object() && payload.contains("title")) {
        browser.NotifyTitle(Text(payload, "title"));
      }
    } else if (method == "Runtime.bindingCalled" && Text(params, "name") == kInputBinding) {
      OnInputNotice(page, browser, ParseJson(Text(params, "payload")));
    } else if (method == "Inspector.targetCrashed") {
      EndPage(page, TS_PROCESS_CRASHED, false);
    } else if (method == "Inspector.targetReloadedAfterCrash") {
      page.gone = page.ended;
    }
  }

  // What the page reports of the user's input: the cursor, and context menus.
  void OnInputNotice(Page& page, BrowserImpl& browser, const json& notice) {
    if (!notice.is_object()) return;
    auto cursor = notice.find("cursor");
    if (cursor != notice.end() && cursor->is_string())
      browser.NotifyCursor(cursor->get<std::string>());
    const json& caret = Member(notice, "caret");
    int x = 0;
    int y = 0;
    int height = 0;
    if (ReadCoordinate(caret, "x", x) && ReadCoordinate(caret, "y", y) &&
        ReadCoordinate(caret, "h", height)) {
      browser.NotifyCaret(x, y, height);
    }
    const json& menu = Member(notice, "contextMenu");
    CefContextMenuParams::Data params;
    if (!ReadCoordinate(menu, "x", params.x) || !ReadCoordinate(menu, "y", params.y)) return;
    params.linkUrl = Text(menu, "link");
    params.pageUrl = page.mainUrl;
    params.frameUrl = Text(menu, "frameUrl");
    params.selectionText = Text(menu, "selection");
    params.editable = Flag(menu, "editable");
    params.typeFlags = (Flag(menu, "top") ? CM_TYPEFLAG_PAGE : CM_TYPEFLAG_FRAME) |
                       (params.linkUrl.empty() ? 0 : CM_TYPEFLAG_LINK) |
                       (Flag(menu, "media") ? CM_TYPEFLAG_MEDIA : 0) |
                       (params.selectionText.empty() ? 0 : CM_TYPEFLAG_SELECTION) |
                       (params.editable ? CM_TYPEFLAG_EDITABLE : 0);
    browser.NotifyContextMenuAsked(params);
  }

  void OnRequestPaused(Page& page, BrowserImpl& browser, const json& params) {
    const std::string requestId = Text(params, "requestId");
    if (Text(params, "resourceType") != "Document") {
      Send("Fetch.continueRequest", {{"requestId", requestId}}, page.sessionId);
      return;
    }
    const json& request = Member(params, "request");
    CefRefPtr<CefRequest> cefRequest = CefRequest::Create();
    cefRequest->SetURL(Text(request, "url"));
    cefRequest->SetMethod(Text(request, "method"));
    const std::string frameId = Text(params, "frameId");
    const bool main = frameId == page.targetId;
    cefRequest->SetResourceType(main ? RT_MAIN_FRAME : RT_SUB_FRAME);
    cefRequest->SetTransitionType(Text(request, "method") == "POST" ? TT_FORM_SUBMIT : TT_LINK);
    const bool redirect = params.contains("redirectedRequestId");
    const bool cancel = browser.NotifyBeforeBrowse(FrameOf(page, browser, frameId).get(),
                                                   cefRequest, false, redirect);
    if (cancel) {
      page.cancelled.insert(Text(params, "networkId"));
      Send("Fetch.failRequest", {{"requestId", requestId}, {"errorReason", "Aborted"}},
           page.sessionId);
    } else {
      Send("Fetch.continueRequest", {{"requestId", requestId}}, page.sessionId);
    }
  }

  void OnLoadingFailed(Page& page, BrowserImpl& browser, const json& params) {
    const std::string requestId = Text(params, "requestId");
    if (requestId != page.mainRequest || Text(params, "type") != "Document") return;
    if (page.cancelled.erase(requestId)) return;  // the handler's own cancel
    page.mainFailed = true;
    const std::string error = Text(params, "errorText");
    browser.NotifyLoadError(browser.MainFrame().get(), ErrorCodeOf(error), error,
                            page.mainRequestUrl);
  }

  void StoppedLoading(Page& page) {
    auto self = shared_from_this();
    auto core = EngineCore::Get();
    const int id = page.browserId;
    Send("Page.getNavigationHistory", json::object(), page.sessionId,
         [self, core, id](const json& result, bool failed) {
           bool back = false, forward = false;
           if (!failed) {
             Guarded([&] {
               const json& entries = result.at("entries");
               const int current = result.at("currentIndex").get<int>();
               // The blank page every browser starts on is no place to go back to.
               for (int i = 0; i < current; ++i)
                 back = back || Text(entries[i], "url") != "about:blank";
               forward = current + 1 < static_cast<int>(entries.size());
             });
           }
           core->UiThread().Post([self, core, id, back, forward] {
             Page* page = self->Find(id);
             CefRefPtr<BrowserImpl> browser = core->FindBrowser(id);
             if (!page || !browser || browser->IsClosing()) return;
             page->canGoBack = back;
             page->canGoForward = forward;
             browser->NotifyLoadingState(false, back, forward);
           });
         });
  }

  void OnWindowOpen(BrowserImpl& browser, const json& params) {
    CefPopupFeatures features;
    bool hasFeatures = false;
    auto list = params.find("windowFeatures");
    if (list != params.end() && list->is_array()) hasFeatures = !list->empty();
    browser.NotifyBeforePopup(browser.MainFrame().get(), Text(params, "url"),
                              Text(params, "windowName"),
                              hasFeatures ? WOD_NEW_POPUP : WOD_NEW_FOREGROUND_TAB,
                              Flag(params, "userGesture"), features);
  }

  void OnDialog(Page& page, BrowserImpl& browser, const json& params) {
    const std::string type = Text(params, "type");
    auto self = shared_from_this();
    const std::string session = page.sessionId;
    auto answer = [self, session](bool accept, const CefString& input) {
      self->Send("Page.handleJavaScriptDialog",
                 {{"accept", accept}, {"promptText", input.ToString()}}, session);
    };
    if (type == "beforeunload") return answer(true, CefString());
    const cef_jsdialog_type_t kind = type == "confirm"  ? JSDIALOGTYPE_CONFIRM
                                     : type == "prompt" ? JSDIALOGTYPE_PROMPT
                                                        : JSDIALOGTYPE_ALERT;
    browser.NotifyJsDialog(Text(params, "url"), kind, Text(params, "message"),
                           Text(params, "defaultPrompt"), answer);
  }

  void OnConsole(BrowserImpl& browser, const json& params) {
    std::string text;
    auto args = params.find("args");
    if (args != params.end() && args->is_array()) {
      for (const json& a : *args) {
        if (!text.empty()) text += ' ';
        if (a.contains("value")) {
          text += a["value"].is_string() ? a["value"].get<std::string>() : a["value"].dump();
        } else {
          text += Text(a, "description");
        }
      }
    }
    std::string source;
    int line = 0;
    const json& trace = Member(params, "stackTrace");
    auto frames = trace.find("callFrames");
    if (frames != trace.end() && frames->is_array() && !frames->empty()) {
      source = Text((*frames)[0], "url");
      line = (*frames)[0].value("lineNumber", 0) + 1;
    }
    browser.NotifyConsole(SeverityOf(Text(params, "type")), text, source, line);
  }

  // ---- the renderer side (renderer thread) ----

 public:
  struct SessionInfo {
    int browserId;
    std::string targetId;
  };
  bool SessionOf(const std::string& session, SessionInfo& info) {
    std::lock_guard<std::mutex> hold(lock_);
    auto it = sessions_.find(session);
    if (it == sessions_.end()) return false;
    info = it->second;
    return true;
  }

  // Evaluates script in a context without waiting for it.
  void EvaluateIn(const std::string& session, int contextId, const std::string& expression) {
    Send("Runtime.evaluate", {{"expression", expression}, {"contextId", contextId}}, session);
  }

 private:
  static bool IsNativeCall(const json& event) {
    if (Text(event, "method") != "Fetch.requestPaused") return false;
    const std::string url = Text(Member(Member(event, "params"), "request"), "url");
    return url.rfind(kNativeCallUrl, 0) == 0;
  }

  void OnRendererEvent(const json& event);
  void ContextCreated(const std::string& session, const json& context);
  void ReleaseContext(const std::string& session, int id);
  void NativeCall(const std::string& session, const json& params);
  CefRefPtr<CefV8Value> Decode(const std::string& session, int contextId, const json& value);
  json Encode(CefRefPtr<CefV8Value> value);

  const std::wstring browser_;
  const std::vector<std::wstring> extraSwitches_;
  BrowserProcess process_;
  ControlChannel channelKind_ = ControlChannel::kPipe;
  std::unique_ptr<CdpChannel> channel_;  // made by Start, before any other thread sends
  struct RelaySession {
    std::shared_ptr<DevToolsRelay> relay;
    bool root = false;  // the page's session, which the frontend uses without naming it
  };
  std::map<std::string, RelaySession> relaySessions_;  // under lock_
  // Engine UI thread: the developer tools' browsers, with their relay and page session.
  std::map<int, std::pair<std::shared_ptr<DevToolsRelay>, std::string>> relays_;
  mutable std::mutex lock_;
  std::string error_;
  int nextId_ = 1;
  std::map<int, Reply> replies_;
  bool closed_ = false;  // the connection has ended
  std::map<std::string, SessionInfo> sessions_;
  // Engine UI thread.
  std::map<int, Page> pages_;
  std::map<int, std::string> scripts_;
  std::map<std::string, std::string> unclaimed_;      // target -> session
  std::map<std::string, std::string> popupSessions_;  // session -> target
  int pendingCreations_ = 0;
  // Decoding thread.
  EngineThread decoder_;
  JpegDecoder jpeg_;
  std::vector<uint32_t> spare_;
  // Renderer thread.
  std::map<std::pair<std::string, int>, CefRefPtr<CefV8Context>> contexts_;
  std::map<std::pair<std::string, std::string>, int> frameContexts_;
  std::map<std::pair<std::string, std::string>, CefRefPtr<FrameImpl>> rendererFrames_;
};

namespace {

// An object, array or function in a page, named by a script expression in its context.
// Calls run in the page without being waited for; their results are kept in the page until
// the value goes.
class RemoteObject : public V8Object {
 public:
  RemoteObject(std::weak_ptr<DevToolsBackend::Impl> backend, std::string session, int contextId,
               std::string expression, std::string release)
      : backend_(std::move(backend)),
        session_(std::move(session)),
        contextId_(contextId),
        expression_(std::move(expression)),
        release_(std::move(release)) {}
  ~RemoteObject() override {
    auto backend = backend_.lock();
    if (backend && !release_.empty()) backend->EvaluateIn(session_, contextId_, release_);
  }

  const std::string& Expression() const { return expression_; }
  int ContextId() const { return contextId_; }

  bool Has(const CefString&) override { return true; }
  CefRefPtr<CefV8Value> Get(const CefString& key) override {
    return CefV8Value::CreateFor(
        CefV8Value::Kind::kFunction,
        std::make_shared<RemoteObject>(backend_, session_, contextId_,
                                       "(" + expression_ + ")[" + json(key.ToString()).dump() + "]",
                                       std::string()));
  }
  bool Set(const CefString& key, CefRefPtr<CefV8Value> value) override {
    auto backend = backend_.lock();
    if (!backend) return false;
    backend->EvaluateIn(
        session_, contextId_,
        "(" + expression_ + ")[" + json(key.ToString()).dump() + "] = " + ExpressionOf(value));
    return true;
  }
  CefRefPtr<CefV8Value> Call(CefRefPtr<CefV8Context>, CefRefPtr<CefV8Value> self,
                             const CefV8ValueList& arguments, CefString& exception) override {
    auto backend = backend_.lock();
    if (!backend) {
      exception = "The page is gone.";
      return nullptr;
    }
    static std::atomic<int> nextResult{1};
    const int slot = nextResult++;
    std::string list;
    for (const auto& a : arguments) list += (list.empty() ? "" : ", ") + ExpressionOf(a);
    const std::string receiver = self ? ExpressionOf(self) : "undefined";
    backend->EvaluateIn(session_, contextId_,
                        "try { window.__engine.results.set(" + std::to_string(slot) + ", (" +
                            expression_ + ").apply(" + receiver + ", [" + list +
                            "])); } catch (e) {}");
    return CefV8Value::CreateFor(
        CefV8Value::Kind::kObject,
        std::make_shared<RemoteObject>(
            backend_, session_, contextId_,
            "window.__engine.results.get(" + std::to_string(slot) + ")",
            "window.__engine.results.delete(" + std::to_string(slot) + ")"));
  }

  static std::string ExpressionOf(CefRefPtr<CefV8Value> v) {
    if (!v) return "undefined";
    if (auto* remote = dynamic_cast<RemoteObject*>(v->Object())) return remote->Expression();
    if (v->IsNull()) return "null";
    if (v->IsBool()) return v->GetBoolValue() ? "true" : "false";
    if (v->IsInt()) return std::to_string(v->GetIntValue());
    if (v->IsDouble()) return json(v->GetDoubleValue()).dump();
    if (v->IsString()) {
      return json(v->GetStringValue().ToString())
          .dump(-1, ' ', false, json::error_handler_t::replace);
    }
    return "undefined";
  }

 private:
  std::weak_ptr<DevToolsBackend::Impl> backend_;
  std::string session_;
  int contextId_;
  std::string expression_;
  std::string release_;
};

}  // namespace

void DevToolsBackend::Impl::OnRendererEvent(const json& event) {
  const std::string method = Text(event, "method");
  const std::string session = Text(event, "sessionId");
  const json& params = Member(event, "params");
  if (method == "Runtime.executionContextCreated") {
    ContextCreated(session, Member(params, "context"));
  } else if (method == "Runtime.executionContextDestroyed") {
    ReleaseContext(session, params.value("executionContextId", 0));
  } else if (method == "Runtime.executionContextsCleared") {
    std::vector<int> ids;
    for (auto& entry : contexts_) {
      if (entry.first.first == session) ids.push_back(entry.first.second);
    }
    for (int id : ids) ReleaseContext(session, id);
  } else if (method == "Fetch.requestPaused") {
    NativeCall(session, params);
  }
}

void DevToolsBackend::Impl::ContextCreated(const std::string& session, const json& context) {
  const json& aux = Member(context, "auxData");
  SessionInfo info;
  if (!Flag(aux, "isDefault") || !SessionOf(session, info)) return;
  auto core = EngineCore::Get();
  CefRefPtr<BrowserImpl> browser = core ? core->FindBrowser(info.browserId) : nullptr;
  if (!browser) return;
  const int id = context.value("id", 0);
  const std::string frameId = Text(aux, "frameId");
  const bool main = frameId == info.targetId;
  CefRefPtr<FrameImpl> frame = browser->MainFrame();
  if (!main) {
    CefRefPtr<FrameImpl>& sub = rendererFrames_[{session, frameId}];
    if (!sub) sub = new FrameImpl(info.browserId, core->NextFrameId(), false);
    frame = sub;
  }
  auto global = CefV8Value::CreateFor(
      CefV8Value::Kind::kObject,
      std::make_shared<RemoteObject>(shared_from_this(), session, id, "globalThis", std::string()));
  CefRefPtr<CefV8Context> v8 =
      new CefV8Context(std::make_shared<V8ContextData>(id, info.browserId, frame.get(), global));
  contexts_[{session, id}] = v8;
  frameContexts_[{session, frameId}] = id;
  if (main) browser->SetMainContext(v8);
  core->Renderer().ContextCreated(v8);
}

void DevToolsBackend::Impl::ReleaseContext(const std::string& session, int id) {
  auto it = contexts_.find({session, id});
  if (it == contexts_.end()) return;
  CefRefPtr<CefV8Context> context = it->second;
  contexts_.erase(it);
  auto core = EngineCore::Get();
  if (!core) return;
  CefRefPtr<BrowserImpl> browser = core->FindBrowser(context->Data().browserId);
  if (browser && browser->MainContext() && browser->MainContext()->IsSame(context)) {
    browser->SetMainContext(nullptr);
  }
  core->Renderer().ContextReleased(context);
}

CefRefPtr<CefV8Value> DevToolsBackend::Impl::Decode(const std::string& session, int contextId,
                                                    const json& value) {
  const std::string type = Text(value, "t");
  if (type == "n") return CefV8Value::CreateNull();
  if (type == "b") return CefV8Value::CreateBool(value.value("v", false));
  if (type == "s") return CefV8Value::CreateString(Text(value, "v"));
  if (type == "d") {
    const double d = value.value("v", 0.0);
    if (d == static_cast<double>(static_cast<int32_t>(d)) && d >= -2147483648.0 &&
        d <= 2147483647.0) {
      return CefV8Value::CreateInt(static_cast<int32_t>(d));
    }
    return CefV8Value::CreateDouble(d);
  }
  if (type == "f" || type == "o" || type == "a") {
    const std::string id = std::to_string(value.value("id", 0));
    const auto kind = type == "f"   ? CefV8Value::Kind::kFunction
                      : type == "a" ? CefV8Value::Kind::kArray
                                    : CefV8Value::Kind::kObject;
    return CefV8Value::CreateFor(
        kind, std::make_shared<RemoteObject>(shared_from_this(), session, contextId,
                                             "window.__engine.refs.get(" + id + ")",
                                             "window.__engine.refs.delete(" + id + ")"));
  }
  return CefV8Value::CreateUndefined();
}

json DevToolsBackend::Impl::Encode(CefRefPtr<CefV8Value> value) {
  if (!value || value->IsUndefined()) return {{"t", "u"}};
  if (value->IsNull()) return {{"t", "n"}};
  if (value->IsBool()) return {{"t", "b"}, {"v", value->GetBoolValue()}};
  if (value->IsInt() || value->IsUInt() || value->IsDouble()) {
    return {{"t", "d"}, {"v", value->GetDoubleValue()}};
  }
  if (value->IsString()) return {{"t", "s"}, {"v", value->GetStringValue().ToString()}};
  if (dynamic_cast<RemoteObject*>(value->Object())) {
    return {{"t", "e"}, {"e", RemoteObject::ExpressionOf(value)}};
  }
  return {{"t", "u"}};
}

// A page called a native function: its synchronous request waits here for the answer.
void DevToolsBackend::Impl::NativeCall(const std::string& session, const json& params) {
  const std::string requestId = Text(params, "requestId");
  json answer;
  const json& request = Member(params, "request");
  std::string body = Text(request, "postData");
  auto entries = request.find("postDataEntries");
  if (body.empty() && entries != request.end() && entries->is_array()) {
    for (const json& e : *entries) body += Base64Decode(Text(e, "bytes"));
  }
  json call = ParseJson(body);
  auto frame = frameContexts_.find({session, Text(params, "frameId")});
  auto context =
      frame == frameContexts_.end() ? contexts_.end() : contexts_.find({session, frame->second});
  auto core = EngineCore::Get();
  if (!call.is_object() || context == contexts_.end() || !core) {
    answer["exception"] = "The native function cannot be called here.";
  } else {
    CefV8ValueList arguments;
    auto args = call.find("args");
    if (args != call.end() && args->is_array()) {
      for (const json& a : *args) arguments.push_back(Decode(session, frame->second, a));
    }
    NativeCallResult result =
        core->Renderer().CallNative(context->second, Text(call, "name"), arguments);
    if (!result.exception.empty()) {
      answer["exception"] = result.exception.ToString();
    } else {
      answer["value"] = Encode(result.value);
    }
  }
  const std::string text = answer.dump(-1, ' ', false, json::error_handler_t::replace);
  Send("Fetch.fulfillRequest",
       {{"requestId", requestId},
        {"responseCode", 200},
        {"responseHeaders",
         json::array({{{"name", "Content-Type"}, {"value", "application/json; charset=utf-8"}},
                      {{"name", "Access-Control-Allow-Origin"}, {"value", "*"}}})},
        {"body", Base64Encode(text)}},
       session);
}

DevToolsBackend::DevToolsBackend(const std::wstring& browser,
                                 std::vector<std::wstring> extraSwitches, ControlChannel channel)
    : impl_(std::make_shared<Impl>(browser, std::move(extraSwitches), channel)) {}
DevToolsBackend::~DevToolsBackend() = default;

bool DevToolsBackend::Start(const StartOptions& options) {
  return impl_->Start(options);
}
void DevToolsBackend::Stop() {
  impl_->Stop();
}
void DevToolsBackend::StartAsWindowsProgram(bool windows) {
  impl_->StartAsWindowsProgram(windows);
}
void DevToolsBackend::CreatePage(BrowserImpl& b, const std::string& url) {
  impl_->CreatePage(b, url);
}
void DevToolsBackend::ClosePage(BrowserImpl& b) {
  impl_->ClosePage(b);
}
void DevToolsBackend::LoadUrl(BrowserImpl& b, const std::string& url) {
  impl_->LoadUrl(b, url);
}
void DevToolsBackend::GoBack(BrowserImpl& b) {
  impl_->GoBy(b, -1);
}
void DevToolsBackend::GoForward(BrowserImpl& b) {
  impl_->GoBy(b, 1);
}
void DevToolsBackend::Reload(BrowserImpl& b, bool ignoreCache) {
  impl_->InSession(b, "Page.reload", {{"ignoreCache", ignoreCache}});
}
void DevToolsBackend::StopLoad(BrowserImpl& b) {
  impl_->InSession(b, "Page.stopLoading", json::object());
}
void DevToolsBackend::ExecuteJavaScript(BrowserImpl& b, const std::string& code) {
  impl_->Evaluate(b, code);
}
// There is no per-page mute in the protocol: the page mutes itself (see MuteScript).
void DevToolsBackend::SetAudioMuted(BrowserImpl& b, bool mute) {
  impl_->SetMuted(b, mute);
}
void DevToolsBackend::SendMouse(BrowserImpl& b, const MouseInput& input) {
  static const char* const kTypes[] = {"mouseMoved", "mousePressed", "mouseReleased", "mouseWheel"};
  static const char* const kButtons[] = {"none", "left", "middle", "right"};
  json params = {{"type", kTypes[static_cast<int>(input.type)]},
                 {"x", input.x},
                 {"y", input.y},
                 {"button", kButtons[input.button]},
                 {"buttons", input.buttons},
                 {"clickCount", input.clickCount},
                 {"modifiers", input.modifiers}};
  if (input.type == MouseInput::Type::kWheel) {
    params["deltaX"] = input.deltaX;
    params["deltaY"] = input.deltaY;
  }
  impl_->InSession(b, "Input.dispatchMouseEvent", params);
}
void DevToolsBackend::SendKey(BrowserImpl& b, const KeyInput& input) {
  static const char* const kTypes[] = {"rawKeyDown", "keyUp", "char"};
  json params = {{"type", kTypes[static_cast<int>(input.type)]},
                 {"modifiers", input.modifiers},
                 {"windowsVirtualKeyCode", input.windowsKeyCode},
                 {"nativeVirtualKeyCode", input.windowsKeyCode},
                 {"key", input.key},
                 {"code", input.code},
                 {"location", input.location},
                 {"isKeypad", input.keypad},
                 {"autoRepeat", input.autoRepeat}};
  if (!input.text.empty()) {
    params["text"] = input.text;
    params["unmodifiedText"] = input.text;
  }
  if (!input.commands.empty()) params["commands"] = input.commands;
  impl_->InSession(b, "Input.dispatchKeyEvent", params);
}
// An empty composition takes back the text being composed.
void DevToolsBackend::SendComposition(BrowserImpl& b, const CompositionInput& input) {
  if (input.type == CompositionInput::Type::kCommit) {
    impl_->InSession(b, "Input.insertText", {{"text", input.text}});
    return;
  }
  const bool cancel = input.type == CompositionInput::Type::kCancel;
  impl_->InSession(b, "Input.imeSetComposition",
                   {{"text", cancel ? std::string() : input.text},
                    {"selectionStart", cancel ? 0 : input.selectionStart},
                    {"selectionEnd", cancel ? 0 : input.selectionEnd}});
}
void DevToolsBackend::WasHidden(BrowserImpl&, bool) {}
void DevToolsBackend::ShowView(BrowserImpl& b, int width, int height, bool visible) {
  impl_->ShowView(b, width, height, visible);
}
void DevToolsBackend::SetFocus(BrowserImpl& b, bool focus) {
  impl_->InSession(b, "Emulation.setFocusEmulationEnabled", {{"enabled", focus}});
}
std::string DevToolsBackend::DevToolsUrl(BrowserImpl& b) {
  return impl_->DevToolsUrl(b);
}
void DevToolsBackend::LoadDevTools(BrowserImpl& inspected, BrowserImpl& tools) {
  impl_->LoadDevTools(inspected, tools);
}
std::string DevToolsBackend::LastError() const {
  return impl_->LastError();
}
int DevToolsBackend::Port() const {
  return impl_->Port();
}
std::wstring DevToolsBackend::ProfileFolder() const {
  return impl_->ProfileFolder();
}
bool DevToolsBackend::SendRaw(const std::string& text) {
  return impl_->SendRaw(text);
}

}  // namespace engine

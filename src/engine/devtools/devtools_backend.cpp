#include "engine/devtools/devtools_backend.h"

#include <windows.h>

#include "engine/devtools/devtools_connection.h"
#include "engine/devtools/page_tracker.h"
#include "engine/devtools/renderer_bridge.h"
#include "engine/devtools/screencast_receiver.h"

namespace engine {
namespace {

constexpr unsigned kLaunchTimeoutMs = 30000;

}  // namespace

DevToolsBackend::DevToolsBackend(const std::wstring& browser,
                                 std::vector<std::wstring> extraSwitches, ControlChannel channel)
    : browser_(browser),
      extraSwitches_(std::move(extraSwitches)),
      channelKind_(channel),
      connection_(std::make_shared<DevToolsConnection>()) {
  auto sessions = std::make_shared<SessionTable>();
  pages_ = std::make_shared<PageTracker>(connection_, sessions);
  screencast_ = std::make_shared<ScreencastReceiver>(connection_, sessions);
  renderer_ = std::make_shared<RendererBridge>(connection_, sessions);
}

DevToolsBackend::~DevToolsBackend() = default;

bool DevToolsBackend::Start(const StartOptions& options) {
  if (!screencast_->Start()) {
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
  pages_->UseBrowserPort(process_.Port(), process_.Channel() == ControlChannel::kPort);
  std::weak_ptr<PageTracker> pages = pages_;
  std::weak_ptr<ScreencastReceiver> screencast = screencast_;
  std::weak_ptr<RendererBridge> renderer = renderer_;
  DevToolsConnection::Routes routes;
  routes.frames = [screencast](DevToolsConnection::Event event) {
    if (auto s = screencast.lock()) s->Receive(event);
  };
  routes.renderer = [renderer](DevToolsConnection::Event event) {
    if (auto r = renderer.lock()) r->Receive(event);
  };
  routes.pages = [pages](DevToolsConnection::Event event) {
    if (auto p = pages.lock()) p->Receive(event);
  };
  routes.closed = [pages] {
    if (auto p = pages.lock()) p->ConnectionClosed();
  };
  if (!connection_->Open(process_.MakeChannel(), std::move(routes))) {
    SetError("the browser's DevTools channel did not open");
    process_.Stop();
    return false;
  }
  if (!SetUpBrowser()) {
    connection_->Close();
    process_.Stop();
    return false;
  }
  return true;
}

// What every page relies on, asked of the whole browser before the first page.
bool DevToolsBackend::SetUpBrowser() {
  json answer;
  if (!connection_->Call("Target.setDiscoverTargets", {{"discover", true}}, "", answer) ||
      !connection_->Call(
          "Target.setAutoAttach",
          {{"autoAttach", true}, {"waitForDebuggerOnStart", true}, {"flatten", true}}, "",
          answer)) {
    SetError("the browser did not answer on its DevTools channel");
    return false;
  }
  // The client has no download user interface, so no page may write files through the
  // browser. Every page lives in the default browser context, which this covers; the
  // refusals come back as events.
  if (!connection_->Call("Browser.setDownloadBehavior",
                         {{"behavior", "deny"}, {"eventsEnabled", true}}, "", answer)) {
    SetError("the browser would not refuse downloads");
    return false;
  }
  return true;
}

void DevToolsBackend::Stop() {
  pages_->CloseAllRelays();
  if (connection_->IsOpen()) {
    json answer;
    connection_->Call("Browser.close", json::object(), "", answer);
    for (int i = 0; i < 60 && connection_->IsOpen(); ++i) Sleep(50);
  }
  connection_->Close();
  process_.Stop();
  screencast_->Stop();
}

void DevToolsBackend::SetError(const std::string& text) {
  std::lock_guard<std::mutex> hold(lock_);
  error_ = text;
}

std::string DevToolsBackend::LastError() const {
  std::lock_guard<std::mutex> hold(lock_);
  return error_;
}

int DevToolsBackend::Port() const {
  return process_.Port();
}

std::wstring DevToolsBackend::ProfileFolder() const {
  return process_.Folder();
}

int DevToolsBackend::RefusedDownloads() const {
  return pages_->RefusedDownloads();
}

bool DevToolsBackend::SendRaw(const std::string& text) {
  return connection_->SendText(text);
}

void DevToolsBackend::StartAsWindowsProgram(bool windows) {
  process_.StartAsWindowsProgram(windows);
}

void DevToolsBackend::CreatePage(BrowserImpl& b, const std::string& url) {
  pages_->CreatePage(b, url);
}
void DevToolsBackend::ClosePage(BrowserImpl& b) {
  pages_->ClosePage(b);
}
void DevToolsBackend::LoadUrl(BrowserImpl& b, const std::string& url) {
  pages_->LoadUrl(b, url);
}
void DevToolsBackend::GoBack(BrowserImpl& b) {
  pages_->GoBy(b, -1);
}
void DevToolsBackend::GoForward(BrowserImpl& b) {
  pages_->GoBy(b, 1);
}
void DevToolsBackend::Reload(BrowserImpl& b, bool ignoreCache) {
  pages_->InSession(b, "Page.reload", {{"ignoreCache", ignoreCache}});
}
void DevToolsBackend::StopLoad(BrowserImpl& b) {
  pages_->InSession(b, "Page.stopLoading", json::object());
}
void DevToolsBackend::ExecuteJavaScript(BrowserImpl& b, const std::string& code) {
  pages_->InSession(b, "Runtime.evaluate", {{"expression", code}});
}
// There is no per-page mute in the protocol: the page mutes itself (see MuteScript).
void DevToolsBackend::SetAudioMuted(BrowserImpl& b, bool mute) {
  pages_->SetMuted(b, mute);
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
  pages_->InSession(b, "Input.dispatchMouseEvent", params);
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
  pages_->InSession(b, "Input.dispatchKeyEvent", params);
}
// An empty composition takes back the text being composed.
void DevToolsBackend::SendComposition(BrowserImpl& b, const CompositionInput& input) {
  if (input.type == CompositionInput::Type::kCommit) {
    pages_->InSession(b, "Input.insertText", {{"text", input.text}});
    return;
  }
  const bool cancel = input.type == CompositionInput::Type::kCancel;
  pages_->InSession(b, "Input.imeSetComposition",
                    {{"text", cancel ? std::string() : input.text},
                     {"selectionStart", cancel ? 0 : input.selectionStart},
                     {"selectionEnd", cancel ? 0 : input.selectionEnd}});
}
void DevToolsBackend::WasHidden(BrowserImpl&, bool) {}
void DevToolsBackend::ShowView(BrowserImpl& b, int width, int height, bool visible) {
  pages_->ShowView(b, width, height, visible);
}
void DevToolsBackend::SetFocus(BrowserImpl& b, bool focus) {
  pages_->SetFocus(b, focus);
}
std::string DevToolsBackend::DevToolsUrl(BrowserImpl& b) {
  return pages_->DevToolsUrl(b);
}
void DevToolsBackend::LoadDevTools(BrowserImpl& inspected, BrowserImpl& tools) {
  pages_->LoadDevTools(inspected, tools);
}

}  // namespace engine

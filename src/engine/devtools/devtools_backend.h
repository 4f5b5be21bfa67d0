#pragma once

// The backend that drives a real browser over the DevTools protocol: one private channel to
// the browser (its pipes; its WebSocket port only when asked for), one flat session per page.
// Its parts each keep to one thread: the connection (any thread), the pages (the engine's UI
// thread), the screencast (its decoding thread) and the renderer bridge (the renderer thread).

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "engine/core/backend.h"
#include "engine/process/browser_process.h"

namespace engine {

class DevToolsConnection;
class PageTracker;
class RendererBridge;
class ScreencastReceiver;

class DevToolsBackend : public Backend {
 public:
  // The browser to start, with extra switches for its command line (the engine's own
  // switches among them are ignored), and the channel to drive it over, as engine.ini
  // names them.
  explicit DevToolsBackend(const std::wstring& browser,
                           std::vector<std::wstring> extraSwitches = {},
                           ControlChannel channel = ControlChannel::kPipe);
  ~DevToolsBackend() override;

  bool Start(const StartOptions& options) override;
  void Stop() override;
  void CreatePage(BrowserImpl& browser, const std::string& url) override;
  void ClosePage(BrowserImpl& browser) override;
  void LoadUrl(BrowserImpl& browser, const std::string& url) override;
  void GoBack(BrowserImpl& browser) override;
  void GoForward(BrowserImpl& browser) override;
  void Reload(BrowserImpl& browser, bool ignoreCache) override;
  void StopLoad(BrowserImpl& browser) override;
  void ExecuteJavaScript(BrowserImpl& browser, const std::string& code) override;
  void SetAudioMuted(BrowserImpl& browser, bool mute) override;
  void WasHidden(BrowserImpl& browser, bool hidden) override;
  void SetFocus(BrowserImpl& browser, bool focus) override;
  void ShowView(BrowserImpl& browser, int width, int height, bool visible) override;
  void SendMouse(BrowserImpl& browser, const MouseInput& input) override;
  void SendKey(BrowserImpl& browser, const KeyInput& input) override;
  void SendComposition(BrowserImpl& browser, const CompositionInput& input) override;
  std::string DevToolsUrl(BrowserImpl& browser) override;
  void LoadDevTools(BrowserImpl& inspected, BrowserImpl& tools) override;

  // Why the last Start failed.
  std::string LastError() const;
  // For tests: the browser's DevTools port (0 on the pipe), its profile folder, and a raw
  // protocol message sent as it stands.
  int Port() const;
  std::wstring ProfileFolder() const;
  bool SendRaw(const std::string& text);
  // For tests: how many downloads the browser has refused so far.
  int RefusedDownloads() const;
  // For tests: starts the browser as a Windows program even under Wine (BrowserProcess).
  void StartAsWindowsProgram(bool windows);

 private:
  bool SetUpBrowser();
  void SetError(const std::string& text);

  const std::wstring browser_;
  const std::vector<std::wstring> extraSwitches_;
  const ControlChannel channelKind_;
  BrowserProcess process_;
  // Each part keeps to its own thread; all share the connection.
  std::shared_ptr<DevToolsConnection> connection_;
  std::shared_ptr<PageTracker> pages_;
  std::shared_ptr<ScreencastReceiver> screencast_;
  std::shared_ptr<RendererBridge> renderer_;
  mutable std::mutex lock_;
  std::string error_;
};

}  // namespace engine

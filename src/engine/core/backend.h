#pragma once

// What drives the pages behind the engine interface: a real browser, or a script in tests.
// The engine calls every operation on its UI thread unless said otherwise; a backend reports
// what pages do through the browser objects (BrowserImpl's Notify operations, on the UI
// thread) and the renderer side (RendererSide, on the renderer thread).

#include <string>
#include <vector>

#include "engine/cef/cef_base.h"
#include "engine/cef/cef_string.h"
#include "engine/input/input_events.h"

namespace engine {

class BrowserImpl;

struct StartOptions {
  std::wstring cachePath;  // the browser's profile folder; empty for a temporary one
  std::wstring logFile;    // where the browser's own output goes; empty for nowhere
  // Switches the application added in OnBeforeCommandLineProcessing, as "--name[=value]".
  std::vector<std::wstring> extraSwitches;
};

class Backend {
 public:
  virtual ~Backend() = default;

  // On the thread that starts the engine; may take a while. False with nothing running.
  virtual bool Start(const StartOptions& options) = 0;
  // On the thread that shuts the engine down, after every browser was closed.
  virtual void Stop() = 0;

  // A new browser; it starts loading `url` when that is not empty.
  virtual void CreatePage(BrowserImpl& browser, const std::string& url) = 0;
  // The browser goes: no notification for it may follow.
  virtual void ClosePage(BrowserImpl& browser) = 0;
  virtual void LoadUrl(BrowserImpl& browser, const std::string& url) = 0;
  virtual void GoBack(BrowserImpl& browser) = 0;
  virtual void GoForward(BrowserImpl& browser) = 0;
  virtual void Reload(BrowserImpl& browser, bool ignoreCache) = 0;
  virtual void StopLoad(BrowserImpl& browser) = 0;
  virtual void ExecuteJavaScript(BrowserImpl& browser, const std::string& code) = 0;
  virtual void SetAudioMuted(BrowserImpl& browser, bool mute) = 0;
  virtual void WasHidden(BrowserImpl& browser, bool hidden) = 0;
  virtual void SetFocus(BrowserImpl& browser, bool focus) = 0;
  // The browser's window shows an area of this size, or nothing (hidden, or 0 x 0): a
  // browser that shows nothing sends no frames.
  virtual void ShowView(BrowserImpl& browser, int width, int height, bool visible) = 0;
  virtual void SendMouse(BrowserImpl& browser, const MouseInput& input) = 0;
  virtual void SendKey(BrowserImpl& browser, const KeyInput& input) = 0;
  virtual void SendComposition(BrowserImpl& browser, const CompositionInput& input) = 0;
  // The address that shows the developer tools of the browser's page.
  virtual std::string DevToolsUrl(BrowserImpl& browser) = 0;
  // Loads the developer tools of `inspected` in `tools`, a browser made to show them.
  virtual void LoadDevTools(BrowserImpl& inspected, BrowserImpl& tools) {
    LoadUrl(tools, DevToolsUrl(inspected));
  }
};

}  // namespace engine

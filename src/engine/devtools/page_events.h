#pragma once

// What a page's events mean for its browser: navigation approval, loading, addresses and
// titles, popups, dialogs, console messages, and the user's input as the page reports it.
// Engine UI thread only.

#include <string>

#include "engine/core/browser_impl.h"
#include "engine/devtools/devtools_page.h"
#include "engine/devtools/protocol_json.h"

namespace engine {

class PageTracker;

class PageEvents {
 public:
  explicit PageEvents(PageTracker& pages) : pages_(pages) {}

  void OnPageEvent(DevToolsPage& page, BrowserImpl& browser, const std::string& method,
                   const json& params);

 private:
  CefRefPtr<FrameImpl> FrameOf(DevToolsPage& page, BrowserImpl& browser,
                               const std::string& frameId);
  void OnFrameNavigated(DevToolsPage& page, BrowserImpl& browser, const json& params);
  void OnInputNotice(DevToolsPage& page, BrowserImpl& browser, const json& notice);
  void OnRequestPaused(DevToolsPage& page, BrowserImpl& browser, const json& params);
  void OnLoadingFailed(DevToolsPage& page, BrowserImpl& browser, const json& params);
  void StoppedLoading(DevToolsPage& page);
  void OnWindowOpen(BrowserImpl& browser, const json& params);
  void OnDialog(DevToolsPage& page, BrowserImpl& browser, const json& params);
  void OnConsole(BrowserImpl& browser, const json& params);
  void Send(const std::string& method, const json& params, const std::string& session);

  PageTracker& pages_;  // owns this
};

}  // namespace engine

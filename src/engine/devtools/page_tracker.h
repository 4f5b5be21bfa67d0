#pragma once

// The browsers' pages in the browser: their targets and sessions, the commands the engine
// gives them, popups refused before they load, the developer tools' relays, and the page
// events that reach the browsers' handlers. Engine UI thread, except Receive and
// ConnectionClosed (the reading thread) and CloseAllRelays (the shutting-down thread, once
// the UI thread has closed every browser).

#include <atomic>
#include <map>
#include <memory>
#include <string>
#include <utility>

#include "engine/core/backend.h"
#include "engine/devtools/devtools_connection.h"
#include "engine/devtools/devtools_page.h"
#include "engine/devtools/page_events.h"
#include "engine/devtools/session_table.h"

namespace engine {

class DevToolsRelay;

class PageTracker : public std::enable_shared_from_this<PageTracker> {
 public:
  PageTracker(std::shared_ptr<DevToolsConnection> connection,
              std::shared_ptr<SessionTable> sessions);

  // The browser's DevTools port (0 when it has none), and whether the developer tools
  // connect to it rather than to a relay; set before the first page.
  void UseBrowserPort(int port, bool toolsUsePort);

  void CreatePage(BrowserImpl& browser, const std::string& url);
  void ClosePage(BrowserImpl& browser);
  void LoadUrl(BrowserImpl& browser, const std::string& url);
  void GoBy(BrowserImpl& browser, int step);
  // A command in the page's session, once it has one.
  void InSession(BrowserImpl& browser, const std::string& method, const json& params);
  void ShowView(BrowserImpl& browser, int width, int height, bool visible);
  void SetMuted(BrowserImpl& browser, bool mute);
  void SetFocus(BrowserImpl& browser, bool focus);
  std::string DevToolsUrl(BrowserImpl& browser);
  void LoadDevTools(BrowserImpl& inspected, BrowserImpl& tools);
  void CloseAllRelays();

  // The connection's reading thread: an event for the pages, or the connection's end.
  void Receive(DevToolsConnection::Event event);
  void ConnectionClosed();
  // Any thread: the downloads the browser has refused.
  int RefusedDownloads() const { return refusedDownloads_; }

  // For the page events.
  DevToolsConnection& Connection() { return *connection_; }
  DevToolsPage* Find(int id);
  void ApplyView(int id);
  void EndPage(DevToolsPage& page, cef_termination_status_t status, bool forGood = true);

 private:
  DevToolsPage* FindBySession(const std::string& session);
  void WhenReady(int id, std::function<void()> command);
  void Navigate(int id, const std::string& url);
  std::string DevToolsUrlOf(const std::string& target) const;
  void OpenRelay(int toolsId, const std::string& session);
  void CloseRelay(int toolsId);
  void AddMuteScript(DevToolsPage& page);
  void RemoveScript(DevToolsPage& page, const std::string& script);
  void MakeTarget(int id, const std::string& script);
  void TargetMade(int id, const std::string& target);
  void OnAttached(const json& params);
  void SetUpPage(DevToolsPage& page, const std::string& session);
  void FirstLoadSettled(int id);
  void RefusePopup(const std::string& session, const std::string& target);
  void OnEvent(const json& event);
  void OnTargetGone(const std::string& target, bool crashed);

  const std::shared_ptr<DevToolsConnection> connection_;
  const std::shared_ptr<SessionTable> sessions_;
  int port_ = 0;
  bool toolsUsePort_ = false;
  PageEvents events_;
  std::map<int, DevToolsPage> pages_;
  std::map<int, std::string> scripts_;
  std::map<std::string, std::string> unclaimed_;      // target -> session
  std::map<std::string, std::string> popupSessions_;  // session -> target
  int pendingCreations_ = 0;
  // The developer tools' browsers, with their relay and page session.
  std::map<int, std::pair<std::shared_ptr<DevToolsRelay>, std::string>> relays_;
  std::atomic<int> refusedDownloads_{0};
};

}  // namespace engine

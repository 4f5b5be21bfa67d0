#pragma once

// The backend for tests: no browser, pages do what the test scripts. Every page action runs
// on the engine's threads and calls the handlers as the real engine would; the action
// returns once they have run. A small "server" answers the addresses pages load and records
// every request.

#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "engine/cef/cef_callbacks.h"
#include "engine/cef/cef_types.h"
#include "engine/cef/cef_v8.h"
#include "engine/core/backend.h"
#include "engine/core/renderer_side.h"

namespace engine {

class ScriptedBackend : public Backend {
 public:
  // What the server answers for one address.
  struct Page {
    int status = 200;
    std::string title;                 // empty: the address is the title
    std::string redirectTo;            // not empty: a redirect to this address
    cef_errorcode_t error = ERR_NONE;  // not ERR_NONE: the load fails with it
  };
  struct DialogResult {
    bool answered = false;  // false: the handler kept the dialog open past the wait
    bool accepted = false;
    std::string input;
  };

  // Unknown addresses answer 200 with no title.
  void SetPage(const std::string& url, const Page& page);
  // Every address the server was asked for, in order.
  std::vector<std::string> Requests() const;
  int RequestsFor(const std::string& url) const;
  // The options the engine started with; what each browser was told to run.
  StartOptions Options() const;
  std::vector<std::string> ExecutedScripts() const;
  bool IsMuted(int browserId) const;

  // Page actions; false when the browser does not exist or the engine did not answer.
  bool Navigate(int browserId, const std::string& url, cef_transition_type_t cause,
                bool userGesture = true);
  bool NavigateInDocument(int browserId, const std::string& url);
  bool SetTitle(int browserId, const std::string& title);
  bool OpenPopup(int browserId, const std::string& url, const std::string& name, bool userGesture,
                 cef_window_open_disposition_t disposition = WOD_NEW_POPUP);
  DialogResult ShowDialog(int browserId, cef_jsdialog_type_t type, const std::string& message,
                          const std::string& defaultText, unsigned waitMs = 10000);
  bool Console(int browserId, cef_log_severity_t level, const std::string& message);
  bool Crash(int browserId, cef_termination_status_t status);
  // Offers a context menu with the given items; the items left after the handler ran.
  std::vector<int> ContextMenu(int browserId, const CefContextMenuParams::Data& params,
                               const std::vector<int>& commandIds);
  // The page calls a native function of a registered extension in its main context.
  NativeCallResult CallNative(int browserId, const std::string& functionName,
                              const CefV8ValueList& arguments);
  // Runs work on the renderer thread with the browser's main context entered.
  bool RunInPage(int browserId, std::function<void(CefRefPtr<CefV8Context>)> work);
  // Waits until both engine threads have run everything posted to them so far.
  bool Settle();

  // Backend
  bool Start(const StartOptions& options) override;
  void Stop() override;
  void CreatePage(BrowserImpl& browser, const std::string& url) override;
  void ClosePage(BrowserImpl& browser) override;
  void LoadUrl(BrowserImpl& browser, const std::string& url) override;
  void GoBack(BrowserImpl& browser) override;
  void GoForward(BrowserImpl& browser) override;
  void Reload(BrowserImpl& browser, bool ignoreCache) override;
  void StopLoad(BrowserImpl&) override {}
  void ExecuteJavaScript(BrowserImpl& browser, const std::string& code) override;
  void SetAudioMuted(BrowserImpl& browser, bool mute) override;
  void WasHidden(BrowserImpl&, bool) override {}
  void SetFocus(BrowserImpl&, bool) override {}
  void ShowView(BrowserImpl&, int, int, bool) override {}
  void SendMouse(BrowserImpl&, const MouseInput&) override {}
  void SendKey(BrowserImpl&, const KeyInput&) override {}
  void SendComposition(BrowserImpl&, const CompositionInput&) override {}
  std::string DevToolsUrl(BrowserImpl& browser) override;

 private:
  struct History {
    std::vector<std::string> entries;
    int index = -1;
  };
  bool OnUi(int browserId, std::function<void(BrowserImpl&)> work);
  void RunNavigation(BrowserImpl& browser, const std::string& url, cef_transition_type_t cause,
                     bool userGesture, int historyIndex);
  Page Serve(const std::string& url);
  void Commit(BrowserImpl& browser, const std::string& url, int historyIndex);
  void NewDocument(BrowserImpl& browser);

  mutable std::mutex lock_;
  std::map<std::string, Page> pages_;
  std::vector<std::string> requests_;
  std::vector<std::string> scripts_;
  std::map<int, bool> muted_;
  StartOptions options_;
  std::map<int, History> history_;  // engine UI thread
  int nextContextId_ = 1;           // renderer thread
};

}  // namespace engine

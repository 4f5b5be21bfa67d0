#pragma once

// A client and application for engine tests that record every callback with the thread it
// ran on, and answer the decisions as the test sets them.

#include <windows.h>

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "engine/cef/cef_app.h"
#include "engine/cef/cef_client.h"

namespace engine_test {

struct Event {
  std::string what;    // callback name
  std::string detail;  // its arguments, as text
  DWORD thread;
};

class EventLog {
 public:
  void Add(const std::string& what, const std::string& detail = std::string());
  std::vector<Event> All() const;
  std::vector<Event> Named(const std::string& what) const;
  // Names in order, only of those in `which` (all when empty).
  std::vector<std::string> Sequence(const std::vector<std::string>& which) const;
  size_t Count(const std::string& what) const { return Named(what).size(); }
  void Clear();

 private:
  mutable std::mutex lock_;
  std::vector<Event> events_;
};

// Pumps this thread's messages until the condition holds or the time is up.
bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs = 15000);

class RecordingClient : public CefClient,
                        public CefLifeSpanHandler,
                        public CefDisplayHandler,
                        public CefLoadHandler,
                        public CefRequestHandler,
                        public CefJSDialogHandler,
                        public CefContextMenuHandler {
 public:
  explicit RecordingClient(EventLog& log) : log_(log) {}

  // Decisions, read on the engine's thread.
  std::function<bool(const std::string& url, bool isRedirect)> cancelNavigation;
  std::function<bool(CefRefPtr<CefJSDialogCallback>, bool& suppress)> dialogAnswer;
  std::function<void(CefRefPtr<CefBrowser>, CefRefPtr<CefProcessMessage>)> onMessage;
  bool clearMenu = false;
  bool handleMenuCommand = false;  // OnContextMenuCommand's answer

  CefRefPtr<CefBrowser> Browser() const;
  int BrowserId() const;

  CefRefPtr<CefLifeSpanHandler> GetLifeSpanHandler() override { return this; }
  CefRefPtr<CefDisplayHandler> GetDisplayHandler() override { return this; }
  CefRefPtr<CefLoadHandler> GetLoadHandler() override { return this; }
  CefRefPtr<CefRequestHandler> GetRequestHandler() override { return this; }
  CefRefPtr<CefJSDialogHandler> GetJSDialogHandler() override { return this; }
  CefRefPtr<CefContextMenuHandler> GetContextMenuHandler() override { return this; }

  bool OnBeforePopup(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                     const CefString& targetUrl, const CefString& targetFrameName,
                     cef_window_open_disposition_t targetDisposition, bool userGesture,
                     const CefPopupFeatures& popupFeatures, CefWindowInfo& windowInfo,
                     CefRefPtr<CefClient>& client, CefBrowserSettings& settings,
                     CefRefPtr<CefDictionaryValue>& extraInfo, bool* noJavascriptAccess) override;
  void OnAfterCreated(CefRefPtr<CefBrowser> browser) override;
  bool DoClose(CefRefPtr<CefBrowser> browser) override;
  void OnBeforeClose(CefRefPtr<CefBrowser> browser) override;
  void OnAddressChange(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                       const CefString& url) override;
  void OnTitleChange(CefRefPtr<CefBrowser> browser, const CefString& title) override;
  bool OnConsoleMessage(CefRefPtr<CefBrowser> browser, cef_log_severity_t level,
                        const CefString& message, const CefString& source, int line) override;
  void OnLoadingStateChange(CefRefPtr<CefBrowser> browser, bool isLoading, bool canGoBack,
                            bool canGoForward) override;
  void OnLoadStart(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                   TransitionType transitionType) override;
  void OnLoadEnd(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                 int httpStatusCode) override;
  void OnLoadError(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame, ErrorCode errorCode,
                   const CefString& errorText, const CefString& failedUrl) override;
  bool OnBeforeBrowse(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                      CefRefPtr<CefRequest> request, bool userGesture, bool isRedirect) override;
  void OnRenderProcessTerminated(CefRefPtr<CefBrowser> browser, TerminationStatus status) override;
  bool OnJSDialog(CefRefPtr<CefBrowser> browser, const CefString& originUrl,
                  JSDialogType dialogType, const CefString& messageText,
                  const CefString& defaultPromptText, CefRefPtr<CefJSDialogCallback> callback,
                  bool& suppressMessage) override;
  void OnBeforeContextMenu(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                           CefRefPtr<CefContextMenuParams> params,
                           CefRefPtr<CefMenuModel> model) override;
  bool OnContextMenuCommand(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                            CefRefPtr<CefContextMenuParams> params, int commandId,
                            EventFlags eventFlags) override;
  void OnContextMenuDismissed(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame) override;
  bool OnProcessMessageReceived(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                CefProcessId sourceProcess,
                                CefRefPtr<CefProcessMessage> message) override;

 private:
  EventLog& log_;
  mutable std::mutex lock_;
  CefRefPtr<CefBrowser> browser_;
  IMPLEMENT_REFCOUNTING(RecordingClient);
};

// The application: records its callbacks; its renderer side registers the extensions given
// and answers process messages as the test sets.
class RecordingApp : public CefApp,
                     public CefBrowserProcessHandler,
                     public CefRenderProcessHandler {
 public:
  struct ExtensionSpec {
    std::string name;
    std::string code;
    CefRefPtr<CefV8Handler> handler;
  };
  RecordingApp(EventLog& log, std::vector<ExtensionSpec> extensions)
      : log_(log), extensions_(std::move(extensions)) {}

  std::function<void(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame>, CefRefPtr<CefProcessMessage>)>
      onRendererMessage;
  std::vector<std::pair<std::string, std::string>> switchesToAdd;
  bool extensionsRegistered = false;

  CefRefPtr<CefBrowserProcessHandler> GetBrowserProcessHandler() override { return this; }
  CefRefPtr<CefRenderProcessHandler> GetRenderProcessHandler() override { return this; }
  void OnBeforeCommandLineProcessing(const CefString& processType,
                                     CefRefPtr<CefCommandLine> commandLine) override;
  void OnRegisterCustomSchemes(CefRawPtr<CefSchemeRegistrar> registrar) override;
  void OnContextInitialized() override;
  void OnWebKitInitialized() override;
  void OnBrowserCreated(CefRefPtr<CefBrowser> browser,
                        CefRefPtr<CefDictionaryValue> extraInfo) override;
  void OnContextCreated(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                        CefRefPtr<CefV8Context> context) override;
  void OnContextReleased(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                         CefRefPtr<CefV8Context> context) override;
  bool OnProcessMessageReceived(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                CefProcessId sourceProcess,
                                CefRefPtr<CefProcessMessage> message) override;

 private:
  EventLog& log_;
  std::vector<ExtensionSpec> extensions_;
  IMPLEMENT_REFCOUNTING(RecordingApp);
};

// A V8 handler whose functions are given as closures by name.
class FunctionHandler : public CefV8Handler {
 public:
  using Function = std::function<bool(const CefV8ValueList&, CefRefPtr<CefV8Value>&, CefString&)>;
  void Add(const std::string& name, Function f) { functions_.emplace_back(name, std::move(f)); }
  bool Execute(const CefString& name, CefRefPtr<CefV8Value> object, const CefV8ValueList& arguments,
               CefRefPtr<CefV8Value>& retval, CefString& exception) override;

 private:
  std::vector<std::pair<std::string, Function>> functions_;
  IMPLEMENT_REFCOUNTING(FunctionHandler);
};

CefSettings ZeroSettings();

// Asks the engine for a hidden top-level browser for the client and waits until it exists.
bool OpenTopLevelBrowser(CefRefPtr<RecordingClient> client, const std::string& url);

}  // namespace engine_test

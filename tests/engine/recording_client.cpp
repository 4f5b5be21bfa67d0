#include "engine/recording_client.h"

#include <cstring>

namespace engine_test {

void EventLog::Add(const std::string& what, const std::string& detail) {
  std::lock_guard<std::mutex> hold(lock_);
  events_.push_back(Event{what, detail, GetCurrentThreadId()});
}

std::vector<Event> EventLog::All() const {
  std::lock_guard<std::mutex> hold(lock_);
  return events_;
}

std::vector<Event> EventLog::Named(const std::string& what) const {
  std::vector<Event> found;
  for (const Event& e : All()) {
    if (e.what == what) found.push_back(e);
  }
  return found;
}

std::vector<std::string> EventLog::Sequence(const std::vector<std::string>& which) const {
  std::vector<std::string> names;
  for (const Event& e : All()) {
    bool wanted = which.empty();
    for (const std::string& w : which) wanted = wanted || w == e.what;
    if (wanted) names.push_back(e.what);
  }
  return names;
}

void EventLog::Clear() {
  std::lock_guard<std::mutex> hold(lock_);
  events_.clear();
}

bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  while (!condition()) {
    if (GetTickCount() - start > timeoutMs) return false;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
  return true;
}

CefRefPtr<CefBrowser> RecordingClient::Browser() const {
  std::lock_guard<std::mutex> hold(lock_);
  return browser_;
}

int RecordingClient::BrowserId() const {
  CefRefPtr<CefBrowser> b = Browser();
  return b ? b->GetIdentifier() : 0;
}

bool RecordingClient::OnBeforePopup(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame,
                                    const CefString& targetUrl, const CefString& targetFrameName,
                                    cef_window_open_disposition_t, bool userGesture,
                                    const CefPopupFeatures&, CefWindowInfo&, CefRefPtr<CefClient>&,
                                    CefBrowserSettings&, CefRefPtr<CefDictionaryValue>&, bool*) {
  log_.Add("OnBeforePopup", targetUrl.ToString() + "|" + targetFrameName.ToString() + "|" +
                                (userGesture ? "gesture" : "no gesture") + "|" +
                                (frame && frame->IsMain() ? "main" : "?"));
  return true;
}

void RecordingClient::OnAfterCreated(CefRefPtr<CefBrowser> browser) {
  {
    std::lock_guard<std::mutex> hold(lock_);
    if (!browser_) browser_ = browser;
  }
  log_.Add("OnAfterCreated", std::to_string(browser->GetIdentifier()));
}

bool RecordingClient::DoClose(CefRefPtr<CefBrowser> browser) {
  log_.Add("DoClose", std::to_string(browser->GetIdentifier()));
  return false;
}

void RecordingClient::OnBeforeClose(CefRefPtr<CefBrowser> browser) {
  log_.Add("OnBeforeClose", std::to_string(browser->GetIdentifier()));
  std::lock_guard<std::mutex> hold(lock_);
  if (browser_ && browser_->IsSame(browser)) browser_ = nullptr;
}

void RecordingClient::OnAddressChange(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame,
                                      const CefString& url) {
  log_.Add("OnAddressChange", url.ToString() + (frame && frame->IsMain() ? "|main" : "|sub"));
}

void RecordingClient::OnTitleChange(CefRefPtr<CefBrowser>, const CefString& title) {
  log_.Add("OnTitleChange", title.ToString());
}

bool RecordingClient::OnConsoleMessage(CefRefPtr<CefBrowser>, cef_log_severity_t level,
                                       const CefString& message, const CefString&, int) {
  log_.Add("OnConsoleMessage", std::to_string(level) + "|" + message.ToString());
  return true;
}

void RecordingClient::OnLoadingStateChange(CefRefPtr<CefBrowser>, bool isLoading, bool canGoBack,
                                           bool canGoForward) {
  log_.Add("OnLoadingStateChange", std::string(isLoading ? "loading" : "idle") +
                                       (canGoBack ? "|back" : "|-") +
                                       (canGoForward ? "|forward" : "|-"));
}

void RecordingClient::OnLoadStart(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame,
                                  TransitionType) {
  log_.Add("OnLoadStart", frame->GetURL().ToString());
}

void RecordingClient::OnLoadEnd(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame,
                                int httpStatusCode) {
  log_.Add("OnLoadEnd", frame->GetURL().ToString() + "|" + std::to_string(httpStatusCode));
}

void RecordingClient::OnLoadError(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame>, ErrorCode errorCode,
                                  const CefString&, const CefString& failedUrl) {
  log_.Add("OnLoadError", failedUrl.ToString() + "|" + std::to_string(errorCode));
}

bool RecordingClient::OnBeforeBrowse(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame,
                                     CefRefPtr<CefRequest> request, bool, bool isRedirect) {
  const std::string url = request->GetURL().ToString();
  log_.Add("OnBeforeBrowse", url + (isRedirect ? "|redirect" : "|first") +
                                 (frame && frame->IsMain() ? "|main" : "|sub"));
  return cancelNavigation && cancelNavigation(url, isRedirect);
}

void RecordingClient::OnRenderProcessTerminated(CefRefPtr<CefBrowser>, TerminationStatus status) {
  log_.Add("OnRenderProcessTerminated", std::to_string(status));
}

bool RecordingClient::OnJSDialog(CefRefPtr<CefBrowser>, const CefString& originUrl,
                                 JSDialogType dialogType, const CefString& messageText,
                                 const CefString& defaultPromptText,
                                 CefRefPtr<CefJSDialogCallback> callback, bool& suppressMessage) {
  log_.Add("OnJSDialog", std::to_string(dialogType) + "|" + messageText.ToString() + "|" +
                             defaultPromptText.ToString() + "|" + originUrl.ToString());
  if (dialogAnswer) return dialogAnswer(callback, suppressMessage);
  suppressMessage = true;
  return false;
}

void RecordingClient::OnBeforeContextMenu(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame>,
                                          CefRefPtr<CefContextMenuParams> params,
                                          CefRefPtr<CefMenuModel> model) {
  // Flags, point, what was selected, and the items offered.
  std::string items;
  for (size_t i = 0; i < model->GetCount(); ++i) {
    items += (i ? "," : "") + std::to_string(model->GetCommandIdAt(i));
  }
  log_.Add("OnBeforeContextMenu", std::to_string(params->GetTypeFlags()) + "|" +
                                      std::to_string(params->GetXCoord()) + "," +
                                      std::to_string(params->GetYCoord()) + "|" +
                                      params->GetSelectionText().ToString() + "|" + items);
  if (clearMenu) model->Clear();
}

bool RecordingClient::OnContextMenuCommand(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame>,
                                           CefRefPtr<CefContextMenuParams>, int commandId,
                                           EventFlags) {
  log_.Add("OnContextMenuCommand", std::to_string(commandId));
  return handleMenuCommand;
}

void RecordingClient::OnContextMenuDismissed(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame>) {
  log_.Add("OnContextMenuDismissed");
}

bool RecordingClient::OnProcessMessageReceived(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame>,
                                               CefProcessId sourceProcess,
                                               CefRefPtr<CefProcessMessage> message) {
  log_.Add("OnProcessMessageReceived",
           message->GetName().ToString() + (sourceProcess == PID_RENDERER ? "|renderer" : "|?"));
  if (onMessage) onMessage(browser, message);
  return true;
}

void RecordingApp::OnBeforeCommandLineProcessing(const CefString& processType,
                                                 CefRefPtr<CefCommandLine> commandLine) {
  log_.Add("OnBeforeCommandLineProcessing", processType.ToString());
  for (const auto& s : switchesToAdd) {
    if (s.second.empty()) {
      commandLine->AppendSwitch(s.first);
    } else {
      commandLine->AppendSwitchWithValue(s.first, s.second);
    }
  }
}

void RecordingApp::OnRegisterCustomSchemes(CefRawPtr<CefSchemeRegistrar>) {
  log_.Add("OnRegisterCustomSchemes");
}

void RecordingApp::OnContextInitialized() {
  log_.Add("OnContextInitialized");
}

void RecordingApp::OnWebKitInitialized() {
  log_.Add("OnWebKitInitialized");
  bool all = true;
  for (const ExtensionSpec& e : extensions_) {
    all = CefRegisterExtension(e.name, e.code, e.handler) && all;
  }
  extensionsRegistered = all;
}

void RecordingApp::OnBrowserCreated(CefRefPtr<CefBrowser> browser, CefRefPtr<CefDictionaryValue>) {
  log_.Add("OnBrowserCreated", std::to_string(browser->GetIdentifier()));
}

void RecordingApp::OnContextCreated(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame,
                                    CefRefPtr<CefV8Context> context) {
  log_.Add("OnContextCreated", frame ? frame->GetURL().ToString() : std::string());
  (void)context;
}

void RecordingApp::OnContextReleased(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame,
                                     CefRefPtr<CefV8Context>) {
  log_.Add("OnContextReleased", frame ? frame->GetURL().ToString() : std::string());
}

bool RecordingApp::OnProcessMessageReceived(CefRefPtr<CefBrowser> browser,
                                            CefRefPtr<CefFrame> frame, CefProcessId sourceProcess,
                                            CefRefPtr<CefProcessMessage> message) {
  log_.Add("RendererMessage",
           message->GetName().ToString() + (sourceProcess == PID_BROWSER ? "|browser" : "|?"));
  if (onRendererMessage) onRendererMessage(browser, frame, message);
  return false;
}

bool FunctionHandler::Execute(const CefString& name, CefRefPtr<CefV8Value>,
                              const CefV8ValueList& arguments, CefRefPtr<CefV8Value>& retval,
                              CefString& exception) {
  for (auto& f : functions_) {
    if (f.first == name.ToString()) return f.second(arguments, retval, exception);
  }
  return false;
}

CefSettings ZeroSettings() {
  CefSettings settings;
  std::memset(&settings, 0, sizeof(settings));
  settings.size = sizeof(settings);
  return settings;
}

bool OpenTopLevelBrowser(CefRefPtr<RecordingClient> client, const std::string& url) {
  CefWindowInfo info;
  info.style = WS_OVERLAPPEDWINDOW;
  info.width = 400;
  info.height = 300;
  return CefBrowserHost::CreateBrowser(info, client.get(), url, CefBrowserSettings(), nullptr,
                                       nullptr) &&
         WaitFor([&] { return client->Browser() != nullptr; });
}

}  // namespace engine_test

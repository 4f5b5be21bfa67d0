#include "browser_host/browser_handler.h"

#include <algorithm>
#include <utility>

#include "browser_host/browser_events.h"
#include "browser_host/cef_manager.h"

namespace vok_comp {

namespace event = browser_event;

BrowserHandler::BrowserHandler() : selfFlag_(WeakFlagOf()) {}

void BrowserHandler::SetHandlerDelegate(HandlerDelegate* delegate) {
  // The flag is taken here, on the UI thread: it is made lazily and must not be made from
  // the engine thread while the control uses it.
  if (!delegate) {
    relay_.Attach(nullptr, {});
    return;
  }
  relay_.Attach(&delegate->Events(), delegate->WeakFlagOf());
}

CefRefPtr<CefBrowser> BrowserHandler::GetBrowser() {
  std::lock_guard<std::mutex> hold(browserLock_);
  return currentBrowser;
}

CefRefPtr<CefBrowserHost> BrowserHandler::GetBrowserHost() {
  CefRefPtr<CefBrowser> browser = GetBrowser();
  return browser ? browser->GetHost() : nullptr;
}

UnregistedCallbackList::Closure BrowserHandler::AddAfterCreatedTask(
    UnregistedCallbackList::Closure task) {
  return afterCreatedTasks.AddCallback(std::move(task));
}

bool BrowserHandler::OnProcessMessageReceived(CefRefPtr<CefBrowser> browser,
                                              CefRefPtr<CefFrame> frame, CefProcessId,
                                              CefRefPtr<CefProcessMessage> message) {
  if (!message || message->GetName() != "CallCppFunction") return false;
  CefRefPtr<CefListValue> args = message->GetArgumentList();
  relay_.Ask<event::ExecuteCppFunc>(args->GetString(0), args->GetString(1), args->GetInt(2),
                                    browser, frame);
  return true;
}

bool BrowserHandler::OnBeforePopup(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                   const CefString& targetUrl, const CefString&,
                                   cef_window_open_disposition_t, bool userGesture,
                                   const CefPopupFeatures&, CefWindowInfo&, CefRefPtr<CefClient>&,
                                   CefBrowserSettings&, CefRefPtr<CefDictionaryValue>&, bool*) {
  CefRefPtr<CefBrowser> current = GetBrowser();
  if (!current || targetUrl.empty()) return true;
  // Without a control the address is simply loaded here.
  if (relay_.Ask<event::BeforePopup>(browser, frame, targetUrl.ToWString(), userGesture)
          .value_or(true)) {
    current->GetMainFrame()->LoadURL(targetUrl);
  }
  return true;
}

void BrowserHandler::OnAfterCreated(CefRefPtr<CefBrowser> browser) {
  CefRefPtr<BrowserHandler> self(this);
  EventRelay::PostToUi(selfFlag_, [self, browser] { self->AddBrowser(browser); });
}

void BrowserHandler::OnBeforeClose(CefRefPtr<CefBrowser> browser) {
  CefRefPtr<BrowserHandler> self(this);
  EventRelay::PostToUi(selfFlag_, [self, browser] { self->RemoveBrowser(browser); });
}

void BrowserHandler::SetCurrentBrowser(CefRefPtr<CefBrowser> browser) {
  std::lock_guard<std::mutex> hold(browserLock_);
  currentBrowser = browser;
}

void BrowserHandler::AddBrowser(CefRefPtr<CefBrowser> browser) {
  browserList.push_back(browser);
  CefRefPtr<CefBrowser> previous = GetBrowser();
  if (previous) previous->GetHost()->WasHidden(true);
  SetCurrentBrowser(browser);
  CefManager::GetInstance()->IncrementBrowserCount();
  if (closeOnArrival_) {
    // Its control went while the browser was being made; its close lowers the count.
    browser->GetHost()->CloseBrowser(true);
    afterCreatedTasks.RunAndClear();
    return;
  }
  relay_.Raise<event::AfterCreated>(browser);
  // The native browser window did not exist when the control last placed itself.
  relay_.Raise<event::UpdateWindowPos>();
  afterCreatedTasks.RunAndClear();
}

void BrowserHandler::RemoveBrowser(CefRefPtr<CefBrowser> browser) {
  CefManager::GetInstance()->DecrementBrowserCount();
  auto found = std::find_if(browserList.begin(), browserList.end(),
                            [&](const CefRefPtr<CefBrowser>& b) { return b->IsSame(browser); });
  if (found != browserList.end()) {
    browserList.erase(found);
    CefRefPtr<CefBrowser> current = GetBrowser();
    if (current && current->IsSame(browser)) {
      CefRefPtr<CefBrowser> next = browserList.empty() ? nullptr : browserList.back();
      SetCurrentBrowser(next);
      if (next) {
        next->GetHost()->WasHidden(false);
        next->Reload();
      }
    }
  }
  relay_.Raise<event::BeforeClose>(browser);
}

void BrowserHandler::OnBeforeContextMenu(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                         CefRefPtr<CefContextMenuParams> params,
                                         CefRefPtr<CefMenuModel> model) {
  // A control decides; without one, pages and frames get no menu.
  if (relay_.Ask<event::BeforeContextMenu>(browser, frame, params, model)) return;
  const int pageOrFrame = CM_TYPEFLAG_PAGE | CM_TYPEFLAG_FRAME;
  if ((params->GetTypeFlags() & pageOrFrame) != 0 && model->GetCount() > 0) model->Clear();
}

bool BrowserHandler::OnContextMenuCommand(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                          CefRefPtr<CefContextMenuParams> params, int commandId,
                                          EventFlags eventFlags) {
  return relay_.Ask<event::ContextMenuCommand>(browser, frame, params, commandId, eventFlags)
      .value_or(false);
}

void BrowserHandler::OnAddressChange(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                     const CefString& url) {
  relay_.Post<event::AddressChange>(browser, frame, url);
}

void BrowserHandler::OnTitleChange(CefRefPtr<CefBrowser> browser, const CefString& title) {
  relay_.Post<event::TitleChange>(browser, title.ToWString());
}

bool BrowserHandler::OnJSDialog(CefRefPtr<CefBrowser>, const CefString&, JSDialogType,
                                const CefString&, const CefString&, CefRefPtr<CefJSDialogCallback>,
                                bool& suppressMessage) {
  suppressMessage = true;
  return false;
}

void BrowserHandler::OnLoadingStateChange(CefRefPtr<CefBrowser> browser, bool isLoading,
                                          bool canGoBack, bool canGoForward) {
  relay_.Post<event::LoadingStateChange>(browser, isLoading, canGoBack, canGoForward);
}

void BrowserHandler::OnLoadStart(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                 TransitionType) {
  relay_.Post<event::LoadStart>(browser, frame);
}

void BrowserHandler::OnLoadEnd(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                               int httpStatusCode) {
  relay_.Post<event::LoadEnd>(browser, frame, httpStatusCode);
}

void BrowserHandler::OnLoadError(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                 ErrorCode errorCode, const CefString& errorText,
                                 const CefString& failedUrl) {
  relay_.Post<event::LoadError>(browser, frame, errorCode, errorText, failedUrl);
}

bool BrowserHandler::OnBeforeBrowse(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                    CefRefPtr<CefRequest> request, bool, bool isRedirect) {
  return relay_.Ask<event::BeforeNavigate>(browser, frame, request, isRedirect).value_or(false);
}

bool BrowserHandler::OnQuotaRequest(CefRefPtr<CefBrowser>, const CefString&, int64_t newSize,
                                    CefRefPtr<CefRequestCallback> callback) {
  callback->Continue(newSize <= kQuotaLimit);
  return true;
}

void BrowserHandler::OnRenderProcessTerminated(CefRefPtr<CefBrowser> browser,
                                               TerminationStatus status) {
  relay_.Post<event::RenderProcessTerminated>(browser, status);
}

void BrowserHandler::OnBeforeDownload(CefRefPtr<CefBrowser> browser,
                                      CefRefPtr<CefDownloadItem> downloadItem,
                                      const CefString& suggestedName,
                                      CefRefPtr<CefBeforeDownloadCallback> callback) {
  // Without a control nothing continues the download, so it never starts.
  relay_.Ask<event::BeforeDownload>(browser, downloadItem, suggestedName, callback);
}

void BrowserHandler::OnDownloadUpdated(CefRefPtr<CefBrowser> browser,
                                       CefRefPtr<CefDownloadItem> downloadItem,
                                       CefRefPtr<CefDownloadItemCallback> callback) {
  relay_.Ask<event::DownloadUpdated>(browser, downloadItem, callback);
}

bool BrowserHandler::OnFileDialog(CefRefPtr<CefBrowser> browser, FileDialogMode mode,
                                  const CefString& title, const CefString& defaultFilePath,
                                  const std::vector<CefString>& acceptFilters,
                                  int selectedAcceptFilter,
                                  CefRefPtr<CefFileDialogCallback> callback) {
  return relay_
      .Ask<event::FileDialog>(browser, mode, title, defaultFilePath, acceptFilters,
                              selectedAcceptFilter, callback)
      .value_or(false);
}

}  // namespace vok_comp

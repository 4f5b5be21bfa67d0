#include "browser_host/browser_handler.h"

#include <algorithm>
#include <utility>

#include "browser_host/cef_manager.h"
#include "runtime/thread_registry.h"

namespace vok_comp {

namespace {

bool PostToUi(kbase::Task task) {
  return kbase::ThreadRegistry::PostToThread(kbase::kMainThreadId, std::move(task));
}

}  // namespace

BrowserHandler::BrowserHandler() : selfFlag_(WeakFlagOf()) {}

void BrowserHandler::SetHandlerDelegate(HandlerDelegate* delegate) {
  // Taken here, on the UI thread: the flag is made lazily and must not be made from the
  // engine thread while the control uses it.
  std::weak_ptr<kbase::WeakFlag> flag;
  if (delegate) flag = delegate->WeakFlagOf();
  std::unique_lock<std::mutex> hold(delegateLock_);
  handlerDelegate = delegate;
  delegateFlag_ = flag;
  decisionsDone_.wait(hold, [this] { return decisionsInFlight_ == 0; });
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

template <typename R>
R BrowserHandler::AskDelegate(std::function<R(HandlerDelegate&)> ask, R fallback) {
  HandlerDelegate* delegate = nullptr;
  {
    std::lock_guard<std::mutex> hold(delegateLock_);
    delegate = handlerDelegate;
    if (!delegate) return fallback;
    ++decisionsInFlight_;
  }
  R answer = ask(*delegate);
  {
    std::lock_guard<std::mutex> hold(delegateLock_);
    --decisionsInFlight_;
  }
  decisionsDone_.notify_all();
  return answer;
}

void BrowserHandler::Notify(std::function<void(HandlerDelegate&)> notify) {
  HandlerDelegate* delegate = nullptr;
  std::weak_ptr<kbase::WeakFlag> flag;
  {
    std::lock_guard<std::mutex> hold(delegateLock_);
    delegate = handlerDelegate;
    flag = delegateFlag_;
  }
  if (!delegate) return;
  PostToUi(kbase::WeakCallback<std::function<void()>>(
      flag, [delegate, notify = std::move(notify)] { notify(*delegate); }));
}

bool BrowserHandler::OnProcessMessageReceived(CefRefPtr<CefBrowser> browser,
                                              CefRefPtr<CefFrame> frame, CefProcessId,
                                              CefRefPtr<CefProcessMessage> message) {
  if (!message || message->GetName() != "CallCppFunction") return false;
  CefRefPtr<CefListValue> args = message->GetArgumentList();
  const CefString name = args->GetString(0);
  const CefString params = args->GetString(1);
  const int callbackId = args->GetInt(2);
  AskDelegate<bool>(
      [&](HandlerDelegate& d) {
        return d.OnExecuteCppFunc(name, params, callbackId, browser, frame);
      },
      false);
  return true;
}

bool BrowserHandler::OnBeforePopup(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                   const CefString& targetUrl, const CefString& targetFrameName,
                                   cef_window_open_disposition_t targetDisposition,
                                   bool userGesture, const CefPopupFeatures& popupFeatures,
                                   CefWindowInfo& windowInfo, CefRefPtr<CefClient>& client,
                                   CefBrowserSettings& settings, CefRefPtr<CefDictionaryValue>&,
                                   bool* noJavascriptAccess) {
  CefRefPtr<CefBrowser> current = GetBrowser();
  if (!current || targetUrl.empty()) return true;
  const bool open = AskDelegate<bool>(
      [&](HandlerDelegate& d) {
        return d.OnBeforePopup(browser, frame, targetUrl, targetFrameName, targetDisposition,
                               userGesture, popupFeatures, windowInfo, client, settings,
                               noJavascriptAccess);
      },
      true);
  if (open) current->GetMainFrame()->LoadURL(targetUrl);
  return true;
}

void BrowserHandler::OnAfterCreated(CefRefPtr<CefBrowser> browser) {
  CefRefPtr<BrowserHandler> self(this);
  PostToUi(kbase::WeakCallback<std::function<void()>>(
      selfFlag_, [self, browser] { self->AddBrowser(browser); }));
}

void BrowserHandler::OnBeforeClose(CefRefPtr<CefBrowser> browser) {
  CefRefPtr<BrowserHandler> self(this);
  PostToUi(kbase::WeakCallback<std::function<void()>>(
      selfFlag_, [self, browser] { self->RemoveBrowser(browser); }));
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
  // Only the UI thread changes the delegate, so reading it here needs no decision count.
  HandlerDelegate* delegate = handlerDelegate;
  if (delegate) {
    delegate->OnAfterCreated(browser);
    // The native browser window did not exist when the control last placed itself.
    delegate->UpdateWindowPos();
  }
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
  HandlerDelegate* delegate = handlerDelegate;
  if (delegate) delegate->OnBeforeClose(browser);
}

void BrowserHandler::OnBeforeContextMenu(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                         CefRefPtr<CefContextMenuParams> params,
                                         CefRefPtr<CefMenuModel> model) {
  const bool decided = AskDelegate<bool>(
      [&](HandlerDelegate& d) {
        d.OnBeforeContextMenu(browser, frame, params, model);
        return true;
      },
      false);
  if (decided) return;
  const int pageOrFrame = CM_TYPEFLAG_PAGE | CM_TYPEFLAG_FRAME;
  if ((params->GetTypeFlags() & pageOrFrame) != 0 && model->GetCount() > 0) model->Clear();
}

bool BrowserHandler::OnContextMenuCommand(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                          CefRefPtr<CefContextMenuParams> params, int commandId,
                                          EventFlags eventFlags) {
  return AskDelegate<bool>(
      [&](HandlerDelegate& d) {
        return d.OnContextMenuCommand(browser, frame, params, commandId, eventFlags);
      },
      false);
}

void BrowserHandler::OnAddressChange(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                     const CefString& url) {
  Notify([browser, frame, url](HandlerDelegate& d) { d.OnAddressChange(browser, frame, url); });
}

void BrowserHandler::OnTitleChange(CefRefPtr<CefBrowser> browser, const CefString& title) {
  Notify([browser, title](HandlerDelegate& d) { d.OnTitleChange(browser, title); });
}

bool BrowserHandler::OnJSDialog(CefRefPtr<CefBrowser>, const CefString&, JSDialogType,
                                const CefString&, const CefString&, CefRefPtr<CefJSDialogCallback>,
                                bool& suppressMessage) {
  suppressMessage = true;
  return false;
}

void BrowserHandler::OnLoadingStateChange(CefRefPtr<CefBrowser> browser, bool isLoading,
                                          bool canGoBack, bool canGoForward) {
  Notify([=](HandlerDelegate& d) {
    d.OnLoadingStateChange(browser, isLoading, canGoBack, canGoForward);
  });
}

void BrowserHandler::OnLoadStart(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                 TransitionType) {
  Notify([browser, frame](HandlerDelegate& d) { d.OnLoadStart(browser, frame); });
}

void BrowserHandler::OnLoadEnd(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                               int httpStatusCode) {
  Notify([=](HandlerDelegate& d) { d.OnLoadEnd(browser, frame, httpStatusCode); });
}

void BrowserHandler::OnLoadError(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                 ErrorCode errorCode, const CefString& errorText,
                                 const CefString& failedUrl) {
  Notify(
      [=](HandlerDelegate& d) { d.OnLoadError(browser, frame, errorCode, errorText, failedUrl); });
}

bool BrowserHandler::OnBeforeBrowse(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                    CefRefPtr<CefRequest> request, bool, bool isRedirect) {
  return AskDelegate<bool>(
      [&](HandlerDelegate& d) { return d.OnBeforeBrowse(browser, frame, request, isRedirect); },
      false);
}

bool BrowserHandler::OnQuotaRequest(CefRefPtr<CefBrowser>, const CefString&, int64_t newSize,
                                    CefRefPtr<CefRequestCallback> callback) {
  callback->Continue(newSize <= kQuotaLimit);
  return true;
}

void BrowserHandler::OnRenderProcessTerminated(CefRefPtr<CefBrowser> browser,
                                               TerminationStatus status) {
  Notify([browser, status](HandlerDelegate& d) { d.OnRenderProcessTerminated(browser, status); });
}

void BrowserHandler::OnBeforeDownload(CefRefPtr<CefBrowser> browser,
                                      CefRefPtr<CefDownloadItem> downloadItem,
                                      const CefString& suggestedName,
                                      CefRefPtr<CefBeforeDownloadCallback> callback) {
  AskDelegate<bool>(
      [&](HandlerDelegate& d) {
        d.OnBeforeDownload(browser, downloadItem, suggestedName, callback);
        return true;
      },
      false);
}

void BrowserHandler::OnDownloadUpdated(CefRefPtr<CefBrowser> browser,
                                       CefRefPtr<CefDownloadItem> downloadItem,
                                       CefRefPtr<CefDownloadItemCallback> callback) {
  AskDelegate<bool>(
      [&](HandlerDelegate& d) {
        d.OnDownloadUpdated(browser, downloadItem, callback);
        return true;
      },
      false);
}

bool BrowserHandler::OnFileDialog(CefRefPtr<CefBrowser> browser, FileDialogMode mode,
                                  const CefString& title, const CefString& defaultFilePath,
                                  const std::vector<CefString>& acceptFilters,
                                  int selectedAcceptFilter,
                                  CefRefPtr<CefFileDialogCallback> callback) {
  return AskDelegate<bool>(
      [&](HandlerDelegate& d) {
        return d.OnFileDialog(browser, mode, title, defaultFilePath, acceptFilters,
                              selectedAcceptFilter, callback);
      },
      false);
}

}  // namespace vok_comp

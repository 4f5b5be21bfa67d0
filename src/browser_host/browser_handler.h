#pragma once

#include <memory>
#include <mutex>
#include <vector>

#include "browser_host/event_relay.h"
#include "browser_host/event_table.h"
#include "browser_host/unregisted_callback_list.h"
#include "engine/cef/cef_client.h"
#include "runtime/weak_callback.h"

namespace vok_comp {

// The engine client of one browser control. Notifications reach the control on the UI
// thread as tasks that die with it; decisions the engine waits for are asked of the control
// on the engine's thread.
class BrowserHandler : public kbase::SupportWeakCallback,
                       public CefClient,
                       public CefLifeSpanHandler,
                       public CefContextMenuHandler,
                       public CefDisplayHandler,
                       public CefDragHandler,
                       public CefJSDialogHandler,
                       public CefKeyboardHandler,
                       public CefLoadHandler,
                       public CefRequestHandler,
                       public CefDownloadHandler,
                       public CefDialogHandler {
 public:
  // The receiving end of the handler's events: a control. It reacts to some events itself
  // and passes others on to the callbacks its window set, all through one event table.
  class HandlerDelegate : public virtual kbase::SupportWeakCallback {
   public:
    EventTable& Events() { return events_; }

   protected:
    HandlerDelegate() = default;

   private:
    EventTable events_;
  };

  // Storage above this size is refused.
  static constexpr int64_t kQuotaLimit = 20 * 1024 * 1024;

  BrowserHandler();

  // UI thread. Clearing waits for a decision the engine thread is asking of the old
  // delegate, so the control can be destroyed safely right after.
  void SetHandlerDelegate(HandlerDelegate* delegate);
  // UI thread: the control is going. A browser still being made has nobody left to close
  // it, so it is closed as soon as it arrives.
  void CloseBrowsersOnArrival() { closeOnArrival_ = true; }
  CefRefPtr<CefBrowser> GetBrowser();
  CefRefPtr<CefBrowserHost> GetBrowserHost();
  UnregistedCallbackList::Closure AddAfterCreatedTask(UnregistedCallbackList::Closure task);

  // CefClient
  CefRefPtr<CefContextMenuHandler> GetContextMenuHandler() override { return this; }
  CefRefPtr<CefDialogHandler> GetDialogHandler() override { return this; }
  CefRefPtr<CefDisplayHandler> GetDisplayHandler() override { return this; }
  CefRefPtr<CefDownloadHandler> GetDownloadHandler() override { return this; }
  CefRefPtr<CefDragHandler> GetDragHandler() override { return this; }
  CefRefPtr<CefJSDialogHandler> GetJSDialogHandler() override { return this; }
  CefRefPtr<CefKeyboardHandler> GetKeyboardHandler() override { return this; }
  CefRefPtr<CefLifeSpanHandler> GetLifeSpanHandler() override { return this; }
  CefRefPtr<CefLoadHandler> GetLoadHandler() override { return this; }
  CefRefPtr<CefRequestHandler> GetRequestHandler() override { return this; }
  bool OnProcessMessageReceived(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                CefProcessId sourceProcess,
                                CefRefPtr<CefProcessMessage> message) override;

  // CefLifeSpanHandler
  bool OnBeforePopup(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                     const CefString& targetUrl, const CefString& targetFrameName,
                     cef_window_open_disposition_t targetDisposition, bool userGesture,
                     const CefPopupFeatures& popupFeatures, CefWindowInfo& windowInfo,
                     CefRefPtr<CefClient>& client, CefBrowserSettings& settings,
                     CefRefPtr<CefDictionaryValue>& extraInfo, bool* noJavascriptAccess) override;
  void OnAfterCreated(CefRefPtr<CefBrowser> browser) override;
  bool DoClose(CefRefPtr<CefBrowser>) override { return false; }
  void OnBeforeClose(CefRefPtr<CefBrowser> browser) override;

  // CefContextMenuHandler
  void OnBeforeContextMenu(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                           CefRefPtr<CefContextMenuParams> params,
                           CefRefPtr<CefMenuModel> model) override;
  bool OnContextMenuCommand(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                            CefRefPtr<CefContextMenuParams> params, int commandId,
                            EventFlags eventFlags) override;

  // CefDisplayHandler
  void OnAddressChange(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                       const CefString& url) override;
  void OnTitleChange(CefRefPtr<CefBrowser> browser, const CefString& title) override;
  bool OnConsoleMessage(CefRefPtr<CefBrowser>, cef_log_severity_t, const CefString&,
                        const CefString&, int) override {
    return true;
  }

  // CefJSDialogHandler
  bool OnJSDialog(CefRefPtr<CefBrowser> browser, const CefString& originUrl,
                  JSDialogType dialogType, const CefString& messageText,
                  const CefString& defaultPromptText, CefRefPtr<CefJSDialogCallback> callback,
                  bool& suppressMessage) override;

  // CefLoadHandler
  void OnLoadingStateChange(CefRefPtr<CefBrowser> browser, bool isLoading, bool canGoBack,
                            bool canGoForward) override;
  void OnLoadStart(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                   TransitionType transitionType) override;
  void OnLoadEnd(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                 int httpStatusCode) override;
  void OnLoadError(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame, ErrorCode errorCode,
                   const CefString& errorText, const CefString& failedUrl) override;

  // CefRequestHandler
  bool OnBeforeBrowse(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                      CefRefPtr<CefRequest> request, bool userGesture, bool isRedirect) override;
  bool OnQuotaRequest(CefRefPtr<CefBrowser> browser, const CefString& originUrl, int64_t newSize,
                      CefRefPtr<CefRequestCallback> callback) override;
  void OnRenderProcessTerminated(CefRefPtr<CefBrowser> browser, TerminationStatus status) override;

  // CefDownloadHandler
  void OnBeforeDownload(CefRefPtr<CefBrowser> browser, CefRefPtr<CefDownloadItem> downloadItem,
                        const CefString& suggestedName,
                        CefRefPtr<CefBeforeDownloadCallback> callback) override;
  void OnDownloadUpdated(CefRefPtr<CefBrowser> browser, CefRefPtr<CefDownloadItem> downloadItem,
                         CefRefPtr<CefDownloadItemCallback> callback) override;

  // CefDialogHandler
  bool OnFileDialog(CefRefPtr<CefBrowser> browser, FileDialogMode mode, const CefString& title,
                    const CefString& defaultFilePath, const std::vector<CefString>& acceptFilters,
                    int selectedAcceptFilter, CefRefPtr<CefFileDialogCallback> callback) override;

 private:
  void AddBrowser(CefRefPtr<CefBrowser> browser);
  void RemoveBrowser(CefRefPtr<CefBrowser> browser);
  void SetCurrentBrowser(CefRefPtr<CefBrowser> browser);

  EventRelay relay_;        // carries the events to the attached control
  std::mutex browserLock_;  // currentBrowser, read by the engine thread
  CefRefPtr<CefBrowser> currentBrowser;
  std::vector<CefRefPtr<CefBrowser>> browserList;  // UI thread
  UnregistedCallbackList afterCreatedTasks;        // UI thread
  bool closeOnArrival_ = false;                    // UI thread
  std::weak_ptr<kbase::WeakFlag> selfFlag_;

  IMPLEMENT_REFCOUNTING(BrowserHandler);
};

}  // namespace vok_comp

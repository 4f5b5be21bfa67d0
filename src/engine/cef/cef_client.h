#pragma once

// The client of a browser and its handler interfaces. Every handler operation runs on the
// engine's own UI thread; the defaults are the engine's behaviour when a client does not
// override them.

#include <cstdint>
#include <vector>

#include "engine/cef/cef_base.h"
#include "engine/cef/cef_browser.h"
#include "engine/cef/cef_callbacks.h"
#include "engine/cef/cef_process_message.h"
#include "engine/cef/cef_request.h"
#include "engine/cef/cef_string.h"
#include "engine/cef/cef_types.h"
#include "engine/cef/cef_values.h"

// The default implementations leave their arguments unused.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-parameter"

class CefLifeSpanHandler : public virtual CefBaseRefCounted {
 public:
  typedef cef_window_open_disposition_t WindowOpenDisposition;

  // True cancels the popup; this engine never opens popup windows (see the README).
  virtual bool OnBeforePopup(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                             const CefString& targetUrl, const CefString& targetFrameName,
                             WindowOpenDisposition targetDisposition, bool userGesture,
                             const CefPopupFeatures& popupFeatures, CefWindowInfo& windowInfo,
                             CefRefPtr<CefClient>& client, CefBrowserSettings& settings,
                             CefRefPtr<CefDictionaryValue>& extraInfo, bool* noJavascriptAccess) {
    return false;
  }
  virtual void OnAfterCreated(CefRefPtr<CefBrowser> browser) {}
  virtual bool DoClose(CefRefPtr<CefBrowser> browser) { return false; }
  virtual void OnBeforeClose(CefRefPtr<CefBrowser> browser) {}
};

class CefContextMenuHandler : public virtual CefBaseRefCounted {
 public:
  typedef cef_event_flags_t EventFlags;
  virtual void OnBeforeContextMenu(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                   CefRefPtr<CefContextMenuParams> params,
                                   CefRefPtr<CefMenuModel> model) {}
  virtual bool RunContextMenu(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                              CefRefPtr<CefContextMenuParams> params, CefRefPtr<CefMenuModel> model,
                              CefRefPtr<CefCallback> callback) {
    return false;
  }
  virtual bool OnContextMenuCommand(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                    CefRefPtr<CefContextMenuParams> params, int commandId,
                                    EventFlags eventFlags) {
    return false;
  }
  virtual void OnContextMenuDismissed(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame) {}
};

class CefDialogHandler : public virtual CefBaseRefCounted {
 public:
  typedef cef_file_dialog_mode_t FileDialogMode;
  virtual bool OnFileDialog(CefRefPtr<CefBrowser> browser, FileDialogMode mode,
                            const CefString& title, const CefString& defaultFilePath,
                            const std::vector<CefString>& acceptFilters, int selectedAcceptFilter,
                            CefRefPtr<CefFileDialogCallback> callback) {
    return false;
  }
};

class CefDisplayHandler : public virtual CefBaseRefCounted {
 public:
  virtual void OnAddressChange(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                               const CefString& url) {}
  virtual void OnTitleChange(CefRefPtr<CefBrowser> browser, const CefString& title) {}
  virtual void OnFullscreenModeChange(CefRefPtr<CefBrowser> browser, bool fullscreen) {}
  virtual bool OnTooltip(CefRefPtr<CefBrowser> browser, CefString& text) { return false; }
  virtual void OnStatusMessage(CefRefPtr<CefBrowser> browser, const CefString& value) {}
  // True keeps the message out of the engine's log.
  virtual bool OnConsoleMessage(CefRefPtr<CefBrowser> browser, cef_log_severity_t level,
                                const CefString& message, const CefString& source, int line) {
    return false;
  }
  virtual void OnLoadingProgressChange(CefRefPtr<CefBrowser> browser, double progress) {}
};

class CefDownloadHandler : public virtual CefBaseRefCounted {
 public:
  virtual void OnBeforeDownload(CefRefPtr<CefBrowser> browser,
                                CefRefPtr<CefDownloadItem> downloadItem,
                                const CefString& suggestedName,
                                CefRefPtr<CefBeforeDownloadCallback> callback) {}
  virtual void OnDownloadUpdated(CefRefPtr<CefBrowser> browser,
                                 CefRefPtr<CefDownloadItem> downloadItem,
                                 CefRefPtr<CefDownloadItemCallback> callback) {}
};

class CefDragHandler : public virtual CefBaseRefCounted {
 public:
  typedef cef_drag_operations_mask_t DragOperationsMask;
  virtual bool OnDragEnter(CefRefPtr<CefBrowser> browser, CefRefPtr<CefDragData> dragData,
                           DragOperationsMask mask) {
    return false;
  }
};

class CefFindHandler : public virtual CefBaseRefCounted {};
class CefFocusHandler : public virtual CefBaseRefCounted {};
class CefAudioHandler : public virtual CefBaseRefCounted {};
class CefRenderHandler : public virtual CefBaseRefCounted {};
class CefResourceRequestHandler : public virtual CefBaseRefCounted {};

class CefJSDialogHandler : public virtual CefBaseRefCounted {
 public:
  typedef cef_jsdialog_type_t JSDialogType;
  // True: the handler answers through the callback, now or later. False with
  // suppressMessage set: the dialog is dismissed at once as cancelled.
  virtual bool OnJSDialog(CefRefPtr<CefBrowser> browser, const CefString& originUrl,
                          JSDialogType dialogType, const CefString& messageText,
                          const CefString& defaultPromptText,
                          CefRefPtr<CefJSDialogCallback> callback, bool& suppressMessage) {
    return false;
  }
  virtual bool OnBeforeUnloadDialog(CefRefPtr<CefBrowser> browser, const CefString& messageText,
                                    bool isReload, CefRefPtr<CefJSDialogCallback> callback) {
    return false;
  }
  virtual void OnResetDialogState(CefRefPtr<CefBrowser> browser) {}
  virtual void OnDialogClosed(CefRefPtr<CefBrowser> browser) {}
};

class CefKeyboardHandler : public virtual CefBaseRefCounted {
 public:
  virtual bool OnPreKeyEvent(CefRefPtr<CefBrowser> browser, const CefKeyEvent& event,
                             CefEventHandle osEvent, bool* isKeyboardShortcut) {
    return false;
  }
  virtual bool OnKeyEvent(CefRefPtr<CefBrowser> browser, const CefKeyEvent& event,
                          CefEventHandle osEvent) {
    return false;
  }
};

class CefLoadHandler : public virtual CefBaseRefCounted {
 public:
  typedef cef_errorcode_t ErrorCode;
  typedef cef_transition_type_t TransitionType;
  virtual void OnLoadingStateChange(CefRefPtr<CefBrowser> browser, bool isLoading, bool canGoBack,
                                    bool canGoForward) {}
  virtual void OnLoadStart(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                           TransitionType transitionType) {}
  virtual void OnLoadEnd(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                         int httpStatusCode) {}
  virtual void OnLoadError(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                           ErrorCode errorCode, const CefString& errorText,
                           const CefString& failedUrl) {}
};

class CefRequestHandler : public virtual CefBaseRefCounted {
 public:
  typedef cef_termination_status_t TerminationStatus;
  typedef cef_window_open_disposition_t WindowOpenDisposition;
  typedef std::vector<CefRefPtr<CefX509Certificate>> X509CertificateList;

  // True cancels the navigation; the page shown before stays.
  virtual bool OnBeforeBrowse(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                              CefRefPtr<CefRequest> request, bool userGesture, bool isRedirect) {
    return false;
  }
  virtual bool OnOpenURLFromTab(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                const CefString& targetUrl, WindowOpenDisposition targetDisposition,
                                bool userGesture) {
    return false;
  }
  virtual CefRefPtr<CefResourceRequestHandler> GetResourceRequestHandler(
      CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame, CefRefPtr<CefRequest> request,
      bool isNavigation, bool isDownload, const CefString& requestInitiator,
      bool& disableDefaultHandling) {
    return nullptr;
  }
  virtual bool GetAuthCredentials(CefRefPtr<CefBrowser> browser, const CefString& originUrl,
                                  bool isProxy, const CefString& host, int port,
                                  const CefString& realm, const CefString& scheme,
                                  CefRefPtr<CefAuthCallback> callback) {
    return false;
  }
  virtual bool OnQuotaRequest(CefRefPtr<CefBrowser> browser, const CefString& originUrl,
                              int64_t newSize, CefRefPtr<CefRequestCallback> callback) {
    return false;
  }
  virtual bool OnCertificateError(CefRefPtr<CefBrowser> browser, cef_errorcode_t certError,
                                  const CefString& requestUrl, CefRefPtr<CefSSLInfo> sslInfo,
                                  CefRefPtr<CefRequestCallback> callback) {
    return false;
  }
  virtual bool OnSelectClientCertificate(CefRefPtr<CefBrowser> browser, bool isProxy,
                                         const CefString& host, int port,
                                         const X509CertificateList& certificates,
                                         CefRefPtr<CefSelectClientCertificateCallback> callback) {
    return false;
  }
  virtual void OnPluginCrashed(CefRefPtr<CefBrowser> browser, const CefString& pluginPath) {}
  virtual void OnRenderViewReady(CefRefPtr<CefBrowser> browser) {}
  virtual void OnRenderProcessTerminated(CefRefPtr<CefBrowser> browser, TerminationStatus status) {}
};

class CefClient : public virtual CefBaseRefCounted {
 public:
  virtual CefRefPtr<CefAudioHandler> GetAudioHandler() { return nullptr; }
  virtual CefRefPtr<CefContextMenuHandler> GetContextMenuHandler() { return nullptr; }
  virtual CefRefPtr<CefDialogHandler> GetDialogHandler() { return nullptr; }
  virtual CefRefPtr<CefDisplayHandler> GetDisplayHandler() { return nullptr; }
  virtual CefRefPtr<CefDownloadHandler> GetDownloadHandler() { return nullptr; }
  virtual CefRefPtr<CefDragHandler> GetDragHandler() { return nullptr; }
  virtual CefRefPtr<CefFindHandler> GetFindHandler() { return nullptr; }
  virtual CefRefPtr<CefFocusHandler> GetFocusHandler() { return nullptr; }
  virtual CefRefPtr<CefJSDialogHandler> GetJSDialogHandler() { return nullptr; }
  virtual CefRefPtr<CefKeyboardHandler> GetKeyboardHandler() { return nullptr; }
  virtual CefRefPtr<CefLifeSpanHandler> GetLifeSpanHandler() { return nullptr; }
  virtual CefRefPtr<CefLoadHandler> GetLoadHandler() { return nullptr; }
  virtual CefRefPtr<CefRenderHandler> GetRenderHandler() { return nullptr; }
  virtual CefRefPtr<CefRequestHandler> GetRequestHandler() { return nullptr; }
  // A message from the renderer side; true when handled.
  virtual bool OnProcessMessageReceived(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                        CefProcessId sourceProcess,
                                        CefRefPtr<CefProcessMessage> message) {
    return false;
  }
};

#pragma GCC diagnostic pop

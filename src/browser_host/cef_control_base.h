#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "browser_host/browser_handler.h"
#include "browser_host/cef_js_bridge.h"
#include "browser_host/render_crash_policy.h"
#include "ui/core/tree/control.h"

namespace vok_comp {

// The part of a browser control that windows program against: a control that owns its
// browser's engine client and the browser half of the page bridge, turns the browser's
// events into callbacks the window sets, and offers navigation and developer tools.
// Creating the browser and showing the tools belong to the concrete control.
class CefControlBase : public ui::Control, public BrowserHandler::HandlerDelegate {
 public:
  using BeforeContextMenuCallback =
      std::function<void(CefRefPtr<CefContextMenuParams>, CefRefPtr<CefMenuModel>)>;
  using ContextMenuCommandCallback =
      std::function<bool(CefRefPtr<CefContextMenuParams>, int commandId, cef_event_flags_t)>;
  using TitleChangeCallback = std::function<void(const std::wstring& title)>;
  using UrlChangeCallback = std::function<void(const std::wstring& url)>;
  using MainUrlChangeCallback =
      std::function<void(const CefString& oldUrl, const CefString& newUrl)>;
  using BeforePopupCallback = std::function<bool(const std::wstring& targetUrl)>;
  using LoadingStateChangeCallback =
      std::function<void(bool isLoading, bool canGoBack, bool canGoForward)>;
  using LoadStartCallback = std::function<void()>;
  using LoadEndCallback = std::function<void(int httpStatusCode)>;
  using LoadErrorCallback = std::function<void(
      cef_errorcode_t errorCode, const CefString& errorText, const CefString& failedUrl)>;
  using AfterCreatedCallback = std::function<void(CefRefPtr<CefBrowser>)>;
  using BeforeCloseCallback = std::function<void(CefRefPtr<CefBrowser>)>;
  using BeforeNavigateCallback = std::function<bool(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame>,
                                                    CefRefPtr<CefRequest>, bool isRedirect)>;
  using BeforeDownloadCallback =
      std::function<void(CefRefPtr<CefBrowser>, CefRefPtr<CefDownloadItem>,
                         const CefString& suggestedName, CefRefPtr<CefBeforeDownloadCallback>)>;
  using DownloadUpdatedCallback = std::function<void(
      CefRefPtr<CefBrowser>, CefRefPtr<CefDownloadItem>, CefRefPtr<CefDownloadItemCallback>)>;
  using FileDialogCallback = std::function<bool(
      cef_file_dialog_mode_t mode, const CefString& title, const CefString& defaultFilePath,
      const std::vector<CefString>& acceptFilters, int selectedAcceptFilter,
      CefRefPtr<CefFileDialogCallback>)>;
  using DevToolsVisibleChangeCallback = std::function<void(bool visible)>;

  CefControlBase();
  ~CefControlBase() override;

  // Loads the address now, or as soon as the browser exists.
  void LoadURL(const CefString& url);
  void GoBack();
  void GoForward();
  void Reload();
  void SetAudioMuted(bool mute);
  // False until a page has a browser to call from: windows register after a load.
  bool RegisterHostFunction(const std::wstring& name, HostFunction function, bool forAllBrowsers);
  CefRefPtr<CefBrowser> GetBrowser() const;
  // The browser's host, or none before the browser exists.
  CefRefPtr<CefBrowserHost> GetBrowserHost() const;

  virtual void RecreateBrowserHook() { ReCreateBrowser(); }
  virtual bool ShowDevTools(ui::Control* view) = 0;
  virtual void CloseDevTools();
  virtual bool IsDevToolsOpen() const { return devToolsOpen; }
  virtual void ReCreateBrowser() = 0;

  // The callbacks whose comment says so run on the engine's thread, inside its decision.
  void SetBeforeContextMenuCallback(BeforeContextMenuCallback callback);    // engine thread
  void SetContextMenuCommandCallback(ContextMenuCommandCallback callback);  // engine thread
  void SetTitleChangeCallback(TitleChangeCallback callback) { onTitleChange = std::move(callback); }
  void SetUrlChangeCallback(UrlChangeCallback callback) { onUrlChange = std::move(callback); }
  void SetMainUrlChangeCallback(MainUrlChangeCallback callback) {
    onMainUrlChange = std::move(callback);
  }
  void SetBeforePopupCallback(BeforePopupCallback callback);  // engine thread
  void SetLoadingStateChangeCallback(LoadingStateChangeCallback callback) {
    onLoadingStateChange = std::move(callback);
  }
  void SetLoadStartCallback(LoadStartCallback callback) { onLoadStart = std::move(callback); }
  void SetLoadEndCallback(LoadEndCallback callback) { onLoadEnd = std::move(callback); }
  void SetLoadErrorCallback(LoadErrorCallback callback) { onLoadError = std::move(callback); }
  void SetAfterCreatedCallback(AfterCreatedCallback callback) {
    onAfterCreated = std::move(callback);
  }
  void SetBeforeCloseCallback(BeforeCloseCallback callback) { onBeforeClose = std::move(callback); }
  void SetBeforeNavigateCallback(BeforeNavigateCallback callback);    // engine thread
  void SetBeforeDownloadCallback(BeforeDownloadCallback callback);    // engine thread
  void SetDownloadUpdatedCallback(DownloadUpdatedCallback callback);  // engine thread
  void SetFileDialogCallback(FileDialogCallback callback);            // engine thread
  void SetDevToolsVisibleChangeCallback(DevToolsVisibleChangeCallback callback) {
    onDevToolsVisibleChange = std::move(callback);
  }

  // While the page cannot be shown again after its renderer died: the message shown instead.
  bool IsShowingCrashMessage() const { return !crashMessage_.empty(); }

  // ui::Control
  void PaintText(ui::IRenderContext& context) override;

  // BrowserHandler::HandlerDelegate
  void UpdateWindowPos() override;
  void OnBeforeContextMenu(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                           CefRefPtr<CefContextMenuParams> params,
                           CefRefPtr<CefMenuModel> model) override;
  bool OnContextMenuCommand(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                            CefRefPtr<CefContextMenuParams> params, int commandId,
                            cef_event_flags_t eventFlags) override;
  void OnAddressChange(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                       const CefString& url) override;
  void OnTitleChange(CefRefPtr<CefBrowser> browser, const CefString& title) override;
  void OnLoadingStateChange(CefRefPtr<CefBrowser> browser, bool isLoading, bool canGoBack,
                            bool canGoForward) override;
  void OnLoadStart(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame) override;
  void OnLoadEnd(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                 int httpStatusCode) override;
  void OnLoadError(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                   cef_errorcode_t errorCode, const CefString& errorText,
                   const CefString& failedUrl) override;
  bool OnBeforePopup(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                     const CefString& targetUrl, const CefString& targetFrameName,
                     cef_window_open_disposition_t targetDisposition, bool userGesture,
                     const CefPopupFeatures& popupFeatures, CefWindowInfo& windowInfo,
                     CefRefPtr<CefClient>& client, CefBrowserSettings& settings,
                     bool* noJavascriptAccess) override;
  void OnAfterCreated(CefRefPtr<CefBrowser> browser) override;
  void OnBeforeClose(CefRefPtr<CefBrowser> browser) override;
  bool OnBeforeBrowse(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                      CefRefPtr<CefRequest> request, bool isRedirect) override;
  void OnRenderProcessTerminated(CefRefPtr<CefBrowser> browser,
                                 cef_termination_status_t status) override;
  void OnBeforeDownload(CefRefPtr<CefBrowser> browser, CefRefPtr<CefDownloadItem> downloadItem,
                        const CefString& suggestedName,
                        CefRefPtr<CefBeforeDownloadCallback> callback) override;
  void OnDownloadUpdated(CefRefPtr<CefBrowser> browser, CefRefPtr<CefDownloadItem> downloadItem,
                         CefRefPtr<CefDownloadItemCallback> callback) override;
  bool OnFileDialog(CefRefPtr<CefBrowser> browser, cef_file_dialog_mode_t mode,
                    const CefString& title, const CefString& defaultFilePath,
                    const std::vector<CefString>& acceptFilters, int selectedAcceptFilter,
                    CefRefPtr<CefFileDialogCallback> callback) override;
  bool OnExecuteCppFunc(const CefString& functionName, const CefString& params, int callbackId,
                        CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame) override;

 protected:
  // Runs `task` with this control once the browser exists; nothing once the control is gone.
  void AfterBrowserCreated(std::function<void(CefControlBase&)> task);
  // The concrete control shows or hides its page, for the crash message.
  virtual void ShowPage(bool show) = 0;
  // A page loaded on the window's word is shown again in place of the crash message.
  void ClearCrashMessage();
  void NotifyDevToolsVisible(bool visible);

  CefRefPtr<BrowserHandler> browserHandler;
  std::shared_ptr<CefJSBridge> bridge;
  CefString mainUrl;
  bool devToolsOpen = false;

 private:
  // A copy of a callback that the engine's thread reads while the UI thread may set it.
  template <typename F>
  F Locked(const F& callback) const {
    std::lock_guard<std::mutex> hold(engineCallbacksLock_);
    return callback;
  }
  template <typename F>
  void SetLocked(F& callback, F value) {
    std::lock_guard<std::mutex> hold(engineCallbacksLock_);
    callback = std::move(value);
  }

  mutable std::mutex engineCallbacksLock_;
  BeforeContextMenuCallback onBeforeContextMenu;
  ContextMenuCommandCallback onContextMenuCommand;
  TitleChangeCallback onTitleChange;
  UrlChangeCallback onUrlChange;
  MainUrlChangeCallback onMainUrlChange;
  BeforePopupCallback onBeforePopup;
  LoadingStateChangeCallback onLoadingStateChange;
  LoadStartCallback onLoadStart;
  LoadEndCallback onLoadEnd;
  LoadErrorCallback onLoadError;
  AfterCreatedCallback onAfterCreated;
  BeforeCloseCallback onBeforeClose;
  BeforeNavigateCallback onBeforeNavigate;
  BeforeDownloadCallback onBeforeDownload;
  DownloadUpdatedCallback onDownloadUpdated;
  FileDialogCallback onFileDialog;
  DevToolsVisibleChangeCallback onDevToolsVisibleChange;

  RenderCrashPolicy crashPolicy_;
  std::wstring crashMessage_;
};

}  // namespace vok_comp

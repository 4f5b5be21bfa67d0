#include "browser_host/cef_control_base.h"

#include <chrono>
#include <utility>

#include "runtime/string_util.h"
#include "ui/render/i_render_context.h"

namespace vok_comp {

namespace {

constexpr wchar_t kCrashMessage[] = L"This page stopped working.";
constexpr ui::UiColor kCrashBackground = 0xFFF4F4F4;
constexpr ui::UiColor kCrashText = 0xFF404040;
constexpr int kCrashMargin = 16;

// The address up to its fragment, compared as the engine compares its strings.
CefString WithoutFragment(const CefString& url) {
  const std::string text = url.ToString();
  return CefString(text.substr(0, text.find('#')));
}

int64_t SteadyMilliseconds() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace

CefControlBase::CefControlBase() = default;

// The callbacks, the address, the bridge and the handler go in that order; the concrete
// control has closed the browser and detached from the handler before.
CefControlBase::~CefControlBase() {
  {
    std::lock_guard<std::mutex> hold(engineCallbacksLock_);
    onBeforeContextMenu = nullptr;
    onContextMenuCommand = nullptr;
    onBeforePopup = nullptr;
    onBeforeNavigate = nullptr;
    onBeforeDownload = nullptr;
    onDownloadUpdated = nullptr;
    onFileDialog = nullptr;
  }
  onTitleChange = nullptr;
  onUrlChange = nullptr;
  onMainUrlChange = nullptr;
  onLoadingStateChange = nullptr;
  onLoadStart = nullptr;
  onLoadEnd = nullptr;
  onLoadError = nullptr;
  onAfterCreated = nullptr;
  onBeforeClose = nullptr;
  onDevToolsVisibleChange = nullptr;
  mainUrl.clear();
  bridge.reset();
  browserHandler = nullptr;
}

CefRefPtr<CefBrowser> CefControlBase::GetBrowser() const {
  return browserHandler ? browserHandler->GetBrowser() : nullptr;
}

CefRefPtr<CefBrowserHost> CefControlBase::GetBrowserHost() const {
  return browserHandler ? browserHandler->GetBrowserHost() : nullptr;
}

void CefControlBase::AfterBrowserCreated(std::function<void(CefControlBase&)> task) {
  if (!browserHandler) return;
  // The returned unregistering closure is not kept: the task dies with the control anyway.
  browserHandler->AddAfterCreatedTask(MakeWeak([this, task] { task(*this); }));
}

void CefControlBase::LoadURL(const CefString& url) {
  if (CefRefPtr<CefBrowser> browser = GetBrowser()) {
    ClearCrashMessage();
    browser->GetMainFrame()->LoadURL(url);
    return;
  }
  AfterBrowserCreated([url](CefControlBase& self) { self.LoadURL(url); });
}

void CefControlBase::GoBack() {
  if (CefRefPtr<CefBrowser> browser = GetBrowser()) browser->GoBack();
}

void CefControlBase::GoForward() {
  if (CefRefPtr<CefBrowser> browser = GetBrowser()) browser->GoForward();
}

void CefControlBase::Reload() {
  CefRefPtr<CefBrowser> browser = GetBrowser();
  if (!browser) return;
  ClearCrashMessage();
  browser->Reload();
}

void CefControlBase::ClearCrashMessage() {
  if (crashMessage_.empty()) return;
  crashMessage_.clear();
  ShowPage(true);
  Invalidate();
}

void CefControlBase::SetAudioMuted(bool mute) {
  if (CefRefPtr<CefBrowserHost> host = GetBrowserHost()) host->SetAudioMuted(mute);
}

bool CefControlBase::RegisterHostFunction(const std::wstring& name, HostFunction function,
                                          bool forAllBrowsers) {
  CefRefPtr<CefBrowser> browser = GetBrowser();
  if (!browser || !bridge) return false;
  return bridge->RegisterHostFunction(CefString(kbase::WideToUtf8(name)), std::move(function),
                                      forAllBrowsers ? nullptr : browser);
}

void CefControlBase::CloseDevTools() {
  if (!devToolsOpen) return;
  // The page may have closed its browser since: there is no host to tell then.
  if (CefRefPtr<CefBrowserHost> host = GetBrowserHost()) host->CloseDevTools();
  devToolsOpen = false;
  NotifyDevToolsVisible(false);
}

void CefControlBase::NotifyDevToolsVisible(bool visible) {
  if (onDevToolsVisibleChange) onDevToolsVisibleChange(visible);
}

void CefControlBase::SetBeforeContextMenuCallback(BeforeContextMenuCallback callback) {
  SetLocked(onBeforeContextMenu, std::move(callback));
}

void CefControlBase::SetContextMenuCommandCallback(ContextMenuCommandCallback callback) {
  SetLocked(onContextMenuCommand, std::move(callback));
}

void CefControlBase::SetBeforePopupCallback(BeforePopupCallback callback) {
  SetLocked(onBeforePopup, std::move(callback));
}

void CefControlBase::SetBeforeNavigateCallback(BeforeNavigateCallback callback) {
  SetLocked(onBeforeNavigate, std::move(callback));
}

void CefControlBase::SetBeforeDownloadCallback(BeforeDownloadCallback callback) {
  SetLocked(onBeforeDownload, std::move(callback));
}

void CefControlBase::SetDownloadUpdatedCallback(DownloadUpdatedCallback callback) {
  SetLocked(onDownloadUpdated, std::move(callback));
}

void CefControlBase::SetFileDialogCallback(FileDialogCallback callback) {
  SetLocked(onFileDialog, std::move(callback));
}

void CefControlBase::PaintText(ui::IRenderContext& context) {
  ui::Control::PaintText(context);
  if (crashMessage_.empty()) return;
  // The page's place is empty without it: the message brings its own backdrop.
  ui::UiRect rect = GetPosition();
  context.FillColor(rect, kCrashBackground);
  rect = ui::UiRect{rect.left + kCrashMargin, rect.top + kCrashMargin, rect.right - kCrashMargin,
                    rect.bottom - kCrashMargin};
  context.PaintText(rect, crashMessage_, kCrashText, std::wstring(),
                    ui::kTextCenter | ui::kTextVCenter);
}

// HandlerDelegate.

void CefControlBase::UpdateWindowPos() {
  SetPosition(GetPosition(true));
}

void CefControlBase::OnBeforeContextMenu(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame>,
                                         CefRefPtr<CefContextMenuParams> params,
                                         CefRefPtr<CefMenuModel> model) {
  if (auto callback = Locked(onBeforeContextMenu)) callback(params, model);
}

bool CefControlBase::OnContextMenuCommand(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame>,
                                          CefRefPtr<CefContextMenuParams> params, int commandId,
                                          cef_event_flags_t eventFlags) {
  auto callback = Locked(onContextMenuCommand);
  return callback ? callback(params, commandId, eventFlags) : false;
}

void CefControlBase::OnAddressChange(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame,
                                     const CefString& url) {
  if (onUrlChange) onUrlChange(url.ToWString());
  if (!frame || !frame->IsMain()) return;
  // The notified address, not the frame's address when this task runs: after a quick
  // redirect the frame is already further on, and the old and new pairs would be wrong.
  const CefString old = mainUrl;
  mainUrl = url;
  if (onMainUrlChange && WithoutFragment(old) != WithoutFragment(mainUrl)) {
    onMainUrlChange(old, mainUrl);
  }
}

void CefControlBase::OnTitleChange(CefRefPtr<CefBrowser>, const CefString& title) {
  if (onTitleChange) onTitleChange(title.ToWString());
}

void CefControlBase::OnLoadingStateChange(CefRefPtr<CefBrowser>, bool isLoading, bool canGoBack,
                                          bool canGoForward) {
  if (onLoadingStateChange) onLoadingStateChange(isLoading, canGoBack, canGoForward);
}

void CefControlBase::OnLoadStart(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame>) {
  if (onLoadStart) onLoadStart();
}

void CefControlBase::OnLoadEnd(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame>, int httpStatusCode) {
  if (onLoadEnd) onLoadEnd(httpStatusCode);
}

void CefControlBase::OnLoadError(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame>,
                                 cef_errorcode_t errorCode, const CefString& errorText,
                                 const CefString& failedUrl) {
  if (onLoadError) onLoadError(errorCode, errorText, failedUrl);
}

bool CefControlBase::OnBeforePopup(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame>,
                                   const CefString& targetUrl, const CefString&,
                                   cef_window_open_disposition_t, bool, const CefPopupFeatures&,
                                   CefWindowInfo&, CefRefPtr<CefClient>&, CefBrowserSettings&,
                                   bool*) {
  auto callback = Locked(onBeforePopup);
  if (!callback || targetUrl.empty()) return false;
  return callback(targetUrl.ToWString());
}

void CefControlBase::OnAfterCreated(CefRefPtr<CefBrowser> browser) {
  if (onAfterCreated) onAfterCreated(browser);
}

void CefControlBase::OnBeforeClose(CefRefPtr<CefBrowser> browser) {
  if (onBeforeClose) onBeforeClose(browser);
}

bool CefControlBase::OnBeforeBrowse(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                    CefRefPtr<CefRequest> request, bool isRedirect) {
  auto callback = Locked(onBeforeNavigate);
  return callback ? callback(browser, frame, request, isRedirect) : false;
}

// A page whose renderer died shows nothing: it is loaded again, unless that keeps
// happening, when a message takes its place.
void CefControlBase::OnRenderProcessTerminated(CefRefPtr<CefBrowser> browser,
                                               cef_termination_status_t) {
  CefRefPtr<CefBrowser> current = GetBrowser();
  if (!browser || !current || !current->IsSame(browser)) return;
  if (crashPolicy_.MayReload(SteadyMilliseconds())) {
    browser->Reload();
    return;
  }
  crashMessage_ = kCrashMessage;
  ShowPage(false);
  Invalidate();
}

void CefControlBase::OnBeforeDownload(CefRefPtr<CefBrowser> browser,
                                      CefRefPtr<CefDownloadItem> downloadItem,
                                      const CefString& suggestedName,
                                      CefRefPtr<CefBeforeDownloadCallback> callback) {
  if (auto run = Locked(onBeforeDownload)) run(browser, downloadItem, suggestedName, callback);
}

void CefControlBase::OnDownloadUpdated(CefRefPtr<CefBrowser> browser,
                                       CefRefPtr<CefDownloadItem> downloadItem,
                                       CefRefPtr<CefDownloadItemCallback> callback) {
  if (auto run = Locked(onDownloadUpdated)) run(browser, downloadItem, callback);
}

bool CefControlBase::OnFileDialog(CefRefPtr<CefBrowser>, cef_file_dialog_mode_t mode,
                                  const CefString& title, const CefString& defaultFilePath,
                                  const std::vector<CefString>& acceptFilters,
                                  int selectedAcceptFilter,
                                  CefRefPtr<CefFileDialogCallback> callback) {
  auto run = Locked(onFileDialog);
  return run ? run(mode, title, defaultFilePath, acceptFilters, selectedAcceptFilter, callback)
             : false;
}

bool CefControlBase::OnExecuteCppFunc(const CefString& functionName, const CefString& params,
                                      int callbackId, CefRefPtr<CefBrowser> browser,
                                      CefRefPtr<CefFrame> frame) {
  // Set before the browser is asked for and never replaced, so reading it here is safe.
  return bridge ? bridge->ExecuteHostFunction(functionName, params, callbackId, browser, frame)
                : false;
}

}  // namespace vok_comp

#pragma once

#include <windows.h>

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "browser_host/browser_events.h"
#include "browser_host/browser_handler.h"
#include "runtime/string_util.h"

namespace browser_host_test {

// One delegate call: its name, the thread it ran on and its arguments in short.
struct Call {
  std::string name;
  unsigned long thread = 0;
  std::string detail;
};

// Kept outside the delegate so that calls stay readable after the delegate is gone.
class CallLog {
 public:
  void Add(const std::string& name, const std::string& detail) {
    std::lock_guard<std::mutex> hold(lock_);
    calls_.push_back({name, GetCurrentThreadId(), detail});
  }
  std::vector<Call> Named(const std::string& name) const {
    std::lock_guard<std::mutex> hold(lock_);
    std::vector<Call> found;
    for (const Call& call : calls_) {
      if (call.name == name) found.push_back(call);
    }
    return found;
  }
  size_t Size() const {
    std::lock_guard<std::mutex> hold(lock_);
    return calls_.size();
  }

 private:
  mutable std::mutex lock_;
  std::vector<Call> calls_;
};

// A control stand-in that records every event it hears and answers decisions as the test
// says. Each event reaches the operation of its name, which a test's stand-in may extend.
class RecordingDelegate : public vok_comp::BrowserHandler::HandlerDelegate {
 public:
  explicit RecordingDelegate(CallLog& log) : log_(log) {
    namespace event = vok_comp::browser_event;
    Hear<event::UpdateWindowPos>(&RecordingDelegate::UpdateWindowPos);
    Hear<event::BeforeContextMenu>(&RecordingDelegate::OnBeforeContextMenu);
    Hear<event::ContextMenuCommand>(&RecordingDelegate::OnContextMenuCommand);
    Hear<event::AddressChange>(&RecordingDelegate::OnAddressChange);
    Hear<event::TitleChange>(&RecordingDelegate::OnTitleChange);
    Hear<event::LoadingStateChange>(&RecordingDelegate::OnLoadingStateChange);
    Hear<event::LoadStart>(&RecordingDelegate::OnLoadStart);
    Hear<event::LoadEnd>(&RecordingDelegate::OnLoadEnd);
    Hear<event::LoadError>(&RecordingDelegate::OnLoadError);
    Hear<event::BeforePopup>(&RecordingDelegate::OnBeforePopup);
    Hear<event::AfterCreated>(&RecordingDelegate::OnAfterCreated);
    Hear<event::BeforeClose>(&RecordingDelegate::OnBeforeClose);
    Hear<event::BeforeNavigate>(&RecordingDelegate::OnBeforeBrowse);
    Hear<event::RenderProcessTerminated>(&RecordingDelegate::OnRenderProcessTerminated);
    Hear<event::BeforeDownload>(&RecordingDelegate::OnBeforeDownload);
    Hear<event::DownloadUpdated>(&RecordingDelegate::OnDownloadUpdated);
    Hear<event::FileDialog>(&RecordingDelegate::OnFileDialog);
    Hear<event::ExecuteCppFunc>(&RecordingDelegate::OnExecuteCppFunc);
  }
  virtual ~RecordingDelegate() = default;

  bool openPopups = true;
  std::function<bool(const std::string& url)> cancelNavigation = [](const std::string&) {
    return false;
  };
  bool fileDialogHandled = true;

  virtual void UpdateWindowPos() { log_.Add("UpdateWindowPos", ""); }
  virtual void OnBeforeContextMenu(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame>,
                                   CefRefPtr<CefContextMenuParams>, CefRefPtr<CefMenuModel> model) {
    log_.Add("OnBeforeContextMenu", std::to_string(model->GetCount()));
  }
  virtual bool OnContextMenuCommand(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame>,
                                    CefRefPtr<CefContextMenuParams>, int commandId,
                                    cef_event_flags_t) {
    log_.Add("OnContextMenuCommand", std::to_string(commandId));
    return true;
  }
  virtual void OnAddressChange(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame>, const CefString& url) {
    log_.Add("OnAddressChange", url.ToString());
  }
  virtual void OnTitleChange(CefRefPtr<CefBrowser>, const std::wstring& title) {
    log_.Add("OnTitleChange", kbase::WideToUtf8(title));
  }
  virtual void OnLoadingStateChange(CefRefPtr<CefBrowser>, bool isLoading, bool, bool) {
    log_.Add("OnLoadingStateChange", isLoading ? "loading" : "idle");
  }
  virtual void OnLoadStart(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame) {
    log_.Add("OnLoadStart", frame->GetURL().ToString());
  }
  virtual void OnLoadEnd(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame>, int status) {
    log_.Add("OnLoadEnd", std::to_string(status));
  }
  virtual void OnLoadError(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame>, cef_errorcode_t code,
                           const CefString&, const CefString& failedUrl) {
    log_.Add("OnLoadError", std::to_string(code) + "|" + failedUrl.ToString());
  }
  virtual bool OnBeforePopup(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame>,
                             const std::wstring& targetUrl, bool userGesture) {
    log_.Add("OnBeforePopup",
             kbase::WideToUtf8(targetUrl) + (userGesture ? "|gesture" : "|no gesture"));
    return openPopups;
  }
  virtual void OnAfterCreated(CefRefPtr<CefBrowser> browser) {
    log_.Add("OnAfterCreated", std::to_string(browser->GetIdentifier()));
  }
  virtual void OnBeforeClose(CefRefPtr<CefBrowser> browser) {
    log_.Add("OnBeforeClose", std::to_string(browser->GetIdentifier()));
  }
  virtual bool OnBeforeBrowse(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame>,
                              CefRefPtr<CefRequest> request, bool) {
    const std::string url = request->GetURL().ToString();
    log_.Add("OnBeforeBrowse", url);
    if (onBeforeBrowse) onBeforeBrowse();
    return cancelNavigation(url);
  }
  virtual void OnRenderProcessTerminated(CefRefPtr<CefBrowser>, cef_termination_status_t status) {
    log_.Add("OnRenderProcessTerminated", std::to_string(status));
  }
  virtual void OnBeforeDownload(CefRefPtr<CefBrowser>, CefRefPtr<CefDownloadItem>,
                                const CefString& suggestedName,
                                CefRefPtr<CefBeforeDownloadCallback> callback) {
    log_.Add("OnBeforeDownload", suggestedName.ToString());
    callback->Continue("C:\\downloads\\" + suggestedName.ToString(), false);
  }
  virtual void OnDownloadUpdated(CefRefPtr<CefBrowser>, CefRefPtr<CefDownloadItem>,
                                 CefRefPtr<CefDownloadItemCallback>) {
    log_.Add("OnDownloadUpdated", "");
  }
  virtual bool OnFileDialog(CefRefPtr<CefBrowser>, cef_file_dialog_mode_t, const CefString& title,
                            const CefString&, const std::vector<CefString>&, int,
                            CefRefPtr<CefFileDialogCallback>) {
    log_.Add("OnFileDialog", title.ToString());
    return fileDialogHandled;
  }
  virtual bool OnExecuteCppFunc(const CefString& name, const CefString& params, int callbackId,
                                CefRefPtr<CefBrowser>, CefRefPtr<CefFrame>) {
    log_.Add("OnExecuteCppFunc",
             name.ToString() + "|" + params.ToString() + "|" + std::to_string(callbackId));
    return true;
  }

  // Runs inside the navigation decision, on the engine's thread.
  std::function<void()> onBeforeBrowse;

 private:
  // The event reaches `operation` of whichever stand-in this is.
  template <typename Event, typename R, typename... Args>
  void Hear(R (RecordingDelegate::*operation)(Args...)) {
    Events().SetReaction<Event>(
        [this, operation](Args... args) { return (this->*operation)(args...); });
  }

  CallLog& log_;
};

}  // namespace browser_host_test

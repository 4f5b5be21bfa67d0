#pragma once

#include <windows.h>

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "browser_host/browser_handler.h"

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

// A control stand-in that records every call and answers decisions as the test says.
class RecordingDelegate : public vok_comp::BrowserHandler::HandlerDelegate {
 public:
  explicit RecordingDelegate(CallLog& log) : log_(log) {}

  bool openPopups = true;
  std::function<bool(const std::string& url)> cancelNavigation = [](const std::string&) {
    return false;
  };
  bool fileDialogHandled = true;

  void UpdateWindowPos() override { log_.Add("UpdateWindowPos", ""); }
  void OnBeforeContextMenu(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame>,
                           CefRefPtr<CefContextMenuParams>,
                           CefRefPtr<CefMenuModel> model) override {
    log_.Add("OnBeforeContextMenu", std::to_string(model->GetCount()));
  }
  bool OnContextMenuCommand(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame>,
                            CefRefPtr<CefContextMenuParams>, int commandId,
                            cef_event_flags_t) override {
    log_.Add("OnContextMenuCommand", std::to_string(commandId));
    return true;
  }
  void OnAddressChange(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame>, const CefString& url) override {
    log_.Add("OnAddressChange", url.ToString());
  }
  void OnTitleChange(CefRefPtr<CefBrowser>, const CefString& title) override {
    log_.Add("OnTitleChange", title.ToString());
  }
  void OnLoadingStateChange(CefRefPtr<CefBrowser>, bool isLoading, bool, bool) override {
    log_.Add("OnLoadingStateChange", isLoading ? "loading" : "idle");
  }
  void OnLoadStart(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame) override {
    log_.Add("OnLoadStart", frame->GetURL().ToString());
  }
  void OnLoadEnd(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame>, int status) override {
    log_.Add("OnLoadEnd", std::to_string(status));
  }
  void OnLoadError(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame>, cef_errorcode_t code,
                   const CefString&, const CefString& failedUrl) override {
    log_.Add("OnLoadError", std::to_string(code) + "|" + failedUrl.ToString());
  }
  bool OnBeforePopup(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame>, const CefString& targetUrl,
                     const CefString&, cef_window_open_disposition_t, bool, const CefPopupFeatures&,
                     CefWindowInfo&, CefRefPtr<CefClient>&, CefBrowserSettings&, bool*) override {
    log_.Add("OnBeforePopup", targetUrl.ToString());
    return openPopups;
  }
  void OnAfterCreated(CefRefPtr<CefBrowser> browser) override {
    log_.Add("OnAfterCreated", std::to_string(browser->GetIdentifier()));
  }
  void OnBeforeClose(CefRefPtr<CefBrowser> browser) override {
    log_.Add("OnBeforeClose", std::to_string(browser->GetIdentifier()));
  }
  bool OnBeforeBrowse(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame>, CefRefPtr<CefRequest> request,
                      bool) override {
    const std::string url = request->GetURL().ToString();
    log_.Add("OnBeforeBrowse", url);
    if (onBeforeBrowse) onBeforeBrowse();
    return cancelNavigation(url);
  }
  void OnRenderProcessTerminated(CefRefPtr<CefBrowser>, cef_termination_status_t status) override {
    log_.Add("OnRenderProcessTerminated", std::to_string(status));
  }
  void OnBeforeDownload(CefRefPtr<CefBrowser>, CefRefPtr<CefDownloadItem>,
                        const CefString& suggestedName,
                        CefRefPtr<CefBeforeDownloadCallback> callback) override {
    log_.Add("OnBeforeDownload", suggestedName.ToString());
    callback->Continue("C:\\downloads\\" + suggestedName.ToString(), false);
  }
  void OnDownloadUpdated(CefRefPtr<CefBrowser>, CefRefPtr<CefDownloadItem>,
                         CefRefPtr<CefDownloadItemCallback>) override {
    log_.Add("OnDownloadUpdated", "");
  }
  bool OnFileDialog(CefRefPtr<CefBrowser>, cef_file_dialog_mode_t, const CefString& title,
                    const CefString&, const std::vector<CefString>&, int,
                    CefRefPtr<CefFileDialogCallback>) override {
    log_.Add("OnFileDialog", title.ToString());
    return fileDialogHandled;
  }
  bool OnExecuteCppFunc(const CefString& name, const CefString& params, int callbackId,
                        CefRefPtr<CefBrowser>, CefRefPtr<CefFrame>) override {
    log_.Add("OnExecuteCppFunc",
             name.ToString() + "|" + params.ToString() + "|" + std::to_string(callbackId));
    return true;
  }

  // Runs inside the navigation decision, on the engine's thread.
  std::function<void()> onBeforeBrowse;

 private:
  CallLog& log_;
};

}  // namespace browser_host_test

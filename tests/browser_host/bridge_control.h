#pragma once

#include <memory>
#include <string>

#include "browser_host/browser_handler.h"
#include "browser_host/cef_js_bridge.h"
#include "browser_host/recording_delegate.h"
#include "runtime/string_util.h"

namespace browser_host_test {

// A browser control stand-in that owns the browser half of the bridge as a control does:
// host functions are registered for its current browser (or all), and the pages' calls
// that the handler delivers go to its bridge.
class BridgeControl : public RecordingDelegate {
 public:
  BridgeControl(CallLog& log, CefRefPtr<vok_comp::BrowserHandler> handler)
      : RecordingDelegate(log), handler_(handler) {}

  // UI thread, once the page has loaded.
  bool RegisterHostFunction(const std::wstring& name, vok_comp::HostFunction function,
                            bool forAllBrowsers) {
    CefRefPtr<CefBrowser> browser = handler_ ? handler_->GetBrowser() : nullptr;
    if (!browser || !bridge_) return false;
    return bridge_->RegisterHostFunction(CefString(kbase::WideToUtf8(name)), std::move(function),
                                         forAllBrowsers ? nullptr : browser);
  }

  bool OnExecuteCppFunc(const CefString& name, const CefString& params, int callbackId,
                        CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame) override {
    RecordingDelegate::OnExecuteCppFunc(name, params, callbackId, browser, frame);
    return bridge_->ExecuteHostFunction(name, params, callbackId, browser, frame);
  }

  std::shared_ptr<vok_comp::CefJSBridge> Bridge() const { return bridge_; }

 private:
  CefRefPtr<vok_comp::BrowserHandler> handler_;
  std::shared_ptr<vok_comp::CefJSBridge> bridge_ = std::make_shared<vok_comp::CefJSBridge>();
};

}  // namespace browser_host_test

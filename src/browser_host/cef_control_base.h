#pragma once

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "browser_host/browser_events.h"
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

  // A "Set<event>Callback" for every event a window may follow, replacing the window's
  // callback; the callbacks of engine-thread events run there, inside the engine's decision.
#define VOK_WINDOW_CALLBACK_SETTER(Name, Kind, Source, Signature)   \
  using Name##Callback = browser_event::Name::Callback;             \
  void Set##Name##Callback(Name##Callback callback) {               \
    Events().SetCallback<browser_event::Name>(std::move(callback)); \
  }
#define VOK_NO_CALLBACK_SETTER(Name, Kind, Source, Signature)
  VOK_BROWSER_EVENTS(VOK_WINDOW_CALLBACK_SETTER, VOK_NO_CALLBACK_SETTER)
#undef VOK_WINDOW_CALLBACK_SETTER
#undef VOK_NO_CALLBACK_SETTER

  // While the page cannot be shown again after its renderer died: the message shown instead.
  bool IsShowingCrashMessage() const {
    return !crashMessage_.empty();
  }

  // ui::Control
  void PaintText(ui::IRenderContext& context) override;

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
  // Re-applies the control's rectangle, so that the concrete control moves its new native
  // browser window.
  void UpdateWindowPos();
  void OnAddressChange(CefRefPtr<CefFrame> frame, const CefString& url);
  void OnRenderProcessTerminated(CefRefPtr<CefBrowser> browser);
  // The frame is the one the page called from: the answer goes back to its process.
  bool OnExecuteCppFunc(const CefString& functionName, const CefString& params, int callbackId,
                        CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame);

  RenderCrashPolicy crashPolicy_;
  std::wstring crashMessage_;
};

}  // namespace vok_comp

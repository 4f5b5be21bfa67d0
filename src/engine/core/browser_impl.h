#pragma once

// A browser and its host (one object). Commands from any thread are carried to the engine's
// UI thread; the Notify operations, called by the backend on that thread, call the client's
// handlers as the engine does.

#include <functional>
#include <mutex>

#include "engine/cef/cef_client.h"
#include "engine/cef/cef_v8.h"
#include "engine/core/backend.h"
#include "engine/core/frame_impl.h"
#include "engine/core/view_surface.h"

namespace engine {

class EngineCore;

class BrowserImpl : public CefBrowser, public CefBrowserHost {
 public:
  BrowserImpl(int id, CefRefPtr<CefClient> client, const CefWindowInfo& windowInfo,
              int64_t mainFrameId);

  // CefBrowser
  CefRefPtr<CefBrowserHost> GetHost() override { return this; }
  bool CanGoBack() override;
  void GoBack() override;
  bool CanGoForward() override;
  void GoForward() override;
  bool IsLoading() override;
  void Reload() override;
  void ReloadIgnoreCache() override;
  void StopLoad() override;
  int GetIdentifier() override { return id_; }
  bool IsSame(CefRefPtr<CefBrowser> that) override;
  bool IsPopup() override { return false; }
  bool HasDocument() override;
  CefRefPtr<CefFrame> GetMainFrame() override { return mainFrame_.get(); }
  CefRefPtr<CefFrame> GetFocusedFrame() override { return mainFrame_.get(); }

  // CefBrowserHost
  CefRefPtr<CefBrowser> GetBrowser() override { return this; }
  void CloseBrowser(bool forceClose) override;
  bool TryCloseBrowser() override;
  void SetFocus(bool focus) override;
  CefWindowHandle GetWindowHandle() override;
  CefWindowHandle GetOpenerWindowHandle() override { return nullptr; }
  CefRefPtr<CefClient> GetClient() override { return client_; }
  void WasResized() override {}
  void WasHidden(bool hidden) override;
  void ShowDevTools(const CefWindowInfo& windowInfo, CefRefPtr<CefClient> client,
                    const CefBrowserSettings& settings, const CefPoint& inspectElementAt) override;
  void CloseDevTools() override;
  bool HasDevTools() override;
  void SetAudioMuted(bool mute) override;
  bool IsAudioMuted() override;

  // Engine UI thread: makes the native window, tells the client and starts the page.
  void Create(const std::string& url);
  CefRefPtr<FrameImpl> MainFrame() const { return mainFrame_; }
  const CefWindowInfo& WindowInfo() const { return windowInfo_; }
  bool IsClosing();
  CefRefPtr<CefV8Context> MainContext();
  void SetMainContext(CefRefPtr<CefV8Context> context);

  // Engine UI thread, called by the backend. OnBeforeBrowse's answer: true cancels.
  bool NotifyBeforeBrowse(CefRefPtr<CefFrame> frame, CefRefPtr<CefRequest> request,
                          bool userGesture, bool isRedirect);
  void NotifyLoadingState(bool isLoading, bool canGoBack, bool canGoForward);
  void NotifyAddress(CefRefPtr<FrameImpl> frame, const CefString& url);
  void NotifyLoadStart(CefRefPtr<CefFrame> frame, cef_transition_type_t transition);
  void NotifyLoadEnd(CefRefPtr<CefFrame> frame, int httpStatusCode);
  void NotifyLoadError(CefRefPtr<CefFrame> frame, cef_errorcode_t code, const CefString& text,
                       const CefString& failedUrl);
  void NotifyTitle(const CefString& title);
  void NotifyConsole(cef_log_severity_t level, const CefString& message, const CefString& source,
                     int line);
  // Asks the client about a popup; the engine never opens the window itself.
  void NotifyBeforePopup(CefRefPtr<CefFrame> frame, const CefString& targetUrl,
                         const CefString& targetName, cef_window_open_disposition_t disposition,
                         bool userGesture, const CefPopupFeatures& features);
  // The answer (accepted, input) comes exactly once, from any thread.
  void NotifyJsDialog(const CefString& originUrl, cef_jsdialog_type_t type,
                      const CefString& message, const CefString& defaultPrompt,
                      std::function<void(bool, const CefString&)> answer);
  void NotifyRenderProcessTerminated(cef_termination_status_t status);
  void NotifyContextMenu(CefRefPtr<CefContextMenuParams> params, CefRefPtr<CefMenuModel> model);
  bool NotifyProcessMessage(CefRefPtr<CefFrame> frame, CefRefPtr<CefProcessMessage> message);
  // Ends the browser: window gone, backend told, OnBeforeClose, removed from the engine.
  void FinishClose();
  // Engine UI thread: the native window was destroyed (with its parent, say).
  void WindowDestroyed();
  // What the window shows; frames arrive from any thread.
  ViewSurface& Surface() { return surface_; }
  // Engine UI thread: the window's size or visibility may have changed.
  void UpdateView();
  // Engine UI thread: the user's mouse in the window.
  void SendMouse(const MouseInput& input);
  void SendKey(const KeyInput& input);
  void SendComposition(const CompositionInput& input);
  // Engine UI thread: the page's cursor under the mouse (a CSS keyword) changed.
  void NotifyCursor(const std::string& css);
  // Engine UI thread: where the caret of the page's focused text is, in the view.
  void NotifyCaret(int x, int y, int height);
  // Engine UI thread: the input method's windows go to the caret.
  void PlaceIme();
  // Engine UI thread: the window's answer to WM_SETCURSOR.
  void ShowPageCursor();
  // Engine UI thread: the page asks for a context menu. Only the menu key or a right click
  // at the menu's point, sent to the page, may ask, once.
  void NotifyContextMenuAsked(const CefContextMenuParams::Data& params);
  // Engine UI thread: the window took or lost the native focus.
  void WindowFocused(bool focused);

 private:
  void Post(std::function<void(BrowserImpl&, EngineCore&)> work);
  void CloseNow(bool force);
  bool MakeWindow();
  // The developer tools' browser is set on the engine UI thread and read on any.
  CefRefPtr<CefBrowser> DevTools();
  void SetDevTools(CefRefPtr<CefBrowser> tools);

  const int id_;
  const CefRefPtr<CefClient> client_;
  const CefWindowInfo windowInfo_;
  const CefRefPtr<FrameImpl> mainFrame_;
  CefWindowHandle window_ = nullptr;  // engine UI thread only, read anywhere
  std::mutex lock_;
  bool loading_ = false;
  bool canGoBack_ = false;
  bool canGoForward_ = false;
  bool hasDocument_ = false;
  bool closing_ = false;
  bool closed_ = false;
  bool muted_ = false;
  CefRefPtr<CefBrowser> devTools_;
  ViewSurface surface_;
  // Engine UI thread: whether the client hid the browser, and what the backend was told.
  bool hiddenByClient_ = false;
  int viewWidth_ = -1;
  int viewHeight_ = -1;
  bool viewVisible_ = false;
  int lastClickCount_ = 1;
  bool pageFocused_ = false;
  std::string cursor_ = "default";
  int caretX_ = 0;
  int caretY_ = 0;
  int caretHeight_ = 0;
  enum class MenuAsked { kNo, kByKey, kByMouse };
  MenuAsked menuAsked_ = MenuAsked::kNo;
  int menuX_ = 0;
  int menuY_ = 0;
  CefRefPtr<CefV8Context> mainContext_;  // renderer thread
  IMPLEMENT_REFCOUNTING(BrowserImpl);
};

}  // namespace engine

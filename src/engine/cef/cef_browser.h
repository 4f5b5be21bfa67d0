#pragma once

// Browsers, their hosts and frames. The engine makes these objects; every operation may be
// called on any thread and is carried to the engine's own thread where it has to be.

#include <cstdint>

#include "engine/cef/cef_base.h"
#include "engine/cef/cef_process_message.h"
#include "engine/cef/cef_string.h"
#include "engine/cef/cef_types.h"

class CefBrowser;
class CefBrowserHost;
class CefClient;
class CefDictionaryValue;

// Request contexts are not offered: every browser shares the engine's one profile.
class CefRequestContext : public virtual CefBaseRefCounted {};

class CefFrame : public virtual CefBaseRefCounted {
 public:
  virtual bool IsValid() = 0;
  virtual void LoadURL(const CefString& url) = 0;
  virtual bool IsMain() = 0;
  virtual bool IsFocused() = 0;
  virtual CefString GetName() = 0;
  virtual int64_t GetIdentifier() = 0;
  virtual CefRefPtr<CefFrame> GetParent() = 0;
  virtual CefString GetURL() = 0;
  virtual CefRefPtr<CefBrowser> GetBrowser() = 0;
  // Sends a copy of the message to the other side (PID_BROWSER from the renderer side,
  // PID_RENDERER from the browser side); it arrives on that side's thread.
  virtual void SendProcessMessage(CefProcessId target, CefRefPtr<CefProcessMessage> message) = 0;
  // Runs script in the frame; the result is not reported.
  virtual void ExecuteJavaScript(const CefString& code, const CefString& scriptUrl,
                                 int startLine) = 0;
};

class CefBrowser : public virtual CefBaseRefCounted {
 public:
  virtual CefRefPtr<CefBrowserHost> GetHost() = 0;
  virtual bool CanGoBack() = 0;
  virtual void GoBack() = 0;
  virtual bool CanGoForward() = 0;
  virtual void GoForward() = 0;
  virtual bool IsLoading() = 0;
  virtual void Reload() = 0;
  virtual void ReloadIgnoreCache() = 0;
  virtual void StopLoad() = 0;
  virtual int GetIdentifier() = 0;
  virtual bool IsSame(CefRefPtr<CefBrowser> that) = 0;
  virtual bool IsPopup() = 0;
  virtual bool HasDocument() = 0;
  virtual CefRefPtr<CefFrame> GetMainFrame() = 0;
  virtual CefRefPtr<CefFrame> GetFocusedFrame() = 0;
};

class CefBrowserHost : public virtual CefBaseRefCounted {
 public:
  // Starts making a browser and returns at once; OnAfterCreated reports it on the engine's
  // thread. False when the engine is not running or the arguments cannot make a browser.
  static bool CreateBrowser(const CefWindowInfo& windowInfo, CefRefPtr<CefClient> client,
                            const CefString& url, const CefBrowserSettings& settings,
                            CefRefPtr<CefDictionaryValue> extraInfo,
                            CefRefPtr<CefRequestContext> requestContext);

  virtual CefRefPtr<CefBrowser> GetBrowser() = 0;
  virtual void CloseBrowser(bool forceClose) = 0;
  virtual bool TryCloseBrowser() = 0;
  virtual void SetFocus(bool focus) = 0;
  virtual CefWindowHandle GetWindowHandle() = 0;
  virtual CefWindowHandle GetOpenerWindowHandle() = 0;
  virtual CefRefPtr<CefClient> GetClient() = 0;
  virtual void WasResized() = 0;
  virtual void WasHidden(bool hidden) = 0;
  virtual void ShowDevTools(const CefWindowInfo& windowInfo, CefRefPtr<CefClient> client,
                            const CefBrowserSettings& settings,
                            const CefPoint& inspectElementAt) = 0;
  virtual void CloseDevTools() = 0;
  virtual bool HasDevTools() = 0;
  virtual void SetAudioMuted(bool mute) = 0;
  virtual bool IsAudioMuted() = 0;
};

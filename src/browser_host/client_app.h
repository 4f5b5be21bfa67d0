#pragma once

#include <memory>
#include <vector>

#include "browser_host/cef_js_bridge.h"
#include "engine/cef/cef_app.h"

namespace vok_comp {

// The engine's application object: the browser process's command line and cookie schemes,
// and in the renderer the page object of the bridge with the answers that reach it.
class ClientApp : public CefApp, public CefBrowserProcessHandler, public CefRenderProcessHandler {
 public:
  ClientApp() = default;

  // CefApp
  void OnBeforeCommandLineProcessing(const CefString& processType,
                                     CefRefPtr<CefCommandLine> commandLine) override;
  void OnRegisterCustomSchemes(CefRawPtr<CefSchemeRegistrar> registrar) override;
  CefRefPtr<CefBrowserProcessHandler> GetBrowserProcessHandler() override { return this; }
  CefRefPtr<CefRenderProcessHandler> GetRenderProcessHandler() override { return this; }

  // CefBrowserProcessHandler
  void OnContextInitialized() override;

  // CefRenderProcessHandler
  void OnWebKitInitialized() override;
  void OnBrowserCreated(CefRefPtr<CefBrowser> browser,
                        CefRefPtr<CefDictionaryValue> extraInfo) override;
  void OnContextReleased(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                         CefRefPtr<CefV8Context> context) override;
  bool OnProcessMessageReceived(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                CefProcessId sourceProcess,
                                CefRefPtr<CefProcessMessage> message) override;

  const std::vector<CefString>& CookieableSchemes() const { return cookieableSchemes; }
  // Renderer thread; null until the renderer first needs it.
  std::shared_ptr<CefJSBridge> RendererBridge() const { return rendererBridge; }

 private:
  void EnsureRendererBridge();

  std::shared_ptr<CefJSBridge> rendererBridge;  // renderer thread only
  std::vector<CefString> cookieableSchemes;

  IMPLEMENT_REFCOUNTING(ClientApp);
};

}  // namespace vok_comp

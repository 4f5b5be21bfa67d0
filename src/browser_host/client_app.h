#pragma once

#include <vector>

#include "engine/cef_app.h"

namespace vok_comp {

// The engine's application object: the browser process's command line and cookie schemes.
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

  const std::vector<CefString>& CookieableSchemes() const { return cookieableSchemes; }

 private:
  std::vector<CefString> cookieableSchemes;

  IMPLEMENT_REFCOUNTING(ClientApp);
};

}  // namespace vok_comp

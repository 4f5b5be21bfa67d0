#include "browser_host/client_app.h"

namespace vok_comp {

void ClientApp::OnBeforeCommandLineProcessing(const CefString& processType,
                                              CefRefPtr<CefCommandLine> commandLine) {
  // Sub-processes get their switches from the browser process.
  if (!processType.empty() || !commandLine) return;
  commandLine->AppendSwitchWithValue("ppapi-flash-version", "20.0.0.228");
  commandLine->AppendSwitchWithValue("ppapi-flash-path", "PepperFlash\\pepflashplayer.dll");
  commandLine->AppendSwitch("process-per-site");
  commandLine->AppendSwitchWithValue("enable-webgl", "1");
  commandLine->AppendSwitchWithValue("ignore-gpu-blacklist", "1");
  commandLine->AppendSwitchWithValue("high-dpi-support", "1");
  commandLine->AppendSwitchWithValue("force-device-scale-factor", "1");
}

void ClientApp::OnRegisterCustomSchemes(CefRawPtr<CefSchemeRegistrar>) {
  cookieableSchemes.push_back("http");
  cookieableSchemes.push_back("https");
}

void ClientApp::OnContextInitialized() {
  CefRefPtr<CefCookieManager> manager = CefCookieManager::GetGlobalManager(nullptr);
  if (manager) manager->SetSupportedSchemes(cookieableSchemes, true, nullptr);
}

}  // namespace vok_comp

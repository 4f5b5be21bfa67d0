#include "browser_host/client_app.h"

#include "browser_host/cef_js_handler.h"
#include "engine/cef/cef_process_message.h"

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

void ClientApp::OnWebKitInitialized() {
  CefRefPtr<CefJSHandler> handler = new CefJSHandler();
  EnsureRendererBridge();
  handler->AttachJSBridge(rendererBridge);
  CefRegisterExtension(CefJSHandler::kExtensionName, CefJSHandler::kExtensionSource, handler);
}

void ClientApp::OnBrowserCreated(CefRefPtr<CefBrowser>, CefRefPtr<CefDictionaryValue>) {
  EnsureRendererBridge();
}

void ClientApp::OnContextReleased(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame,
                                  CefRefPtr<CefV8Context>) {
  if (!rendererBridge) return;
  rendererBridge->DropPageCallbacksOfFrame(frame);
  rendererBridge->UnregisterPageFunctionsOfFrame(frame);
}

bool ClientApp::OnProcessMessageReceived(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame>, CefProcessId,
                                         CefRefPtr<CefProcessMessage> message) {
  if (!message || message->GetName() != "ExecuteJsCallback" || !rendererBridge) return false;
  CefRefPtr<CefListValue> args = message->GetArgumentList();
  rendererBridge->RunPageCallback(args->GetInt(0), args->GetBool(1), args->GetString(2));
  return false;
}

void ClientApp::EnsureRendererBridge() {
  if (!rendererBridge) rendererBridge = std::make_shared<CefJSBridge>();
}

}  // namespace vok_comp

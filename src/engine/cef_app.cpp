#include "engine/cef_app.h"

#include <windows.h>

#include <mutex>

#include "engine/browser_impl.h"
#include "engine/engine_core.h"

using engine::BrowserImpl;
using engine::EngineCore;

int CefExecuteProcess(const CefMainArgs&, CefRefPtr<CefApp>, void*) {
  return -1;
}

bool CefInitialize(const CefMainArgs&, const CefSettings& settings, CefRefPtr<CefApp> application,
                   void*) {
  return EngineCore::Start(settings, application);
}

void CefShutdown() {
  EngineCore::Shutdown();
}

bool CefBrowserHost::CreateBrowser(const CefWindowInfo& windowInfo, CefRefPtr<CefClient> client,
                                   const CefString& url, const CefBrowserSettings&,
                                   CefRefPtr<CefDictionaryValue>, CefRefPtr<CefRequestContext>) {
  auto core = EngineCore::Get();
  if (!core || !client) return false;
  if ((windowInfo.style & WS_CHILD) && !IsWindow(windowInfo.parent_window)) return false;
  CefRefPtr<BrowserImpl> browser =
      new BrowserImpl(core->NextBrowserId(), client, windowInfo, core->NextFrameId());
  const std::string address = url.ToString();
  return core->UiThread().Post([browser, address] { browser->Create(address); });
}

namespace {
std::mutex cookieLock;
}  // namespace

CefRefPtr<CefCookieManager> CefCookieManager::GetGlobalManager(
    CefRefPtr<CefCompletionCallback> callback) {
  static CefRefPtr<CefCookieManager> manager = new CefCookieManager();
  if (callback) callback->OnComplete();
  return manager;
}

bool CefCookieManager::SetSupportedSchemes(const std::vector<CefString>& schemes,
                                           bool includeDefaults,
                                           CefRefPtr<CefCompletionCallback> callback) {
  {
    std::lock_guard<std::mutex> hold(cookieLock);
    schemes_ = schemes;
    includeDefaults_ = includeDefaults;
  }
  if (callback) callback->OnComplete();
  return true;
}

std::vector<CefString> CefCookieManager::SupportedSchemes() const {
  std::lock_guard<std::mutex> hold(cookieLock);
  return schemes_;
}

// The functions of the CEF-named interface that reach into the running engine.

#include <windows.h>

#include "engine/cef/cef_app.h"
#include "engine/cef/cef_v8.h"
#include "engine/core/browser_impl.h"
#include "engine/core/engine_core.h"

using engine::BrowserImpl;
using engine::EngineCore;

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

bool CefRegisterExtension(const CefString& extensionName, const CefString& javascriptCode,
                          CefRefPtr<CefV8Handler> handler) {
  auto core = EngineCore::Get();
  if (!core || !core->RendererThread().IsCurrent()) return false;
  return core->Renderer().RegisterExtension(extensionName, javascriptCode, handler);
}

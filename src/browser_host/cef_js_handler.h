#pragma once

#include <memory>

#include "browser_host/cef_js_bridge.h"
#include "engine/cef/cef_v8.h"

namespace vok_comp {

// The native side of the page object VokCefWebInstance: checks what a page passes to
// `call` and `register` and hands it to the renderer half of the bridge. Failures are
// thrown into the page as exceptions; the page's call itself returns nothing.
class CefJSHandler : public CefV8Handler {
 public:
  static const char kExtensionName[];
  // The script that defines the page object, registered in every renderer.
  static const char kExtensionSource[];

  CefJSHandler() = default;

  void AttachJSBridge(std::shared_ptr<CefJSBridge> bridge) { jsBridge = std::move(bridge); }

  bool Execute(const CefString& name, CefRefPtr<CefV8Value> object, const CefV8ValueList& arguments,
               CefRefPtr<CefV8Value>& retval, CefString& exception) override;

 private:
  bool Call(const CefV8ValueList& arguments, CefString& exception);
  bool Register(const CefV8ValueList& arguments, CefString& exception);

  std::shared_ptr<CefJSBridge> jsBridge;

  IMPLEMENT_REFCOUNTING(CefJSHandler);
};

}  // namespace vok_comp

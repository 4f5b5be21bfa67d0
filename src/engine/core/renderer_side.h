#pragma once

// The renderer side of the engine: extensions, script contexts and the render-process
// handler. Everything here runs on the renderer thread.

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/cef/cef_app.h"
#include "engine/cef/cef_v8.h"

namespace engine {

struct Extension {
  std::string name;
  std::string code;  // as registered
  std::vector<std::string> nativeFunctions;
  CefRefPtr<CefV8Handler> handler;
};

// The result of one native function call from a page.
struct NativeCallResult {
  bool handled = false;
  CefRefPtr<CefV8Value> value;  // null when none was returned
  CefString exception;          // not empty when the call threw
};

class RendererSide {
 public:
  void SetApp(CefRefPtr<CefApp> app) { app_ = app; }
  CefRefPtr<CefRenderProcessHandler> Handler() const;

  void WebKitInitialized();
  bool RegisterExtension(const CefString& name, const CefString& code,
                         CefRefPtr<CefV8Handler> handler);
  const std::vector<Extension>& Extensions() const { return extensions_; }
  // The extension that declares the native function, or null.
  const Extension* FindNative(const std::string& functionName) const;

  void BrowserCreated(CefRefPtr<CefBrowser> browser);
  void BrowserDestroyed(CefRefPtr<CefBrowser> browser);
  void ContextCreated(CefRefPtr<CefV8Context> context);
  void ContextReleased(CefRefPtr<CefV8Context> context);
  void MessageFromBrowser(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                          CefRefPtr<CefProcessMessage> message);
  // A page called a native function in the context; runs the extension's handler with the
  // context current.
  NativeCallResult CallNative(CefRefPtr<CefV8Context> context, const std::string& functionName,
                              const CefV8ValueList& arguments);

 private:
  CefRefPtr<CefApp> app_;
  std::vector<Extension> extensions_;
  bool webKitInitialized_ = false;
};

// Finds the `native function NAME(` declarations of an extension's code.
std::vector<std::string> NativeFunctionNames(const std::string& code);

}  // namespace engine

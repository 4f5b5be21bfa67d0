#include "engine/core/renderer_side.h"

#include <cctype>

#include "engine/cef/v8_object.h"

namespace engine {

std::vector<std::string> NativeFunctionNames(const std::string& code) {
  static const std::string kDeclaration = "native function";
  std::vector<std::string> names;
  for (size_t at = code.find(kDeclaration); at != std::string::npos;
       at = code.find(kDeclaration, at + 1)) {
    size_t i = at + kDeclaration.size();
    if (i >= code.size() || !std::isspace(static_cast<unsigned char>(code[i]))) continue;
    while (i < code.size() && std::isspace(static_cast<unsigned char>(code[i]))) ++i;
    const size_t start = i;
    while (i < code.size() && (std::isalnum(static_cast<unsigned char>(code[i])) ||
                               code[i] == '_' || code[i] == '$')) {
      ++i;
    }
    if (i == start) continue;
    std::string name = code.substr(start, i - start);
    bool known = false;
    for (const std::string& n : names) known = known || n == name;
    if (!known) names.push_back(name);
  }
  return names;
}

CefRefPtr<CefRenderProcessHandler> RendererSide::Handler() const {
  return app_ ? app_->GetRenderProcessHandler() : nullptr;
}

void RendererSide::WebKitInitialized() {
  if (webKitInitialized_) return;
  webKitInitialized_ = true;
  if (auto handler = Handler()) handler->OnWebKitInitialized();
}

bool RendererSide::RegisterExtension(const CefString& name, const CefString& code,
                                     CefRefPtr<CefV8Handler> handler) {
  if (name.empty() || code.empty()) return false;
  for (const Extension& e : extensions_) {
    if (e.name == name.ToString()) return false;
  }
  Extension extension;
  extension.name = name.ToString();
  extension.code = code.ToString();
  extension.nativeFunctions = NativeFunctionNames(extension.code);
  // Native functions need a handler to answer them.
  if (!extension.nativeFunctions.empty() && !handler) return false;
  extension.handler = handler;
  extensions_.push_back(std::move(extension));
  return true;
}

const Extension* RendererSide::FindNative(const std::string& functionName) const {
  for (const Extension& e : extensions_) {
    for (const std::string& n : e.nativeFunctions) {
      if (n == functionName) return &e;
    }
  }
  return nullptr;
}

void RendererSide::BrowserCreated(CefRefPtr<CefBrowser> browser) {
  if (auto handler = Handler()) handler->OnBrowserCreated(browser, nullptr);
}

void RendererSide::BrowserDestroyed(CefRefPtr<CefBrowser> browser) {
  if (auto handler = Handler()) handler->OnBrowserDestroyed(browser);
}

void RendererSide::ContextCreated(CefRefPtr<CefV8Context> context) {
  if (auto handler = Handler()) {
    handler->OnContextCreated(context->GetBrowser(), context->GetFrame(), context);
  }
}

void RendererSide::ContextReleased(CefRefPtr<CefV8Context> context) {
  if (auto handler = Handler()) {
    handler->OnContextReleased(context->GetBrowser(), context->GetFrame(), context);
  }
  context->Data().valid = false;
}

void RendererSide::MessageFromBrowser(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                      CefRefPtr<CefProcessMessage> message) {
  if (auto handler = Handler()) {
    handler->OnProcessMessageReceived(browser, frame, PID_BROWSER, message);
  }
}

NativeCallResult RendererSide::CallNative(CefRefPtr<CefV8Context> context,
                                          const std::string& functionName,
                                          const CefV8ValueList& arguments) {
  NativeCallResult result;
  const Extension* extension = FindNative(functionName);
  if (!extension || !extension->handler || !context || !context->IsValid()) {
    result.exception = "native function " + functionName + " is not available";
    return result;
  }
  context->Enter();
  CefRefPtr<CefV8Value> value;
  CefString exception;
  result.handled =
      extension->handler->Execute(functionName, context->GetGlobal(), arguments, value, exception);
  context->Exit();
  result.exception = exception;
  if (result.handled) result.value = value;
  return result;
}

}  // namespace engine

#include "browser_host/cef_js_handler.h"

namespace vok_comp {

namespace {

constexpr char kInvalidArguments[] = "Invalid arguments.";

bool IsStringAt(const CefV8ValueList& arguments, size_t index) {
  return index < arguments.size() && arguments[index] && arguments[index]->IsString();
}

bool IsFunctionAt(const CefV8ValueList& arguments, size_t index) {
  return index < arguments.size() && arguments[index] && arguments[index]->IsFunction();
}

}  // namespace

const char CefJSHandler::kExtensionName[] = "v8/extern";

const char CefJSHandler::kExtensionSource[] =
    "\n"
    "\t\tvar VokCefWebInstance = {};\n"
    "\t\t(() => {\n"
    "\t\t\tVokCefWebInstance.call = (functionName, arg1, arg2) => {\n"
    "\t\t\t\tif (typeof arg1 === 'function') {\n"
    "\t\t\t\t\tnative function call(functionName, arg1);\n"
    "\t\t\t\t\treturn call(functionName, arg1);\n"
    "\t\t\t\t} else {\n"
    "\t\t\t\t\tconst jsonString = JSON.stringify(arg1);\n"
    "\t\t\t\t\tnative function call(functionName, jsonString, arg2);\n"
    "\t\t\t\t\treturn call(functionName, jsonString, arg2);\n"
    "\t\t\t\t}\n"
    "\t\t\t};\n"
    "\t\t\tVokCefWebInstance.register = (functionName, callback) => {\n"
    "\t\t\t\tnative function register(functionName, callback);\n"
    "\t\t\t\treturn register(functionName, callback);\n"
    "\t\t\t};\n"
    "\t\t})();\n"
    "\t";

bool CefJSHandler::Execute(const CefString& name, CefRefPtr<CefV8Value>,
                           const CefV8ValueList& arguments, CefRefPtr<CefV8Value>&,
                           CefString& exception) {
  if (arguments.size() < 2) {
    exception = kInvalidArguments;
    return false;
  }
  if (name == "call") return Call(arguments, exception);
  if (name == "register") return Register(arguments, exception);
  return false;
}

bool CefJSHandler::Call(const CefV8ValueList& arguments, CefString& exception) {
  if (!IsStringAt(arguments, 0)) {
    exception = kInvalidArguments;
    return false;
  }
  const CefString functionName = arguments[0]->GetStringValue();
  CefString params = "{}";
  CefRefPtr<CefV8Value> callback;
  if (IsFunctionAt(arguments, 1)) {
    callback = arguments[1];
  } else if (IsStringAt(arguments, 1) && IsFunctionAt(arguments, 2)) {
    params = arguments[1]->GetStringValue();
    callback = arguments[2];
  } else {
    exception = kInvalidArguments;
    return false;
  }
  if (!jsBridge || !jsBridge->CallHostFunction(functionName, params, callback)) {
    exception = "Failed to call function " + functionName.ToString() + ".";
    return false;
  }
  return true;
}

bool CefJSHandler::Register(const CefV8ValueList& arguments, CefString& exception) {
  if (!IsStringAt(arguments, 0) || !IsFunctionAt(arguments, 1)) {
    exception = kInvalidArguments;
    return false;
  }
  if (!jsBridge || !jsBridge->RegisterPageFunction(arguments[0]->GetStringValue(), arguments[1])) {
    exception = "Failed to register function.";
    return false;
  }
  return true;
}

}  // namespace vok_comp

#include "browser_host/cef_js_bridge.h"

#include <atomic>
#include <memory>
#include <utility>

#include "engine/cef/cef_process_message.h"
#include "runtime/thread_registry.h"

namespace vok_comp {

namespace {

constexpr char kCallCppFunction[] = "CallCppFunction";
constexpr char kExecuteJsCallback[] = "ExecuteJsCallback";
constexpr char kFunctionDoesNotExist[] = "{\"message\":\"Function does not exist.\"}";

int64_t FrameIdOf(CefRefPtr<CefV8Context> context) {
  CefRefPtr<CefFrame> frame = context ? context->GetFrame() : nullptr;
  return frame ? frame->GetIdentifier() : -1;
}

void SendToRenderer(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame, int32_t callbackId,
                    bool hasError, const CefString& result) {
  if (!frame && browser) frame = browser->GetMainFrame();
  // A page that has gone takes its callbacks with it: the answer is dropped.
  if (!frame || !frame->IsValid()) return;
  CefRefPtr<CefProcessMessage> message = CefProcessMessage::Create(kExecuteJsCallback);
  CefRefPtr<CefListValue> args = message->GetArgumentList();
  args->SetInt(0, callbackId);
  args->SetBool(1, hasError);
  args->SetString(2, result);
  frame->SendProcessMessage(PID_RENDERER, message);
}

}  // namespace

bool CefJSBridge::CallHostFunction(const CefString& functionName, const CefString& params,
                                   CefRefPtr<CefV8Value> callback) {
  CefRefPtr<CefV8Context> context = CefV8Context::GetCurrentContext();
  CefRefPtr<CefBrowser> browser = context ? context->GetBrowser() : nullptr;
  // Sent through the calling frame, so that the answer comes back to its process even when
  // the frame lives in another process than the main frame.
  CefRefPtr<CefFrame> frame = context ? context->GetFrame() : nullptr;
  if (!frame && browser) frame = browser->GetMainFrame();
  const int32_t id = nextPageCallbackId;
  if (!frame || pageCallbacks.count(id) != 0) return false;
  CefRefPtr<CefProcessMessage> message = CefProcessMessage::Create(kCallCppFunction);
  CefRefPtr<CefListValue> args = message->GetArgumentList();
  args->SetString(0, functionName);
  args->SetString(1, params);
  args->SetInt(2, id);
  nextPageCallbackId = id + 1;
  pageCallbacks[id] = PageEntry(context, callback);
  frame->SendProcessMessage(PID_BROWSER, message);
  return true;
}

bool CefJSBridge::RunPageCallback(int32_t callbackId, bool hasError, const CefString& result) {
  auto it = pageCallbacks.find(callbackId);
  if (it == pageCallbacks.end()) return false;
  // Taken out first: the page callback may call the host again and change the table.
  const PageEntry entry = it->second;
  pageCallbacks.erase(it);
  CefRefPtr<CefV8Context> context = entry.first;
  CefRefPtr<CefV8Value> callback = entry.second;
  if (!context || !callback) return true;
  context->Enter();
  CefV8ValueList arguments = {CefV8Value::CreateBool(hasError), ParseResult(context, result)};
  callback->ExecuteFunction(nullptr, arguments);
  context->Exit();
  return true;
}

// JSON.parse of the page itself; text it cannot parse reaches the page as a plain string.
CefRefPtr<CefV8Value> CefJSBridge::ParseResult(CefRefPtr<CefV8Context> context,
                                               const CefString& result) {
  CefRefPtr<CefV8Value> text = CefV8Value::CreateString(result);
  CefRefPtr<CefV8Value> global = context->GetGlobal();
  CefRefPtr<CefV8Value> json = global ? global->GetValue("JSON") : nullptr;
  CefRefPtr<CefV8Value> parse = json ? json->GetValue("parse") : nullptr;
  if (!parse || !parse->IsFunction()) return text;
  CefRefPtr<CefV8Value> parsed = parse->ExecuteFunction(json, {text});
  return parsed ? parsed : text;
}

bool CefJSBridge::RegisterPageFunction(const CefString& functionName,
                                       CefRefPtr<CefV8Value> function) {
  CefRefPtr<CefV8Context> context = CefV8Context::GetCurrentContext();
  if (!context) return false;
  return pageFunctions
      .emplace(std::make_pair(functionName, FrameIdOf(context)), PageEntry(context, function))
      .second;
}

void CefJSBridge::DropPageCallbacksOfFrame(CefRefPtr<CefFrame> frame) {
  if (!frame) return;
  const int64_t frameId = frame->GetIdentifier();
  for (auto it = pageCallbacks.begin(); it != pageCallbacks.end();) {
    it = FrameIdOf(it->second.first) == frameId ? pageCallbacks.erase(it) : std::next(it);
  }
}

void CefJSBridge::UnregisterPageFunctionsOfFrame(CefRefPtr<CefFrame> frame) {
  if (!frame) return;
  const int64_t frameId = frame->GetIdentifier();
  for (auto it = pageFunctions.begin(); it != pageFunctions.end();) {
    it = it->first.second == frameId ? pageFunctions.erase(it) : std::next(it);
  }
}

bool CefJSBridge::RegisterHostFunction(const CefString& functionName, HostFunction function,
                                       CefRefPtr<CefBrowser> browser) {
  const int browserId = browser ? browser->GetIdentifier() : kAllBrowsers;
  std::lock_guard<std::mutex> hold(hostFunctionsLock_);
  return hostFunctions.emplace(std::make_pair(functionName, browserId), std::move(function)).second;
}

HostFunction CefJSBridge::FindHostFunction(const CefString& functionName, int browserId) {
  // Copied out under the lock: the function runs later, on another thread, while the
  // table may grow.
  std::lock_guard<std::mutex> hold(hostFunctionsLock_);
  auto it = hostFunctions.find(std::make_pair(functionName, browserId));
  if (it == hostFunctions.end())
    it = hostFunctions.find(std::make_pair(functionName, kAllBrowsers));
  return it == hostFunctions.end() ? HostFunction() : it->second;
}

bool CefJSBridge::ExecuteHostFunction(const CefString& functionName, const CefString& params,
                                      int32_t callbackId, CefRefPtr<CefBrowser> browser,
                                      CefRefPtr<CefFrame> frame) {
  HostFunction function =
      FindHostFunction(functionName, browser ? browser->GetIdentifier() : kAllBrowsers);
  if (!function) {
    SendToRenderer(browser, frame, callbackId, true, kFunctionDoesNotExist);
    return false;
  }
  // Copies of the reply share one flag: a host function that answers twice, or from two
  // threads at once, reaches the page once.
  auto answered = std::make_shared<std::atomic<bool>>(false);
  ReplyFunction reply = [browser, frame, callbackId, answered](bool hasError,
                                                               const std::string& result) {
    if (answered->exchange(true)) return;
    SendToRenderer(browser, frame, callbackId, hasError, CefString(result));
  };
  const std::string paramsUtf8 = params.ToString();
  // False when the UI thread has gone: the function will not run.
  return kbase::ThreadRegistry::PostToThread(
      kbase::kMainThreadId, [function, paramsUtf8, reply] { function(paramsUtf8, reply); });
}

}  // namespace vok_comp

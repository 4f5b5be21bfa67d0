#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <utility>

#include "engine/cef/cef_browser.h"
#include "engine/cef/cef_v8.h"

namespace vok_comp {

// Answers a page's call: the error flag and the result as UTF-8 JSON text. May be called
// from any thread, at any later time.
using ReplyFunction = std::function<void(bool hasError, const std::string& result)>;
// A function of the host that pages may call: the parameters as UTF-8 JSON text.
using HostFunction = std::function<void(const std::string& params, ReplyFunction reply)>;

// Both halves of the bridge between pages and the host; each process side uses its own.
// The renderer half lives on the renderer main thread and is not locked. The browser half's
// table is written on the UI thread and read on the engine's thread.
class CefJSBridge {
 public:
  // The host function for every browser that has none of its own.
  static constexpr int kAllBrowsers = -1;

  CefJSBridge() = default;
  CefJSBridge(const CefJSBridge&) = delete;
  CefJSBridge& operator=(const CefJSBridge&) = delete;

  // Renderer half, in the current script context.
  bool CallHostFunction(const CefString& functionName, const CefString& params,
                        CefRefPtr<CefV8Value> callback);
  bool RunPageCallback(int32_t callbackId, bool hasError, const CefString& result);
  bool RegisterPageFunction(const CefString& functionName, CefRefPtr<CefV8Value> function);
  void DropPageCallbacksOfFrame(CefRefPtr<CefFrame> frame);
  void UnregisterPageFunctionsOfFrame(CefRefPtr<CefFrame> frame);

  // Browser half. A null browser registers the function for every browser.
  bool RegisterHostFunction(const CefString& functionName, HostFunction function,
                            CefRefPtr<CefBrowser> browser);
  // The answer goes back through the frame the page called from (the browser's main frame
  // when none is given), at most once, and only while that frame still exists.
  bool ExecuteHostFunction(const CefString& functionName, const CefString& params,
                           int32_t callbackId, CefRefPtr<CefBrowser> browser,
                           CefRefPtr<CefFrame> frame = nullptr);

 private:
  using PageEntry = std::pair<CefRefPtr<CefV8Context>, CefRefPtr<CefV8Value>>;

  // An empty function when neither the browser nor every browser has one by that name.
  HostFunction FindHostFunction(const CefString& functionName, int browserId);
  static CefRefPtr<CefV8Value> ParseResult(CefRefPtr<CefV8Context> context,
                                           const CefString& result);

  int32_t nextPageCallbackId = 0;
  std::map<int32_t, PageEntry> pageCallbacks;
  std::map<std::pair<CefString, int64_t>, PageEntry> pageFunctions;

  std::mutex hostFunctionsLock_;
  std::map<std::pair<CefString, int>, HostFunction> hostFunctions;
};

}  // namespace vok_comp

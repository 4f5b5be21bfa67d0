#pragma once

// Start-up and shut-down of the engine, its settings, and the application interfaces.

#include <cstdint>
#include <vector>

#include "engine/cef/cef_base.h"
#include "engine/cef/cef_browser.h"
#include "engine/cef/cef_client.h"
#include "engine/cef/cef_command_line.h"
#include "engine/cef/cef_process_message.h"
#include "engine/cef/cef_string.h"
#include "engine/cef/cef_types.h"
#include "engine/cef/cef_v8.h"
#include "engine/cef/cef_values.h"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-parameter"

class CefCompletionCallback;

// Interfaces this engine never calls; they exist so that applications written against the
// interface compile.
class CefDOMNode : public virtual CefBaseRefCounted {};
class CefV8StackTrace : public virtual CefBaseRefCounted {};
class CefPrintHandler : public virtual CefBaseRefCounted {};
class CefResourceBundleHandler : public virtual CefBaseRefCounted {};

class CefMainArgs {
 public:
  CefMainArgs() = default;
  explicit CefMainArgs(HINSTANCE__* instance) : instance(instance) {}
  HINSTANCE__* instance = nullptr;
};

// Zero-fillable settings; only `size` must be set. Strings are cef_string_t so that a
// zeroed structure is valid.
struct CefSettings {
  size_t size;
  int no_sandbox;
  cef_string_t browser_subprocess_path;
  int multi_threaded_message_loop;
  int external_message_pump;
  int windowless_rendering_enabled;
  int command_line_args_disabled;
  cef_string_t cache_path;
  cef_string_t user_agent;
  cef_string_t locale;
  cef_string_t log_file;
  cef_log_severity_t log_severity;
  int remote_debugging_port;
};

class CefSchemeRegistrar {
 public:
  virtual ~CefSchemeRegistrar() = default;
  // Custom schemes are not supported by this engine: always false.
  virtual bool AddCustomScheme(const CefString& schemeName, int options) { return false; }
};

class CefBrowserProcessHandler : public virtual CefBaseRefCounted {
 public:
  virtual void OnContextInitialized() {}
  virtual void OnBeforeChildProcessLaunch(CefRefPtr<CefCommandLine> commandLine) {}
  virtual void OnRenderProcessThreadCreated(CefRefPtr<CefListValue> extraInfo) {}
  virtual CefRefPtr<CefPrintHandler> GetPrintHandler() { return nullptr; }
  virtual void OnScheduleMessagePumpWork(int64_t delayMs) {}
};

class CefRenderProcessHandler : public virtual CefBaseRefCounted {
 public:
  virtual void OnRenderThreadCreated(CefRefPtr<CefListValue> extraInfo) {}
  virtual void OnWebKitInitialized() {}
  virtual void OnBrowserCreated(CefRefPtr<CefBrowser> browser,
                                CefRefPtr<CefDictionaryValue> extraInfo) {}
  virtual void OnBrowserDestroyed(CefRefPtr<CefBrowser> browser) {}
  virtual CefRefPtr<CefLoadHandler> GetLoadHandler() { return nullptr; }
  virtual void OnContextCreated(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                CefRefPtr<CefV8Context> context) {}
  virtual void OnContextReleased(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                 CefRefPtr<CefV8Context> context) {}
  virtual void OnUncaughtException(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                   CefRefPtr<CefV8Context> context,
                                   CefRefPtr<CefV8Exception> exception,
                                   CefRefPtr<CefV8StackTrace> stackTrace) {}
  virtual void OnFocusedNodeChanged(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                    CefRefPtr<CefDOMNode> node) {}
  virtual bool OnProcessMessageReceived(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                        CefProcessId sourceProcess,
                                        CefRefPtr<CefProcessMessage> message) {
    return false;
  }
};

class CefApp : public virtual CefBaseRefCounted {
 public:
  // processType is empty in the browser process.
  virtual void OnBeforeCommandLineProcessing(const CefString& processType,
                                             CefRefPtr<CefCommandLine> commandLine) {}
  virtual void OnRegisterCustomSchemes(CefRawPtr<CefSchemeRegistrar> registrar) {}
  virtual CefRefPtr<CefResourceBundleHandler> GetResourceBundleHandler() { return nullptr; }
  virtual CefRefPtr<CefBrowserProcessHandler> GetBrowserProcessHandler() { return nullptr; }
  virtual CefRefPtr<CefRenderProcessHandler> GetRenderProcessHandler() { return nullptr; }
};

// The renderer side runs inside the calling process, so this is never a sub-process: -1.
int CefExecuteProcess(const CefMainArgs& args, CefRefPtr<CefApp> application,
                      void* windowsSandboxInfo);
// Starts the engine: its UI and renderer threads and the browser behind them. False when
// the engine cannot start (the browser is missing or does not answer); nothing is left
// running then.
bool CefInitialize(const CefMainArgs& args, const CefSettings& settings,
                   CefRefPtr<CefApp> application, void* windowsSandboxInfo);
// Closes every browser that is still open (each gets OnBeforeClose), ends the browser and
// the engine's threads. On the thread that called CefInitialize.
void CefShutdown();

class CefCookieManager : public virtual CefBaseRefCounted {
 public:
  static CefRefPtr<CefCookieManager> GetGlobalManager(CefRefPtr<CefCompletionCallback> callback);
  // Which schemes keep cookies; recorded, the browser's own schemes are used.
  bool SetSupportedSchemes(const std::vector<CefString>& schemes, bool includeDefaults,
                           CefRefPtr<CefCompletionCallback> callback);
  std::vector<CefString> SupportedSchemes() const;

 private:
  CefCookieManager() = default;
  std::vector<CefString> schemes_;
  bool includeDefaults_ = true;
  IMPLEMENT_REFCOUNTING(CefCookieManager);
};

class CefCompletionCallback : public virtual CefBaseRefCounted {
 public:
  virtual void OnComplete() = 0;
};

#pragma GCC diagnostic pop

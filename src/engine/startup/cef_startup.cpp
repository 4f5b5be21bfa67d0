// Start-up and shut-down of the engine, with the browser the engine folder names unless a
// backend was installed.

#include "engine/cef/cef_app.h"
#include "engine/core/engine_core.h"
#include "engine/startup/default_backend.h"

using engine::EngineCore;

int CefExecuteProcess(const CefMainArgs&, CefRefPtr<CefApp>, void*) {
  return -1;
}

bool CefInitialize(const CefMainArgs&, const CefSettings& settings, CefRefPtr<CefApp> application,
                   void*) {
  return EngineCore::Start(settings, application, engine::MakeDefaultBackend);
}

void CefShutdown() {
  EngineCore::Shutdown();
}

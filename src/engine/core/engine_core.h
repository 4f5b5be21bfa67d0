#pragma once

// The running engine: its two threads, the application, the backend and the open browsers.

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "engine/base/engine_thread.h"
#include "engine/cef/cef_app.h"
#include "engine/core/backend.h"
#include "engine/core/renderer_side.h"

namespace engine {

class BrowserImpl;

// The backend the next CefInitialize uses instead of the browser named by the engine folder
// (tests install the scripted one here). Taken by that CefInitialize.
void UseBackend(std::shared_ptr<Backend> backend);

class EngineCore {
 public:
  // The running engine, or null.
  static std::shared_ptr<EngineCore> Get();
  using BackendMaker = std::function<std::shared_ptr<Backend>()>;

  // Starts the engine on the backend installed by UseBackend, or else on the one
  // makeDefault makes (none: the engine does not start).
  static bool Start(const CefSettings& settings, CefRefPtr<CefApp> app,
                    const BackendMaker& makeDefault);
  static void Shutdown();

  EngineThread& UiThread() { return uiThread_; }
  EngineThread& RendererThread() { return rendererThread_; }
  CefRefPtr<CefApp> App() const { return app_; }
  Backend& GetBackend() { return *backend_; }
  RendererSide& Renderer() { return renderer_; }

  int NextBrowserId();
  void AddBrowser(CefRefPtr<BrowserImpl> browser);
  void RemoveBrowser(int id);
  CefRefPtr<BrowserImpl> FindBrowser(int id);
  std::vector<CefRefPtr<BrowserImpl>> Browsers();
  int64_t NextFrameId();

  ~EngineCore();

 private:
  EngineCore(CefRefPtr<CefApp> app, std::shared_ptr<Backend> backend);
  bool StartThreads();
  void CloseAllBrowsers();

  CefRefPtr<CefApp> app_;
  std::shared_ptr<Backend> backend_;
  EngineThread uiThread_;
  EngineThread rendererThread_;
  RendererSide renderer_;
  std::mutex lock_;
  std::map<int, CefRefPtr<BrowserImpl>> browsers_;
  int nextBrowserId_ = 1;
  int64_t nextFrameId_ = 1;
};

}  // namespace engine

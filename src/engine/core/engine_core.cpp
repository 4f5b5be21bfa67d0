#include "engine/core/engine_core.h"

#include "engine/core/browser_impl.h"

namespace engine {
namespace {

std::mutex globalLock;
std::shared_ptr<EngineCore> running;
std::shared_ptr<Backend> nextBackend;

// How long shut-down waits for the engine's UI thread to close the browsers.
constexpr unsigned kCloseTimeoutMs = 10000;

}  // namespace

void UseBackend(std::shared_ptr<Backend> backend) {
  std::lock_guard<std::mutex> hold(globalLock);
  nextBackend = std::move(backend);
}

std::shared_ptr<EngineCore> EngineCore::Get() {
  std::lock_guard<std::mutex> hold(globalLock);
  return running;
}

EngineCore::EngineCore(CefRefPtr<CefApp> app, std::shared_ptr<Backend> backend)
    : app_(app), backend_(std::move(backend)) {
  renderer_.SetApp(app);
}

EngineCore::~EngineCore() {
  uiThread_.Stop();
  rendererThread_.Stop();
}

bool EngineCore::StartThreads() {
  return uiThread_.Start() && rendererThread_.Start();
}

bool EngineCore::Start(const CefSettings& settings, CefRefPtr<CefApp> app,
                       const BackendMaker& makeDefault) {
  std::shared_ptr<Backend> backend;
  {
    std::lock_guard<std::mutex> hold(globalLock);
    if (running) return false;
    backend = std::move(nextBackend);
  }
  StartOptions options;
  options.cachePath = CefStringOf(settings.cache_path).ToWString();
  options.logFile = CefStringOf(settings.log_file).ToWString();
  if (app) {
    CefSchemeRegistrar registrar;
    app->OnRegisterCustomSchemes(&registrar);
    CefRefPtr<CefCommandLine> commandLine = CefCommandLine::CreateCommandLine();
    app->OnBeforeCommandLineProcessing(CefString(), commandLine);
    for (const auto& s : commandLine->Switches()) {
      std::wstring text = L"--" + s.first.ToWString();
      if (!s.second.empty()) text += L"=" + s.second.ToWString();
      options.extraSwitches.push_back(text);
    }
  }
  if (!backend && makeDefault) backend = makeDefault();
  if (!backend) return false;

  std::shared_ptr<EngineCore> core(new EngineCore(app, backend));
  if (!core->StartThreads()) return false;
  {
    std::lock_guard<std::mutex> hold(globalLock);
    running = core;
  }
  if (!backend->Start(options)) {
    {
      std::lock_guard<std::mutex> hold(globalLock);
      running.reset();
    }
    core->uiThread_.Stop();
    core->rendererThread_.Stop();
    return false;
  }
  core->rendererThread_.Post([core] { core->renderer_.WebKitInitialized(); });
  core->uiThread_.Post([app] {
    if (!app) return;
    if (auto handler = app->GetBrowserProcessHandler()) handler->OnContextInitialized();
  });
  return true;
}

void EngineCore::Shutdown() {
  std::shared_ptr<EngineCore> core = Get();
  if (!core) return;
  core->uiThread_.RunAndWait([core] { core->CloseAllBrowsers(); }, kCloseTimeoutMs);
  // What the renderer side still has to hear about the closed browsers.
  core->rendererThread_.RunAndWait([] {}, kCloseTimeoutMs);
  core->backend_->Stop();
  {
    std::lock_guard<std::mutex> hold(globalLock);
    running.reset();
  }
  core->uiThread_.Stop();
  core->rendererThread_.Stop();
}

void EngineCore::CloseAllBrowsers() {
  for (CefRefPtr<BrowserImpl>& browser : Browsers()) browser->FinishClose();
}

int EngineCore::NextBrowserId() {
  std::lock_guard<std::mutex> hold(lock_);
  return nextBrowserId_++;
}

int64_t EngineCore::NextFrameId() {
  std::lock_guard<std::mutex> hold(lock_);
  return nextFrameId_++;
}

void EngineCore::AddBrowser(CefRefPtr<BrowserImpl> browser) {
  std::lock_guard<std::mutex> hold(lock_);
  browsers_[browser->GetIdentifier()] = browser;
}

void EngineCore::RemoveBrowser(int id) {
  CefRefPtr<BrowserImpl> gone;
  std::lock_guard<std::mutex> hold(lock_);
  auto it = browsers_.find(id);
  if (it == browsers_.end()) return;
  gone = it->second;
  browsers_.erase(it);
}

CefRefPtr<BrowserImpl> EngineCore::FindBrowser(int id) {
  std::lock_guard<std::mutex> hold(lock_);
  auto it = browsers_.find(id);
  return it == browsers_.end() ? nullptr : it->second;
}

std::vector<CefRefPtr<BrowserImpl>> EngineCore::Browsers() {
  std::lock_guard<std::mutex> hold(lock_);
  std::vector<CefRefPtr<BrowserImpl>> list;
  for (auto& entry : browsers_) list.push_back(entry.second);
  return list;
}

}  // namespace engine

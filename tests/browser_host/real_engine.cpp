#include "browser_host/real_engine.h"

#include <windows.h>

#include <cstring>
#include <memory>

#include "browser_host/cef_manager.h"
#include "browser_host/ui_thread.h"
#include "engine/core/engine_core.h"
#include "engine/devtools/devtools_backend.h"
#include "engine/process/browser_process.h"

namespace browser_host_test {

namespace {

bool Exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

bool RealEngine::Start(std::string* skipReason) {
  const std::wstring binFolder = TARNWICK_BIN_FOLDER;
  const std::wstring browser =
      engine::BrowserProcess::ConfiguredBrowser(binFolder + L"cef/engine.ini");
  if (browser.empty()) {
    *skipReason = "no browser named in build/bin/cef/engine.ini";
    return false;
  }
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  static int runs = 0;
  runFolder_ = std::wstring(temp) + L"real-engine-" + std::to_wstring(GetCurrentProcessId()) +
               L"-" + std::to_wstring(++runs) + L"\\";
  dataDir_ = runFolder_ + L"cef_temp\\";
  // The search path keeps the engine folder for the rest of this test program; harmless,
  // as the engine layer finds its browser through its own settings file.
  if (!vok_comp::CefManager::GetInstance()->PrepareEngineFolderIn(binFolder)) return false;
  engine::UseBackend(std::make_shared<engine::DevToolsBackend>(browser));
  std::memset(&settings_, 0, sizeof(settings_));
  settings_.size = sizeof(settings_);
  started_ = vok_comp::CefManager::GetInstance()->Initialize(dataDir_, settings_);
  return started_;
}

bool RealEngine::Stop() {
  if (!started_) return true;
  started_ = false;
  vok_comp::CefManager::GetInstance()->Uninitialize();
  engine::UseBackend(nullptr);
  // The engine's watchdog leaves this mark once the browser process has gone.
  const bool exited =
      WaitFor([&] { return Exists(dataDir_ + L"CefLocalStorage\\engine-exited"); }, 30000);
  cef_string_clear(&settings_.cache_path);
  cef_string_clear(&settings_.log_file);
  engine::BrowserProcess::RemoveFolder(runFolder_);
  return exited;
}

}  // namespace browser_host_test

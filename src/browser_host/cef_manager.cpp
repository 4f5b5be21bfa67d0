#include "browser_host/cef_manager.h"

#include <windows.h>

#include <cstdlib>
#include <vector>

#include "browser_host/client_app.h"
#include "engine/cef/cef_app.h"
#include "runtime/path_util.h"
#include "runtime/thread_registry.h"

namespace vok_comp {

namespace {
constexpr int64_t kQuitCheckDelay = 500 * 1000;  // microseconds
constexpr DWORD kPathBufferSize = 4096;

// The variable's whole value, however long; empty when it does not exist.
std::wstring ReadEnvironment(const wchar_t* name) {
  std::vector<wchar_t> buffer(kPathBufferSize, L'\0');
  DWORD needed = GetEnvironmentVariableW(name, buffer.data(), DWORD(buffer.size()));
  // A value that does not fit is reported by the size it needs; a fixed buffer would lose
  // the whole previous search path.
  while (needed >= buffer.size()) {
    buffer.assign(needed + 1, L'\0');
    needed = GetEnvironmentVariableW(name, buffer.data(), DWORD(buffer.size()));
  }
  return std::wstring(buffer.data());
}

bool IsFolder(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

void SetSettingString(cef_string_t& field, const std::wstring& value) {
  cef_string_set(value.c_str(), value.size(), &field, 1);
}

}  // namespace

CefManager* CefManager::GetInstance() {
  static CefManager instance;
  return &instance;
}

void CefManager::PrepareEngineFolder() {
  PrepareEngineFolderIn(kbase::ModuleFolder());
}

bool CefManager::PrepareEngineFolderIn(const std::wstring& moduleFolder) {
  const std::wstring previousPath = ReadEnvironment(L"path");
  const std::wstring engineFolder = moduleFolder + L"cef";
  if (!IsFolder(engineFolder)) {
    const std::wstring text = L"请解压Cef.rar压缩包";
    const std::wstring caption = L"提示";
    if (notice_) {
      notice_(text, caption);
    } else {
      MessageBoxW(nullptr, text.c_str(), caption.c_str(), MB_OK);
    }
    if (exit_) {
      exit_(0);
    } else {
      std::exit(0);
    }
    return false;
  }
  SetEnvironmentVariableW(L"path", (engineFolder + L";" + previousPath).c_str());
  SetEnvironmentVariableW(L"ComSpec", (engineFolder + L"\\dummy_cmd.exe").c_str());
  return true;
}

bool CefManager::Initialize(const std::wstring& appDataDir, CefSettings& settings) {
  CefMainArgs mainArgs(GetModuleHandleW(nullptr));
  CefRefPtr<ClientApp> app = new ClientApp();
  // An engine sub-process has done its work once this returns.
  if (CefExecuteProcess(mainArgs, app.get(), nullptr) >= 0) return false;
  FillEngineSettings(appDataDir, settings);
  // A new engine has no browser yet. Browsers of an earlier run in this process that closed
  // after its loop had ended never took themselves off the count.
  browserCount = 0;
  return CefInitialize(mainArgs, settings, app.get(), nullptr);
}

void CefManager::Uninitialize() {
  CefShutdown();
}

void CefManager::FillEngineSettings(const std::wstring& appDataDir, CefSettings& settings) {
  // Without the folder the engine still runs; it only keeps no cache and log there.
  if (!IsFolder(appDataDir)) kbase::CreateFolderPath(appDataDir);
  settings.no_sandbox = 1;
  SetSettingString(settings.cache_path, appDataDir + L"CefLocalStorage");
  SetSettingString(settings.log_file, appDataDir + L"cef.log");
  settings.multi_threaded_message_loop = 1;
  settings.windowless_rendering_enabled = 0;
}

void CefManager::PostQuitAfterBrowsersClosed(int exitCode) {
  if (browserCount == 0) {
    kbase::ThreadRegistry::PostToThread(kbase::kMainThreadId,
                                        [exitCode] { PostQuitMessage(exitCode); });
    return;
  }
  kbase::ThreadRegistry::PostToThreadAfter(
      MakeWeak([this, exitCode] { PostQuitAfterBrowsersClosed(exitCode); }), kQuitCheckDelay);
}

}  // namespace vok_comp

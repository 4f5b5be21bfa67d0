#include "app/main_thread.h"

#include "app/startup_services.h"
#include "runtime/path_util.h"
#include "runtime/thread_registry.h"

namespace {

constexpr wchar_t kResourceFolder[] = L"resources\\";
constexpr wchar_t kTheme[] = L"themes\\default";
constexpr wchar_t kLanguage[] = L"lang\\zh_CN";

// Caption, system menu, sizing frame and minimise box; no maximise box.
constexpr uint32_t kStartWindowStyle = 0x00CE0000;

}  // namespace

MainThread::MainThread(StartupServices& services)
    : kbase::FrameworkThread("MainThread"), services_(services) {}

MainThread::~MainThread() = default;

void MainThread::OnThreadStart() {
  // Start-up goes on even if the identifier is taken: the UI still works, only posts by
  // identifier would not reach it.
  kbase::ThreadRegistry::Register(kbase::kMainThreadId);
  services_.StartUi(kbase::ModuleFolder() + kResourceFolder, kTheme, kLanguage);
  services_.OpenStartWindow({L"Game_start", kStartWindowStyle, 0, true});
}

void MainThread::OnThreadEnd() {
  services_.ShutdownUi();
  kbase::ThreadRegistry::Unregister();
}

#include "browser_host/cef_manager.h"

#include <windows.h>

#include "runtime/thread_registry.h"

namespace vok_comp {

namespace {
constexpr int64_t kQuitCheckDelay = 500 * 1000;  // microseconds
}  // namespace

CefManager* CefManager::GetInstance() {
  static CefManager instance;
  return &instance;
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

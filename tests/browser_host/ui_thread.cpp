#include "browser_host/ui_thread.h"

#include <windows.h>

#include <future>
#include <memory>

#include "runtime/thread_registry.h"

namespace browser_host_test {

UiThread::UiThread(kbase::LoopKind kind) : FrameworkThread("TestUiThread") {
  started_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  thread_ = std::thread([this, kind] { RunHere(kind); });
  WaitForSingleObject(started_, 20000);
}

UiThread::~UiThread() {
  Stop();
  thread_.join();
  CloseHandle(started_);
}

void UiThread::OnThreadStart() {
  kbase::ThreadRegistry::Register(kbase::kMainThreadId);
  id_ = GetCurrentThreadId();
  SetEvent(started_);
}

void UiThread::OnThreadEnd() {
  kbase::ThreadRegistry::Unregister();
}

bool UiThread::Run(const std::function<void()>& work, unsigned timeoutMs) {
  auto done = std::make_shared<std::promise<void>>();
  std::future<void> ran = done->get_future();
  if (!kbase::ThreadRegistry::PostToThread(kbase::kMainThreadId, [work, done] {
        work();
        done->set_value();
      })) {
    return false;
  }
  return ran.wait_for(std::chrono::milliseconds(timeoutMs)) == std::future_status::ready;
}

bool WaitFor(const std::function<bool()>& condition, unsigned timeoutMs) {
  const DWORD start = GetTickCount();
  while (!condition()) {
    if (GetTickCount() - start > timeoutMs) return false;
    Sleep(5);
  }
  return true;
}

}  // namespace browser_host_test

#pragma once

#include <functional>
#include <thread>

#include "runtime/framework_thread.h"

namespace browser_host_test {

// The program's UI thread for tests: a framework thread registered as the main thread,
// running on a thread of its own so the test thread can drive the engine meanwhile.
class UiThread : public kbase::FrameworkThread {
 public:
  // Windows need the loop that pumps native messages.
  explicit UiThread(kbase::LoopKind kind = kbase::kPlainLoop);
  ~UiThread() override;

  // Runs work on the UI thread and waits for it; false when it did not run in time.
  bool Run(const std::function<void()>& work, unsigned timeoutMs = 20000);
  // Waits until everything posted to the UI thread so far has run.
  bool Drain() {
    return Run([] {});
  }
  unsigned long Id() const { return id_; }

 protected:
  void OnThreadStart() override;
  void OnThreadEnd() override;

 private:
  std::thread thread_;
  unsigned long id_ = 0;
  void* started_;
};

// Polls the condition until it holds or the time is up.
bool WaitFor(const std::function<bool()>& condition, unsigned timeoutMs = 20000);

}  // namespace browser_host_test

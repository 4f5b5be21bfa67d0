#pragma once

#include "runtime/framework_thread.h"

class StartupServices;

// The process's first thread as a framework thread: registered as the main thread while
// its UI loop runs, with the UI framework and the start window brought up before the loop
// and the UI framework shut down after it.
class MainThread : public kbase::FrameworkThread {
 public:
  explicit MainThread(StartupServices& services);
  ~MainThread() override;

 protected:
  void OnThreadStart() override;
  void OnThreadEnd() override;

 private:
  StartupServices& services_;
};

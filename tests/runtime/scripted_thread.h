#pragma once

#include <functional>

#include "runtime/framework_thread.h"

namespace loop_test {

// A framework thread whose hooks run what the test gives them.
class ScriptedThread : public kbase::FrameworkThread {
 public:
  ScriptedThread() : FrameworkThread("ScriptedThread") {}

  std::function<void()> onStart;
  std::function<void()> onEnd;

 protected:
  void OnThreadStart() override {
    if (onStart) onStart();
  }
  void OnThreadEnd() override {
    if (onEnd) onEnd();
  }
};

}  // namespace loop_test

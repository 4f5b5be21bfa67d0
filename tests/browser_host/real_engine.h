#pragma once

#include <string>

#include "engine/cef/cef_app.h"

namespace browser_host_test {

// The engine started as the client starts it, by the manager, over the real browser named
// by the build's engine folder, with its data in a folder of its own.
class RealEngine {
 public:
  // False, with the reason, when there is no browser to start or it did not start.
  bool Start(std::string* skipReason);
  // Shuts the engine down and waits until the browser process has gone; false when it
  // was left running.
  bool Stop();
  bool Started() const { return started_; }

 private:
  std::wstring runFolder_;
  std::wstring dataDir_;
  CefSettings settings_{};
  bool started_ = false;
};

}  // namespace browser_host_test

#pragma once

#include <cstdint>

#include "runtime/weak_callback.h"

namespace vok_comp {

// The life of the browser engine inside the process, and the count of its open browsers.
class CefManager : public kbase::SupportWeakCallback {
 public:
  static CefManager* GetInstance();

  // UI thread only, like every other use of the count.
  void IncrementBrowserCount() { ++browserCount; }
  void DecrementBrowserCount() { --browserCount; }
  int32_t BrowserCount() const { return browserCount; }

  // Posts PostQuitMessage(exitCode) to the UI thread once no browser is open, checking
  // again every 500 ms while one is.
  void PostQuitAfterBrowsersClosed(int exitCode);

  bool IsOffScreenRenderingEnabled() const { return false; }

 private:
  CefManager() = default;

  int32_t browserCount = 0;
};

}  // namespace vok_comp

#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "runtime/weak_callback.h"

struct CefSettings;

namespace vok_comp {

// The life of the browser engine inside the process, and the count of its open browsers.
class CefManager : public kbase::SupportWeakCallback {
 public:
  // Stand-ins for the missing-engine message box and the process exit, so that the check
  // can run without a box waiting for a click; empty restores the real ones.
  using Notice = std::function<void(const std::wstring& text, const std::wstring& caption)>;
  using Exit = std::function<void(int exitCode)>;

  static CefManager* GetInstance();

  // Must run before any engine call: the engine library is found through "path". Without
  // the engine folder beside the executable, shows the notice and ends the process with 0.
  void PrepareEngineFolder();
  // The same for a given executable folder (ends with a separator); false when the process
  // was to end.
  bool PrepareEngineFolderIn(const std::wstring& moduleFolder);
  // False in an engine sub-process that has done its work and when the engine fails.
  bool Initialize(const std::wstring& appDataDir, CefSettings& settings);
  void Uninitialize();
  static void FillEngineSettings(const std::wstring& appDataDir, CefSettings& settings);

  void SetNotice(Notice notice) { notice_ = std::move(notice); }
  void SetExit(Exit exit) { exit_ = std::move(exit); }

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
  Notice notice_;
  Exit exit_;
};

}  // namespace vok_comp

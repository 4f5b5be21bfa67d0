#pragma once

#include <cstdint>
#include <string>

// How the start window is created: the parameters its creation call receives.
struct StartWindowSpec {
  std::wstring text;
  uint32_t style = 0;
  uint32_t exStyle = 0;
  bool layered = false;
};

// What the process entry and the main thread bring up and tear down around the main loop:
// COM/OLE, the browser engine, the UI framework and the start window. The entry only
// decides the order; keeping these calls behind one interface lets that order be checked
// with recording stand-ins.
class StartupServices {
 public:
  virtual ~StartupServices() = default;

  // May end the process (exit code 0) when the engine's files are missing.
  virtual void PrepareEngineFolder() = 0;
  // False when OLE could not be initialised.
  virtual bool InitializeOle() = 0;
  virtual void UninitializeOle() = 0;
  // True when this is the browser process and start-up may go on; false when the engine
  // refused, or when this process was an engine sub-process that has done its work.
  virtual bool InitializeEngine(const std::wstring& cacheFolder) = 0;
  virtual void UninitializeEngine() = 0;

  virtual void StartUi(const std::wstring& resourceFolder, const std::wstring& theme,
                       const std::wstring& language) = 0;
  virtual void ShutdownUi() = 0;
  // Creates, centres and shows (with activation) the start window.
  virtual void OpenStartWindow(const StartWindowSpec& spec) = 0;
};

#pragma once

#include <memory>

#include "app/startup_services.h"

struct CefSettings;

// The start-up services of the shipped client. OLE, the browser engine and the UI
// framework are real. The start window is not part of the client yet: until it is, its
// step posts the quit message that closing the start window would post, so that a start
// runs the whole entry and ends with 0.
class ClientStartupServices : public StartupServices {
 public:
  ClientStartupServices();
  ~ClientStartupServices() override;

  void PrepareEngineFolder() override;
  bool InitializeOle() override;
  void UninitializeOle() override;
  bool InitializeEngine(const std::wstring& cacheFolder) override;
  void UninitializeEngine() override;
  void StartUi(const std::wstring& resourceFolder, const std::wstring& theme,
               const std::wstring& language) override;
  void ShutdownUi() override;
  void OpenStartWindow(const StartWindowParams& params) override;

 private:
  // The engine reads its settings while it starts; their strings are released after the
  // engine has shut down.
  std::unique_ptr<CefSettings> engineSettings_;
};

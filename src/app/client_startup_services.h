#pragma once

#include "app/startup_services.h"

// The start-up services of the shipped client. OLE and the UI framework are real. The
// browser engine and the start window are not part of the client yet: until they are,
// their steps do nothing, and the start-window step posts the quit message that closing
// the start window would post, so that a start runs the whole entry and ends with 0.
class ClientStartupServices : public StartupServices {
 public:
  void PrepareEngineFolder() override;
  bool InitializeOle() override;
  void UninitializeOle() override;
  bool InitializeEngine(const std::wstring& cacheFolder) override;
  void UninitializeEngine() override;
  void StartUi(const std::wstring& resourceFolder, const std::wstring& theme,
               const std::wstring& language) override;
  void ShutdownUi() override;
  void OpenStartWindow(const StartWindowSpec& spec) override;
};

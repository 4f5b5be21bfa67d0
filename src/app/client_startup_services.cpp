#include "app/client_startup_services.h"

#include <ole2.h>
#include <windows.h>

#include "ui/controls/control_classes.h"
#include "ui/core/ui_registry.h"

void ClientStartupServices::PrepareEngineFolder() {
  // No browser engine is linked yet: there is no engine folder to check.
}

bool ClientStartupServices::InitializeOle() {
  return SUCCEEDED(OleInitialize(nullptr));
}

void ClientStartupServices::UninitializeOle() {
  OleUninitialize();
}

bool ClientStartupServices::InitializeEngine(const std::wstring&) {
  // No browser engine is linked yet, so this is never one of its sub-processes: the
  // browser process goes on.
  return true;
}

void ClientStartupServices::UninitializeEngine() {
  // No browser engine is linked yet: nothing to shut down.
}

void ClientStartupServices::StartUi(const std::wstring& resourceFolder, const std::wstring& theme,
                                    const std::wstring& language) {
  // Layouts name the controls of the control library; the client makes none of its own
  // classes through the builder's callback.
  ui::AddControlClasses();
  ui::UiRegistry::Startup(resourceFolder, nullptr, theme, language);
}

void ClientStartupServices::ShutdownUi() {
  ui::UiRegistry::Shutdown();
}

void ClientStartupServices::OpenStartWindow(const StartWindowParams&) {
  // No start window exists yet. Closing it is what ends the main loop, so end the loop the
  // same way at once: the quit message it would post on WM_CLOSE.
  PostQuitMessage(0);
}

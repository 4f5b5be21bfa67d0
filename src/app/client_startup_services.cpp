#include "app/client_startup_services.h"

#include <ole2.h>
#include <windows.h>

#include <cstring>

#include "app/basic_form.h"
#include "app/display_scale.h"
#include "app/launch_settings.h"
#include "browser_host/cef_manager.h"
#include "browser_host/toast.h"
#include "engine/cef/cef_app.h"
#include "engine/startup/engine_config.h"
#include "ui/controls/control_classes.h"
#include "ui/core/resources/ui_registry.h"

namespace {

constexpr wchar_t kNoBrowserText[] =
    L"Tarnwick could not find a web browser to show the game in.\n\n"
    L"Install Google Chrome, Microsoft Edge or Chromium, or name a browser in "
    L"cef\\engine.ini beside Tarnwick.exe, then start Tarnwick again.";

}  // namespace

ClientStartupServices::ClientStartupServices()
    : showMessage_(
          [](const std::wstring& text, HWND owner) { vok_comp::Toast::ShowToast(text, owner); }),
      showError_([](const std::wstring& text) {
        MessageBoxW(nullptr, text.c_str(), L"Tarnwick", MB_OK | MB_ICONERROR);
      }),
      engineSettings_(new CefSettings) {
  std::memset(engineSettings_.get(), 0, sizeof(CefSettings));
  engineSettings_->size = sizeof(CefSettings);
}

ClientStartupServices::~ClientStartupServices() {
  cef_string_clear(&engineSettings_->cache_path);
  cef_string_clear(&engineSettings_->log_file);
}

void ClientStartupServices::PrepareEngineFolder() {
  vok_comp::CefManager::GetInstance()->PrepareEngineFolder();
}

bool ClientStartupServices::InitializeOle() {
  return SUCCEEDED(OleInitialize(nullptr));
}

void ClientStartupServices::UninitializeOle() {
  OleUninitialize();
}

bool ClientStartupServices::InitializeEngine(const std::wstring& cacheFolder) {
  if (vok_comp::CefManager::GetInstance()->Initialize(cacheFolder, *engineSettings_)) return true;
  // The one failure a user can mend: no browser to drive. Said plainly, then the client
  // ends as it does when its window is closed.
  if (engine::ConfiguredBrowser().empty() && showError_) showError_(kNoBrowserText);
  return false;
}

void ClientStartupServices::UninitializeEngine() {
  vok_comp::CefManager::GetInstance()->Uninitialize();
}

void ClientStartupServices::StartUi(const std::wstring& resourceFolder, const std::wstring& theme,
                                    const std::wstring& language) {
  // Layouts name the controls of the control library; the client makes none of its own
  // classes through the builder's callback.
  ui::AddControlClasses();
  // Before the global style is read: its fonts are made at the scale in force.
  DisplayScale::Read(FileBesideExecutable(L"service.ini"))
      .ApplyTo(ui::UiRegistry::GetDpiScaler(), DisplayScale::SystemDpi());
  ui::UiRegistry::Startup(resourceFolder, nullptr, theme, language);
}

void ClientStartupServices::ShutdownUi() {
  ui::UiRegistry::Shutdown();
}

void ClientStartupServices::OpenStartWindow(const StartWindowParams& params) {
  auto* form = new BasicForm();
  form->SetMessageFunction(showMessage_);
  startWindow_ = form->WeakFlagOf();
  form->CreateNativeWindow(nullptr, params.text, params.style, params.exStyle, params.layered,
                           ui::UiRect());
  // A start window whose layout does not build has gone again; nothing would ever end
  // the loop, so end it as closing the window would.
  if (startWindow_.expired() || !form->GetHWND()) {
    PostQuitMessage(0);
    return;
  }
  startForm_ = form;
  form->CenterWindow();
  form->ShowNativeWindow(true, true);
}

BasicForm* ClientStartupServices::StartWindow() const {
  return startWindow_.expired() ? nullptr : startForm_;
}

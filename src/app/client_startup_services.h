#pragma once

#include <functional>
#include <memory>
#include <string>

#include "app/client_messages.h"
#include "app/startup_services.h"
#include "runtime/weak_callback.h"

struct CefSettings;
class BasicForm;

// The start-up services of the shipped client: OLE, the browser engine, the UI framework
// and the start window (BasicForm), which opens the login window.
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

  // How the login and game windows show a page's message (a toast over the window unless
  // set otherwise); set before the start window.
  void SetMessageFunction(MessageFunction show) { showMessage_ = std::move(show); }
  // How a failure the user must act on is reported (a message box unless set otherwise).
  using ErrorFunction = std::function<void(const std::wstring& text)>;
  void SetErrorFunction(ErrorFunction show) { showError_ = std::move(show); }
  // The start window while it exists.
  BasicForm* StartWindow() const;

 private:
  MessageFunction showMessage_;
  ErrorFunction showError_;
  BasicForm* startForm_ = nullptr;
  std::weak_ptr<kbase::WeakFlag> startWindow_;
  // The engine reads its settings while it starts; their strings are released after the
  // engine has shut down.
  std::unique_ptr<CefSettings> engineSettings_;
};

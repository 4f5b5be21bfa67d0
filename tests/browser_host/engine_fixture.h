#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "browser_host/browser_handler.h"
#include "browser_host/cef_manager.h"
#include "browser_host/recording_delegate.h"
#include "browser_host/ui_thread.h"
#include "engine/cef/cef_app.h"
#include "engine/core/engine_core.h"
#include "engine/scripted/scripted_backend.h"

namespace browser_host_test {

class PlainApp : public CefApp {
  IMPLEMENT_REFCOUNTING(PlainApp);
};

// Installs a scripted backend and starts the engine with the application object; none
// when the engine did not start.
inline std::shared_ptr<engine::ScriptedBackend> StartScriptedEngine(CefRefPtr<CefApp> app) {
  auto backend = std::make_shared<engine::ScriptedBackend>();
  engine::UseBackend(backend);
  CefSettings settings;
  std::memset(&settings, 0, sizeof(settings));
  settings.size = sizeof(settings);
  if (!CefInitialize(CefMainArgs(GetModuleHandleW(nullptr)), settings, app, nullptr)) {
    engine::UseBackend(nullptr);
    return nullptr;
  }
  return backend;
}

// A running scripted engine, the program's UI thread, and one handler with a recording
// delegate attached on the UI thread.
class EngineFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    backend_ = StartScriptedEngine(MakeApp());
    ASSERT_TRUE(backend_);
    handler_ = new vok_comp::BrowserHandler();
    delegate_ = MakeDelegate(handler_);
    ASSERT_TRUE(ui_.Run([this] { handler_->SetHandlerDelegate(delegate_); }));
  }

  void TearDown() override {
    CefShutdown();
    engine::UseBackend(nullptr);
    // The close steps of the browsers the shutdown closed run on the UI thread.
    EXPECT_TRUE(ui_.Drain());
    ui_.Run([this] {
      handler_->SetHandlerDelegate(nullptr);
      delete delegate_;
      delegate_ = nullptr;
    });
    EXPECT_EQ(BrowserCount(), 0);
  }

  virtual CefRefPtr<CefApp> MakeApp() { return new PlainApp(); }
  virtual RecordingDelegate* MakeDelegate(CefRefPtr<vok_comp::BrowserHandler>) {
    return new RecordingDelegate(log_);
  }

  // Opens a browser with the handler and waits until its after-created step has run.
  int CreateBrowser(const std::string& url) { return CreateBrowser(url, handler_); }
  int CreateBrowser(const std::string& url, CefRefPtr<vok_comp::BrowserHandler> handler) {
    CefWindowInfo info;
    info.style = WS_OVERLAPPEDWINDOW;
    info.width = 400;
    info.height = 300;
    auto currentId = [handler] {
      CefRefPtr<CefBrowser> browser = handler->GetBrowser();
      return browser ? browser->GetIdentifier() : 0;
    };
    const int before = currentId();
    EXPECT_TRUE(CefBrowserHost::CreateBrowser(info, handler.get(), url, CefBrowserSettings(),
                                              nullptr, nullptr));
    EXPECT_TRUE(WaitFor([&] { return currentId() != before; }));
    EXPECT_TRUE(backend_->Settle());
    EXPECT_TRUE(ui_.Drain());
    return currentId();
  }

  // Lets the engine and then the UI thread finish what the last page action started.
  void Settle() {
    ASSERT_TRUE(backend_->Settle());
    ASSERT_TRUE(ui_.Drain());
  }

  int BrowserCount() {
    int count = -1;
    ui_.Run([&] { count = vok_comp::CefManager::GetInstance()->BrowserCount(); });
    return count;
  }

  UiThread ui_;
  CallLog log_;
  std::shared_ptr<engine::ScriptedBackend> backend_;
  CefRefPtr<vok_comp::BrowserHandler> handler_;
  RecordingDelegate* delegate_ = nullptr;  // owned by the UI thread, like a control
};

}  // namespace browser_host_test

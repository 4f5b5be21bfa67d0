// The engine started as the client starts it, over the real browser named by the engine
// folder of the build: one page opened, closed, and nothing left running.

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <memory>
#include <string>

#include "browser_host/browser_handler.h"
#include "browser_host/cef_manager.h"
#include "browser_host/recording_delegate.h"
#include "browser_host/ui_thread.h"
#include "engine/browser_process.h"
#include "engine/devtools_backend.h"
#include "engine/engine_core.h"
#include "engine/http_test_server.h"

namespace browser_host_test {
namespace {

using vok_comp::CefManager;

bool Exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

TEST(RealEngineTest, OpensAPageClosesItAndLeavesNoBrowser) {
  const std::wstring binFolder = TARNWICK_BIN_FOLDER;
  const std::wstring browser =
      engine::BrowserProcess::ConfiguredBrowser(binFolder + L"cef/engine.ini");
  if (browser.empty()) GTEST_SKIP() << "no browser named in build/bin/cef/engine.ini";
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring dataDir = std::wstring(temp) + L"real-engine-" +
                               std::to_wstring(GetCurrentProcessId()) + L"\\cef_temp\\";
  engine_test::HttpTestServer server;
  ASSERT_TRUE(server.Started());
  server.Set("/page",
             {200, "<html><head><title>Real page</title></head><body>x</body></html>", ""});

  UiThread ui;
  CallLog log;
  // The search path keeps the engine folder for the rest of this test program; harmless,
  // as the engine layer finds its browser through its own settings file.
  ASSERT_TRUE(CefManager::GetInstance()->PrepareEngineFolderIn(binFolder));
  engine::UseBackend(std::make_shared<engine::DevToolsBackend>(browser));
  CefSettings settings;
  std::memset(&settings, 0, sizeof(settings));
  settings.size = sizeof(settings);
  ASSERT_TRUE(CefManager::GetInstance()->Initialize(dataDir, settings));

  CefRefPtr<vok_comp::BrowserHandler> handler = new vok_comp::BrowserHandler();
  auto* delegate = new RecordingDelegate(log);
  ui.Run([&] { handler->SetHandlerDelegate(delegate); });
  CefWindowInfo info;
  info.style = WS_OVERLAPPEDWINDOW;
  info.width = 400;
  info.height = 300;
  EXPECT_TRUE(CefBrowserHost::CreateBrowser(info, handler.get(), server.Url("/page"),
                                            CefBrowserSettings(), nullptr, nullptr));
  EXPECT_TRUE(WaitFor([&] { return !log.Named("OnLoadEnd").empty(); }, 60000));
  EXPECT_TRUE(WaitFor([&] { return !log.Named("OnTitleChange").empty(); }, 20000));
  for (const Call& call : log.Named("OnLoadEnd")) EXPECT_EQ(call.thread, ui.Id());
  ASSERT_NE(handler->GetBrowserHost(), nullptr);
  handler->GetBrowserHost()->CloseBrowser(true);
  EXPECT_TRUE(WaitFor([&] { return !log.Named("OnBeforeClose").empty(); }, 30000));
  int count = -1;
  ui.Run([&] { count = CefManager::GetInstance()->BrowserCount(); });
  EXPECT_EQ(count, 0);

  CefManager::GetInstance()->Uninitialize();
  engine::UseBackend(nullptr);
  ui.Run([&] {
    handler->SetHandlerDelegate(nullptr);
    delete delegate;
  });
  // The engine's watchdog leaves this mark once the browser process has gone.
  EXPECT_TRUE(WaitFor([&] { return Exists(dataDir + L"CefLocalStorage\\engine-exited"); }, 30000))
      << "a browser process was left running";
  cef_string_clear(&settings.cache_path);
  cef_string_clear(&settings.log_file);
  engine::BrowserProcess::RemoveFolder(std::wstring(temp) + L"real-engine-" +
                                       std::to_wstring(GetCurrentProcessId()) + L"\\");
}

}  // namespace
}  // namespace browser_host_test

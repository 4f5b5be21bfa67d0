#include "browser_host/cef_manager.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>

#include "browser_host/engine_fixture.h"
#include "common/temp_folder.h"

namespace browser_host_test {
namespace {

using vok_comp::CefManager;

class CefManagerTest : public EngineFixture {
 protected:
  // The exit code of a quit message waiting on the UI thread, or -1.
  int TakeQuit() {
    int code = -1;
    ui_.Run([&] {
      MSG msg;
      if (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) code = int(msg.wParam);
    });
    return code;
  }
  void RequestQuit(int exitCode) {
    ui_.Run([exitCode] { CefManager::GetInstance()->PostQuitAfterBrowsersClosed(exitCode); });
  }
};

// A process may run the client more than once: browsers of an earlier run that closed
// after its loop had ended never took themselves off the count, and a count left above
// zero would keep the next run from ever ending once its windows close.
TEST(CefManagerRunTest, ANewEngineStartsWithNoBrowserCounted) {
  CefManager* manager = CefManager::GetInstance();
  manager->IncrementBrowserCount();
  manager->IncrementBrowserCount();
  test_files::TempFolder folder(L"tarnwick_manager_run_");
  ASSERT_TRUE(folder.Created());
  engine::UseBackend(std::make_shared<engine::ScriptedBackend>());
  CefSettings settings;
  std::memset(&settings, 0, sizeof(settings));
  settings.size = sizeof(settings);
  ASSERT_TRUE(manager->Initialize(folder.Path(), settings));
  EXPECT_EQ(manager->BrowserCount(), 0);
  manager->Uninitialize();
  cef_string_clear(&settings.cache_path);
  cef_string_clear(&settings.log_file);
}

TEST_F(CefManagerTest, QuitsAtOnceWithoutBrowsers) {
  RequestQuit(4);
  ASSERT_TRUE(ui_.Drain());
  EXPECT_EQ(TakeQuit(), 4);
}

TEST_F(CefManagerTest, QuitWaitsForTheLastBrowserToClose) {
  CreateBrowser("http://site.test/start");
  EXPECT_EQ(BrowserCount(), 1);
  RequestQuit(3);
  Sleep(1200);  // more than two checks
  EXPECT_EQ(TakeQuit(), -1) << "quit while a browser was open";
  handler_->GetBrowserHost()->CloseBrowser(true);
  ASSERT_TRUE(WaitFor([&] { return !log_.Named("OnBeforeClose").empty(); }));
  EXPECT_EQ(log_.Named("OnBeforeClose")[0].thread, ui_.Id());
  EXPECT_EQ(BrowserCount(), 0);
  EXPECT_EQ(handler_->GetBrowser(), nullptr);
  int code = -1;
  EXPECT_TRUE(WaitFor([&] {
    code = TakeQuit();
    return code != -1;
  }));
  EXPECT_EQ(code, 3);
}

TEST_F(CefManagerTest, ClosingTheNewestBrowserBringsBackThePreviousOne) {
  const int first = CreateBrowser("http://site.test/first");
  const int second = CreateBrowser("http://site.test/second");
  ASSERT_NE(first, second);
  EXPECT_EQ(BrowserCount(), 2);
  EXPECT_EQ(handler_->GetBrowser()->GetIdentifier(), second);
  const int loadsBefore = backend_->RequestsFor("http://site.test/first");
  handler_->GetBrowserHost()->CloseBrowser(true);
  ASSERT_TRUE(WaitFor([&] { return !log_.Named("OnBeforeClose").empty(); }));
  Settle();
  ASSERT_NE(handler_->GetBrowser(), nullptr);
  EXPECT_EQ(handler_->GetBrowser()->GetIdentifier(), first);
  EXPECT_EQ(BrowserCount(), 1);
  EXPECT_EQ(backend_->RequestsFor("http://site.test/first"), loadsBefore + 1)
      << "the browser shown again was not reloaded";
}

}  // namespace
}  // namespace browser_host_test

// The client's entry with its real engine steps: this program has an engine folder "cef"
// beside it, as the client has, and the start window's step is replaced by a stand-in
// that opens a browser on a local page, closes it once the page has loaded and asks for
// the quit as a closing browser window does.

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "app/client_entry.h"
#include "app/client_startup_services.h"
#include "browser_host/browser_handler.h"
#include "browser_host/cef_manager.h"
#include "browser_host/recording_delegate.h"
#include "engine/http_test_server.h"
#include "engine/process/browser_process.h"
#include "runtime/path_util.h"
#include "runtime/thread_registry.h"

namespace {

using browser_host_test::CallLog;
using browser_host_test::RecordingDelegate;

// Long enough for a browser to start on a loaded machine; then the stand-in gives up.
constexpr int64_t kPageTimeout = 90 * 1000 * 1000;

bool Exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A browser window's control, as far as this run needs one: the first load end closes it.
class ClosingDelegate : public RecordingDelegate {
 public:
  ClosingDelegate(CallLog& log, std::function<void()> onLoaded)
      : RecordingDelegate(log), onLoaded_(std::move(onLoaded)) {}
  void OnLoadEnd(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame, int status) override {
    RecordingDelegate::OnLoadEnd(browser, frame, status);
    if (onLoaded_) std::exchange(onLoaded_, nullptr)();
  }

 private:
  std::function<void()> onLoaded_;
};

// The real start-up services with a browser window standing in for the start window.
class BrowsingStartServices : public ClientStartupServices {
 public:
  BrowsingStartServices(std::string url, CallLog& log) : url_(std::move(url)), log_(log) {}
  ~BrowsingStartServices() override {
    if (handler_) handler_->SetHandlerDelegate(nullptr);
  }

  void OpenStartWindow(const StartWindowParams&) override {
    handler_ = new vok_comp::BrowserHandler();
    delegate_ = std::make_unique<ClosingDelegate>(log_, [this] { Close(); });
    handler_->SetHandlerDelegate(delegate_.get());
    CefWindowInfo info;
    info.style = WS_OVERLAPPEDWINDOW;
    info.width = 400;
    info.height = 300;
    opened = CefBrowserHost::CreateBrowser(info, handler_.get(), url_, CefBrowserSettings(),
                                           nullptr, nullptr);
    kbase::ThreadRegistry::PostToThreadAfter(
        [this] {
          if (closed) return;
          timedOut = true;
          Close();
        },
        kPageTimeout);
  }

  bool opened = false;
  bool closed = false;
  bool timedOut = false;

 private:
  void Close() {
    closed = true;
    if (CefRefPtr<CefBrowserHost> host = handler_->GetBrowserHost()) host->CloseBrowser(true);
    vok_comp::CefManager::GetInstance()->PostQuitAfterBrowsersClosed(0);
  }

  std::string url_;
  CallLog& log_;
  CefRefPtr<vok_comp::BrowserHandler> handler_;
  std::unique_ptr<ClosingDelegate> delegate_;
};

TEST(EntryEngineTest, OpensAPageClosesItShutsDownAndLeavesNoBrowser) {
  const std::wstring folder = kbase::ModuleFolder();
  if (engine::BrowserProcess::ConfiguredBrowser(folder + L"cef\\engine.ini").empty())
    GTEST_SKIP() << "no browser named in the engine folder beside this program";
  engine_test::HttpTestServer server;
  ASSERT_TRUE(server.Started());
  server.Set("/start", {200, "<html><head><title>Start</title></head><body>x</body></html>", ""});
  CallLog log;
  BrowsingStartServices services(server.Url("/start"), log);
  const DWORD entryThread = GetCurrentThreadId();

  EXPECT_EQ(RunClientEntry(services), 0);

  EXPECT_TRUE(services.opened);
  EXPECT_FALSE(services.timedOut) << "the page never finished loading";
  EXPECT_EQ(server.Requests("/start"), 1);
  ASSERT_EQ(log.Named("OnLoadEnd").size(), 1u);
  EXPECT_EQ(log.Named("OnLoadEnd")[0].thread, entryThread);
  EXPECT_EQ(log.Named("OnLoadEnd")[0].detail, "200");
  // The loop ended only once the browser had closed.
  ASSERT_EQ(log.Named("OnBeforeClose").size(), 1u);
  EXPECT_EQ(log.Named("OnBeforeClose")[0].thread, entryThread);
  EXPECT_EQ(vok_comp::CefManager::GetInstance()->BrowserCount(), 0);
  // The engine's watchdog leaves this mark once the browser process has gone.
  const std::wstring dataFolder = folder + L"cef_temp\\";
  EXPECT_TRUE(Exists(dataFolder + L"cef.log") || Exists(dataFolder + L"CefLocalStorage"));
  bool gone = false;
  for (int i = 0; i < 300 && !gone; ++i) {
    gone = Exists(dataFolder + L"CefLocalStorage\\engine-exited");
    if (!gone) Sleep(100);
  }
  EXPECT_TRUE(gone) << "a browser process was left running";
  engine::BrowserProcess::RemoveFolder(dataFolder);
}

}  // namespace

// The engine started as the client starts it, over the real browser named by the engine
// folder of the build: pages opened, closed, and nothing left running.

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "browser_host/bridge_control.h"
#include "browser_host/browser_handler.h"
#include "browser_host/cef_manager.h"
#include "browser_host/real_engine.h"
#include "browser_host/recording_delegate.h"
#include "browser_host/ui_thread.h"
#include "engine/core/engine_core.h"
#include "engine/devtools/devtools_backend.h"
#include "engine/http_test_server.h"
#include "engine/process/browser_process.h"

namespace browser_host_test {
namespace {

using vok_comp::CefManager;

// The manager prepares the build's engine folder and starts the engine over its browser;
// one handler with a control that owns a bridge is attached on the UI thread.
class RealEngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server_.Started());
    std::string skip;
    if (!engine_.Start(&skip)) {
      if (!skip.empty()) GTEST_SKIP() << skip;
      FAIL() << "the engine did not start";
    }
    handler_ = new vok_comp::BrowserHandler();
    control_ = new BridgeControl(log_, handler_);
    ui_.Run([&] { handler_->SetHandlerDelegate(control_); });
  }

  void TearDown() override {
    if (!engine_.Started()) return;
    const bool stopped = engine_.Stop();
    ui_.Run([&] {
      handler_->SetHandlerDelegate(nullptr);
      delete control_;
    });
    EXPECT_TRUE(stopped) << "a browser process was left running";
  }

  void OpenBrowser(const std::string& path) {
    CefWindowInfo info;
    info.style = WS_OVERLAPPEDWINDOW;
    info.width = 400;
    info.height = 300;
    EXPECT_TRUE(CefBrowserHost::CreateBrowser(info, handler_.get(), server_.Url(path),
                                              CefBrowserSettings(), nullptr, nullptr));
    EXPECT_TRUE(WaitFor([&] { return !log_.Named("OnLoadEnd").empty(); }, 60000));
  }

  void CloseBrowser() {
    ASSERT_NE(handler_->GetBrowserHost(), nullptr);
    handler_->GetBrowserHost()->CloseBrowser(true);
    EXPECT_TRUE(WaitFor([&] { return !log_.Named("OnBeforeClose").empty(); }, 30000));
    int count = -1;
    ui_.Run([&] { count = CefManager::GetInstance()->BrowserCount(); });
    EXPECT_EQ(count, 0);
  }

  // The newest title that starts with the prefix, once the page has set one.
  std::string TitleStartingWith(const std::string& prefix, unsigned timeoutMs) {
    std::string found;
    WaitFor(
        [&] {
          for (const Call& call : log_.Named("OnTitleChange")) {
            if (call.detail.rfind(prefix, 0) == 0) found = call.detail;
          }
          return !found.empty();
        },
        timeoutMs);
    return found;
  }

  RealEngine engine_;
  engine_test::HttpTestServer server_;
  UiThread ui_;
  CallLog log_;
  CefRefPtr<vok_comp::BrowserHandler> handler_;
  BridgeControl* control_ = nullptr;  // owned by the UI thread, like a control
};

TEST_F(RealEngineTest, OpensAPageClosesItAndLeavesNoBrowser) {
  server_.Set("/page",
              {200, "<html><head><title>Real page</title></head><body>x</body></html>", ""});
  OpenBrowser("/page");
  EXPECT_TRUE(WaitFor([&] { return !log_.Named("OnTitleChange").empty(); }, 20000));
  for (const Call& call : log_.Named("OnLoadEnd")) EXPECT_EQ(call.thread, ui_.Id());
  CloseBrowser();
}

// What the page does once its host function exists: a call with a string, a call of a name
// the host lacks, a call with undefined parameters, a page function registered twice here
// and once in a frame; the title reports the outcomes.
constexpr char kBridgePage[] = R"(<html><head><title>Bridge</title></head><body>
<iframe src="/frame"></iframe>
<script>
function runBridge() {
  const out = {};
  const done = () => { if (Object.keys(out).length === 5) document.title = 'bridge ' +
      ['echo', 'missing', 'undefined', 'register', 'frame'].map(k => out[k]).join(' | '); };
  VokCefWebInstance.call('Echo', 'hello', (e, r) => { out.echo = e + ':' + r.message; done(); });
  VokCefWebInstance.call('Missing', {a: 1}, (e, r) => { out.missing = e + ':' + r.message; done(); });
  try { VokCefWebInstance.call('Echo', undefined, () => {}); out.undefined = 'no throw'; }
  catch (x) { out.undefined = x.message; }
  try {
    VokCefWebInstance.register('onPush', () => {});
    VokCefWebInstance.register('onPush', () => {});
    out.register = 'no throw';
  } catch (x) { out.register = x.message; }
  out.frame = window.frameResult;
  done();
}
</script></body></html>)";

constexpr char kBridgeFrame[] = R"(<html><body><script>
try { VokCefWebInstance.register('onPush', () => {}); parent.frameResult = 'registered'; }
catch (x) { parent.frameResult = x.message; }
</script></body></html>)";

TEST_F(RealEngineTest, APageCallsAHostFunctionAndItsCallbackGetsTheAnswer) {
  server_.Set("/bridge", {200, kBridgePage, ""});
  server_.Set("/frame", {200, kBridgeFrame, ""});
  std::mutex lock;
  std::vector<std::string> params;
  std::vector<unsigned long> threads;
  OpenBrowser("/bridge");
  bool registered = false;
  ui_.Run([&] {
    registered = control_->RegisterHostFunction(
        L"Echo",
        [&](const std::string& text, vok_comp::ReplyFunction reply) {
          {
            std::lock_guard<std::mutex> hold(lock);
            params.push_back(text);
            threads.push_back(GetCurrentThreadId());
          }
          reply(false, "{ \"message\": \"Success.\" }");
        },
        false);
  });
  ASSERT_TRUE(registered);
  handler_->GetBrowser()->GetMainFrame()->ExecuteJavaScript("runBridge();", "", 0);
  EXPECT_EQ(TitleStartingWith("bridge ", 30000),
            "bridge false:Success. | true:Function does not exist. | Invalid arguments. | "
            "Failed to register function. | registered");
  {
    std::lock_guard<std::mutex> hold(lock);
    EXPECT_EQ(params, (std::vector<std::string>{"\"hello\""}));
    for (unsigned long thread : threads) EXPECT_EQ(thread, ui_.Id());
  }
  CloseBrowser();
}

// The first document registers a page function and leaves a host call pending; the
// reloaded document may take the name again, and the old call's late answer reaches no one.
constexpr char kReloadPage[] = R"(<html><head><title>Reload</title></head><body><script>
function first() {
  VokCefWebInstance.register('onPush', () => {});
  VokCefWebInstance.call('Later', () => { document.title = 'late answer reached a page'; });
}
function second() {
  let registered;
  try { VokCefWebInstance.register('onPush', () => {}); registered = 'registered'; }
  catch (x) { registered = x.message; }
  VokCefWebInstance.call('Echo', 'again', (e, r) => {
    document.title = 'second ' + registered + ' ' + e + ':' + r.message;
  });
}
</script></body></html>)";

TEST_F(RealEngineTest, AReloadDropsThePagesCallbacksAndFunctions) {
  server_.Set("/reload", {200, kReloadPage, ""});
  std::mutex lock;
  std::vector<vok_comp::ReplyFunction> pending;
  OpenBrowser("/reload");
  bool registered = false;
  ui_.Run([&] {
    registered = control_->RegisterHostFunction(
        L"Later",
        [&](const std::string&, vok_comp::ReplyFunction reply) {
          std::lock_guard<std::mutex> hold(lock);
          pending.push_back(reply);
        },
        false);
    registered = registered && control_->RegisterHostFunction(
                                   L"Echo",
                                   [](const std::string&, vok_comp::ReplyFunction reply) {
                                     reply(false, "{ \"message\": \"Success.\" }");
                                   },
                                   false);
  });
  ASSERT_TRUE(registered);
  handler_->GetBrowser()->GetMainFrame()->ExecuteJavaScript("first();", "", 0);
  ASSERT_TRUE(WaitFor(
      [&] {
        std::lock_guard<std::mutex> hold(lock);
        return !pending.empty();
      },
      30000));
  handler_->GetBrowser()->Reload();
  ASSERT_TRUE(WaitFor([&] { return log_.Named("OnLoadEnd").size() >= 2; }, 30000));
  {
    std::lock_guard<std::mutex> hold(lock);
    pending[0](false, "{ \"message\": \"Too late.\" }");
  }
  handler_->GetBrowser()->GetMainFrame()->ExecuteJavaScript("second();", "", 0);
  EXPECT_EQ(TitleStartingWith("second ", 30000), "second registered false:Success.");
  EXPECT_EQ(TitleStartingWith("late answer", 0), "");
  CloseBrowser();
}

}  // namespace
}  // namespace browser_host_test

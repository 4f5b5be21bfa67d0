// The engine against a browser that speaks the DevTools protocol badly or goes away.

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include <winsock2.h>

#include "engine/devtools_fixture.h"

using namespace engine_test;

namespace {

// A browser speaking the protocol badly: malformed and wrongly typed messages, then what
// ends either channel: on the pipes a message that is not UTF-8, on the port's WebSocket a
// frame too long for any message.
class MalformedProtocol : public ::testing::TestWithParam<engine::ControlChannel> {};

TEST_P(MalformedProtocol, EndsInRendererTerminationNotACrash) {
  if (ConfiguredBrowser().empty()) GTEST_SKIP() << "no browser named in build/bin/cef/engine.ini";
  EventLog log;
  auto backend = std::make_shared<engine::DevToolsBackend>(
      std::wstring(TARNWICK_SOURCE_TEST_DATA) + L"/engine/fake-browser.py",
      std::vector<std::wstring>(), GetParam());
  engine::UseBackend(backend);
  ASSERT_TRUE(CefInitialize(CefMainArgs(), ZeroSettings(), nullptr, nullptr))
      << backend->LastError();
  CefRefPtr<RecordingClient> client = new RecordingClient(log);
  ASSERT_TRUE(OpenTopLevelBrowser(client, "http://x.test/"));
  EXPECT_TRUE(WaitFor([&] { return log.Count("OnRenderProcessTerminated") == 1; }));
  const DWORD start = GetTickCount();
  CefShutdown();
  EXPECT_LT(GetTickCount() - start, 15000u) << "shut-down must not wait on a broken browser";
  EXPECT_EQ(log.Count("OnBeforeClose"), 1u);
  engine::UseBackend(nullptr);
}

INSTANTIATE_TEST_SUITE_P(EitherChannel, MalformedProtocol,
                         ::testing::Values(engine::ControlChannel::kPipe,
                                           engine::ControlChannel::kPort));

// A browser that goes away while one page is open and another is being made: its end
// reaches the open page by three ways at once (target destroyed, session detached,
// connection closed). Each page, and one made after the browser has gone, is told exactly
// once that its renderer has ended.
TEST(DevToolsProtocol, EveryPageOfABrowserThatGoesAwayIsEndedOnce) {
  if (ConfiguredBrowser().empty()) GTEST_SKIP() << "no browser named in build/bin/cef/engine.ini";
  EventLog appLog, firstLog, makingLog, laterLog;
  CefRefPtr<RecordingApp> app = new RecordingApp(appLog, {});
  app->switchesToAdd.push_back({"fake-ending", ""});
  auto backend = std::make_shared<engine::DevToolsBackend>(std::wstring(TARNWICK_SOURCE_TEST_DATA) +
                                                           L"/engine/fake-browser.py");
  engine::UseBackend(backend);
  ASSERT_TRUE(CefInitialize(CefMainArgs(), ZeroSettings(), app.get(), nullptr))
      << backend->LastError();
  auto ended = [](const EventLog& log) { return log.Count("OnRenderProcessTerminated") > 0; };
  CefRefPtr<RecordingClient> first = new RecordingClient(firstLog);
  CefRefPtr<RecordingClient> making = new RecordingClient(makingLog);
  CefRefPtr<RecordingClient> later = new RecordingClient(laterLog);
  // The page is set up once it has navigated.
  EXPECT_TRUE(OpenTopLevelBrowser(first, "http://x.test/open") &&
              WaitFor([&] { return firstLog.Count("OnAddressChange") > 0; }));
  // Asked for this page's target, the browser goes away.
  EXPECT_TRUE(OpenTopLevelBrowser(making, "http://x.test/making") &&
              WaitFor([&] { return ended(firstLog) && ended(makingLog); }));
  EXPECT_TRUE(OpenTopLevelBrowser(later, "http://x.test/later") &&
              WaitFor([&] { return ended(laterLog); }));
  CefShutdown();
  engine::UseBackend(nullptr);
  auto statuses = [](const EventLog& log) {
    std::string all;
    for (const Event& e : log.Named("OnRenderProcessTerminated")) all += e.detail + ";";
    return all;
  };
  EXPECT_EQ(statuses(firstLog), std::to_string(TS_PROCESS_WAS_KILLED) + ";");
  EXPECT_EQ(statuses(makingLog), std::to_string(TS_ABNORMAL_TERMINATION) + ";");
  EXPECT_EQ(statuses(laterLog), std::to_string(TS_ABNORMAL_TERMINATION) + ";");
}

}  // namespace

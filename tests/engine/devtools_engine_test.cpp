// The engine on a real browser over the DevTools protocol, against a local server.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

#include <winsock2.h>

#include <imm.h>

#include "common/temp_folder.h"
#include "engine/core/context_menu.h"
#include "engine/devtools_fixture.h"
#include "engine/input/ime_input.h"

using namespace engine_test;

namespace {

// A port nothing listens on: one the system just handed out and took back.
int ClosedPort() {
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = inet_addr("127.0.0.1");
  bind(s, reinterpret_cast<sockaddr*>(&address), sizeof(address));
  int size = sizeof(address);
  getsockname(s, reinterpret_cast<sockaddr*>(&address), &size);
  closesocket(s);
  return ntohs(address.sin_port);
}

TEST_F(DevToolsEngine, PagesLoadWithTheirStatus) {
  server_.Set("/missing", {404, "<html><title>gone</title>missing</html>", ""});
  Open(server_.Url("/ok"));
  ASSERT_TRUE(WaitForLoadEnd(server_.Url("/ok") + "|200"));
  client_->Browser()->GetMainFrame()->LoadURL(server_.Url("/missing"));
  ASSERT_TRUE(WaitForLoadEnd(server_.Url("/missing") + "|404"));
  EXPECT_TRUE(WaitForTitle([](const std::string& t) { return t == "gone"; }));
  auto order = log_.Sequence({"OnAddressChange", "OnLoadStart", "OnLoadEnd"});
  ASSERT_GE(order.size(), 3u);
  EXPECT_EQ(order[0], "OnAddressChange");
  EXPECT_EQ(order[1], "OnLoadStart");
  EXPECT_EQ(order[2], "OnLoadEnd");
}

TEST_F(DevToolsEngine, CancelledNavigationsLeaveTheOldPage) {
  server_.Set("/start", {200,
                         "<html><title>start</title><a id=l href='/blocked-link'>x</a>"
                         "<form id=f method=post action='/blocked-form'></form></html>",
                         ""});
  server_.Set("/hop", {302, "", "/blocked-redirect"});
  client_->cancelNavigation = [](const std::string& url, bool) {
    return url.find("blocked") != std::string::npos;
  };
  Open(server_.Url("/start"));
  ASSERT_TRUE(WaitForLoadEnd(server_.Url("/start") + "|200"));
  CefRefPtr<CefFrame> frame = client_->Browser()->GetMainFrame();
  frame->ExecuteJavaScript("document.getElementById('l').click()", "", 0);
  ASSERT_TRUE(WaitFor([&] { return log_.Count("OnBeforeBrowse") >= 2; }));
  frame->ExecuteJavaScript("document.getElementById('f').submit()", "", 0);
  ASSERT_TRUE(WaitFor([&] { return log_.Count("OnBeforeBrowse") >= 3; }));
  frame->LoadURL(server_.Url("/hop"));
  ASSERT_TRUE(WaitFor([&] {
    for (const Event& e : log_.Named("OnBeforeBrowse")) {
      if (e.detail == server_.Url("/blocked-redirect") + "|redirect|main") return true;
    }
    return false;
  }));
  Sleep(500);
  EXPECT_EQ(server_.Requests("/blocked-link"), 0);
  EXPECT_EQ(server_.Requests("/blocked-form"), 0);
  EXPECT_EQ(server_.Requests("/blocked-redirect"), 0);
  EXPECT_EQ(server_.Requests("/hop"), 1);
  EXPECT_EQ(frame->GetURL().ToString(), server_.Url("/start"));
  EXPECT_EQ(log_.Count("OnLoadEnd"), 1u);
}

TEST_F(DevToolsEngine, PopupsAreAskedAboutAndSeeNoRequest) {
  server_.Set("/opener", {200,
                          "<html><title>opener</title><a id=b target=_blank href='/popup-b'>b</a>"
                          "<script>window.open('/popup-a', 'named');</script></html>",
                          ""});
  Open(server_.Url("/opener"));
  ASSERT_TRUE(WaitForLoadEnd(server_.Url("/opener") + "|200"));
  client_->Browser()->GetMainFrame()->ExecuteJavaScript("document.getElementById('b').click()", "",
                                                        0);
  ASSERT_TRUE(WaitFor([&] { return log_.Count("OnBeforePopup") >= 2; }));
  Sleep(1000);
  auto popups = log_.Named("OnBeforePopup");
  EXPECT_EQ(popups[0].detail, server_.Url("/popup-a") + "|named|no gesture|main");
  EXPECT_EQ(popups[1].detail.rfind(server_.Url("/popup-b") + "|", 0), 0u) << popups[1].detail;
  EXPECT_EQ(server_.Requests("/popup-a"), 0);
  EXPECT_EQ(server_.Requests("/popup-b"), 0);
  EXPECT_EQ(log_.Count("OnAfterCreated"), 1u);
}

TEST_F(DevToolsEngine, DialogsReachTheHandlerAndNativeFunctionsAnswer) {
  client_->dialogAnswer = [](CefRefPtr<CefJSDialogCallback> callback, bool&) {
    callback->Continue(true, "typed");
    return true;
  };
  server_.Set(
      "/script",
      {200,
       "<html><script>"
       "alert('a'); var ok = confirm('c'); var said = prompt('p', 'd');"
       "var r = Host.twice(21); var e = ''; try { Host.fail(); } catch (x) { e = x.message; }"
       "document.title = [ok, said, r, e].join(',');"
       "</script></html>",
       ""});
  Open(server_.Url("/script"));
  ASSERT_TRUE(WaitForTitle([](const std::string& t) {
    return t == "true,typed,42,Invalid arguments.";
  })) << LastTitle();
  auto dialogs = log_.Named("OnJSDialog");
  ASSERT_EQ(dialogs.size(), 3u);
  EXPECT_EQ(dialogs[0].detail.substr(0, 4), "0|a|");
  EXPECT_EQ(dialogs[2].detail.substr(0, 6), "2|p|d|");
}

TEST_F(DevToolsEngine, ProcessMessagesMakeTheRoundTrip) {
  Open(server_.Url("/messages"));
  ASSERT_TRUE(WaitForLoadEnd(server_.Url("/messages") + "|200"));
  app_->onRendererMessage = [](CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame>,
                               CefRefPtr<CefProcessMessage> message) {
    CefRefPtr<CefProcessMessage> reply = CefProcessMessage::Create("pong");
    reply->GetArgumentList()->SetInt(0, message->GetArgumentList()->GetInt(0) + 1);
    browser->GetMainFrame()->SendProcessMessage(PID_BROWSER, reply);
  };
  std::atomic<int> got{0};
  client_->onMessage = [&](CefRefPtr<CefBrowser>, CefRefPtr<CefProcessMessage> m) {
    got = m->GetArgumentList()->GetInt(0);
  };
  CefRefPtr<CefProcessMessage> ping = CefProcessMessage::Create("ping");
  ping->GetArgumentList()->SetInt(0, 6);
  client_->Browser()->GetMainFrame()->SendProcessMessage(PID_RENDERER, ping);
  ASSERT_TRUE(WaitFor([&] { return got.load() == 7; }));
}

TEST_F(DevToolsEngine, ShutdownEndsTheBrowser) {
  Open(server_.Url("/bye"));
  ASSERT_TRUE(WaitForLoadEnd(server_.Url("/bye") + "|200"));
  const int port = backend_->Port();
  CefShutdown();
  EXPECT_EQ(log_.Count("OnBeforeClose"), 1u);
  // Nothing listens on the browser's DevTools port any more.
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<u_short>(port));
  address.sin_addr.s_addr = inet_addr("127.0.0.1");
  EXPECT_NE(connect(s, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
  closesocket(s);
}

TEST_F(DevToolsEngine, PageStringsOfAnySizeAndEncodingPassThrough) {
  server_.Set("/strings",
              {200,
               "<html><script>"
               "const big = 'x'.repeat(200000) + '\\ud800' + '\u4e2d';"
               "document.title = 'n=' + Host.size(big) + ' ' + 'y'.repeat(300000) + '\\udc00';"
               "</script></html>",
               ""});
  Open(server_.Url("/strings"));
  ASSERT_TRUE(WaitForTitle([](const std::string& t) { return t.rfind("n=", 0) == 0; }));
  const std::string title = LastTitle();
  EXPECT_EQ(title.substr(0, 9), "n=200002 ");
  EXPECT_EQ(title.size(), 9u + 300000u + 3u) << "the lone surrogate arrives as U+FFFD";
}

TEST_F(DevToolsEngine, ABrowserThatGoesAwayEndsItsPages) {
  Open(server_.Url("/doomed"));
  ASSERT_TRUE(WaitForLoadEnd(server_.Url("/doomed") + "|200"));
  ASSERT_TRUE(backend_->SendRaw(R"({"id": 424242, "method": "Browser.close"})"));
  // A loaded machine can take a while to close a browser.
  ASSERT_TRUE(WaitFor([&] { return log_.Count("OnRenderProcessTerminated") == 1; }, 40000));
  // The page's target may be reported gone before the connection is.
  const std::string status = log_.Named("OnRenderProcessTerminated")[0].detail;
  EXPECT_TRUE(status == std::to_string(TS_PROCESS_CRASHED) ||
              status == std::to_string(TS_PROCESS_WAS_KILLED))
      << status;
  client_->Browser()->GetMainFrame()->LoadURL(server_.Url("/after"));
  Sleep(300);
  EXPECT_EQ(server_.Requests("/after"), 0);
}

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

// The child side of the next test: an engine that runs until it is killed.
TEST(DevToolsChild, RunsUntilKilled) {
  wchar_t folder[MAX_PATH] = {};
  if (!GetEnvironmentVariableW(L"ENGINE_TEST_CHILD_PROFILE", folder, MAX_PATH)) {
    GTEST_SKIP() << "only run by KilledClientLeavesNoBrowser";
  }
  CefSettings settings = ZeroSettings();
  cef_string_set(folder, wcslen(folder), &settings.cache_path, 1);
  engine::UseBackend(std::make_shared<engine::DevToolsBackend>(ConfiguredBrowser()));
  ASSERT_TRUE(CefInitialize(CefMainArgs(), settings, nullptr, nullptr));
  Sleep(120000);
}

TEST(DevToolsStart, KilledClientLeavesNoBrowser) {
  if (ConfiguredBrowser().empty()) GTEST_SKIP() << "no browser named in build/bin/cef/engine.ini";
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring folder =
      std::wstring(temp) + L"engine-killed-" + std::to_wstring(GetCurrentProcessId()) + L"\\";
  CreateDirectoryW(folder.c_str(), nullptr);
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring commandLine = L"\"" + std::wstring(self) + L"\" --gtest_filter=DevToolsChild.*";
  SetEnvironmentVariableW(L"ENGINE_TEST_CHILD_PROFILE", folder.c_str());
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION child = {};
  const BOOL started = CreateProcessW(self, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                                      nullptr, &startup, &child);
  SetEnvironmentVariableW(L"ENGINE_TEST_CHILD_PROFILE", nullptr);
  ASSERT_TRUE(started);
  // The browser is up once it wrote its state and the client took its pipes (the start-up
  // script's marker is gone).
  auto exists = [&](const wchar_t* name) {
    return GetFileAttributesW((folder + name).c_str()) != INVALID_FILE_ATTRIBUTES;
  };
  const bool up = WaitFor([&] { return exists(L"Local State") && !exists(L"cdp-ready"); }, 60000);
  Sleep(500);
  TerminateProcess(child.hProcess, 1);
  CloseHandle(child.hThread);
  CloseHandle(child.hProcess);
  ASSERT_TRUE(up);
  // The watchdog notices the stale heartbeat and ends the browser.
  const std::wstring exited = folder + L"engine-exited";
  EXPECT_TRUE(WaitFor([&] { return GetFileAttributesW(exited.c_str()) != INVALID_FILE_ATTRIBUTES; },
                      30000));
  engine::BrowserProcess::RemoveFolder(folder);
  EXPECT_EQ(GetFileAttributesW(folder.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(DevToolsEngine, HistoryErrorsConsoleAndContexts) {
  Open(server_.Url("/first"));
  ASSERT_TRUE(WaitForLoadEnd(server_.Url("/first") + "|200"));
  CefRefPtr<CefBrowser> browser = client_->Browser();
  browser->GetMainFrame()->LoadURL(server_.Url("/second"));
  ASSERT_TRUE(WaitForLoadEnd(server_.Url("/second") + "|200"));
  ASSERT_TRUE(WaitFor([&] { return !browser->IsLoading() && browser->CanGoBack(); }));
  EXPECT_FALSE(browser->CanGoForward());
  browser->GoBack();
  ASSERT_TRUE(WaitFor([&] { return log_.Count("OnLoadEnd") == 3; }));
  EXPECT_EQ(log_.Named("OnLoadEnd").back().detail, server_.Url("/first") + "|200");
  ASSERT_TRUE(WaitFor([&] { return !browser->IsLoading() && browser->CanGoForward(); }));
  browser->GoForward();
  ASSERT_TRUE(WaitFor([&] { return log_.Count("OnLoadEnd") == 4; }));
  EXPECT_EQ(log_.Named("OnLoadEnd").back().detail, server_.Url("/second") + "|200");
  browser->Reload();
  ASSERT_TRUE(WaitFor([&] { return log_.Count("OnLoadEnd") == 5; }));
  EXPECT_EQ(server_.Requests("/second"), 3);
  // Each document's context went when the next one came.
  ASSERT_TRUE(WaitFor([&] { return log_.Count("OnContextReleased") >= 4; }));

  browser->GetMainFrame()->ExecuteJavaScript("console.warn('careful', 42)", "", 0);
  ASSERT_TRUE(WaitFor([&] { return log_.Count("OnConsoleMessage") == 1; }));
  EXPECT_EQ(log_.Named("OnConsoleMessage")[0].detail,
            std::to_string(LOGSEVERITY_WARNING) + "|careful 42");

  const std::string refused = "http://127.0.0.1:" + std::to_string(ClosedPort()) + "/";
  browser->GetMainFrame()->LoadURL(refused);
  ASSERT_TRUE(WaitFor([&] { return log_.Count("OnLoadError") == 1; }));
  EXPECT_EQ(log_.Named("OnLoadError")[0].detail,
            refused + "|" + std::to_string(ERR_CONNECTION_REFUSED));
}

TEST_F(DevToolsEngine, TheHostCallsAPageFunctionLater) {
  server_.Set("/later", {200,
                         "<html><script>Host.later((failed, answer) => {"
                         " document.title = failed + ':' + answer.message; });</script></html>",
                         ""});
  // On the renderer side, a message makes the kept page function run with a parsed answer.
  app_->onRendererMessage = [this](CefRefPtr<CefBrowser>, CefRefPtr<CefFrame>,
                                   CefRefPtr<CefProcessMessage>) {
    if (!kept_ || !keptContext_) return;
    keptContext_->Enter();
    CefRefPtr<CefV8Value> parse = keptContext_->GetGlobal()->GetValue("JSON")->GetValue("parse");
    CefRefPtr<CefV8Value> answer =
        parse->ExecuteFunction(nullptr, {CefV8Value::CreateString("{\"message\":\"done\"}")});
    kept_->ExecuteFunction(nullptr, {CefV8Value::CreateBool(false), answer});
    keptContext_->Exit();
  };
  Open(server_.Url("/later"));
  ASSERT_TRUE(WaitForLoadEnd(server_.Url("/later") + "|200"));
  client_->Browser()->GetMainFrame()->SendProcessMessage(PID_RENDERER,
                                                         CefProcessMessage::Create("answer"));
  EXPECT_TRUE(WaitForTitle([](const std::string& t) { return t == "false:done"; })) << LastTitle();
}

// The browser's channel is its pipes unless engine.ini asks for the port.
TEST(DevToolsStart, TheChannelIsThePipeUnlessEngineIniAsksForThePort) {
  test_files::TempFolder folder(L"engine-channel-");
  struct Case {
    const char* ini;
    engine::ControlChannel channel;
  };
  for (const Case& c : {Case{"[engine]\nbrowser=x\n", engine::ControlChannel::kPipe},
                        Case{"[engine]\nchannel=pipe\n", engine::ControlChannel::kPipe},
                        Case{"[engine]\nchannel=ports\n", engine::ControlChannel::kPipe},
                        Case{"[other]\nchannel=port\n", engine::ControlChannel::kPipe},
                        Case{"[engine]\nchannel=port\n", engine::ControlChannel::kPort},
                        Case{"[engine]\nchannel=PORT\n", engine::ControlChannel::kPort}}) {
    EXPECT_EQ(engine::BrowserProcess::ConfiguredChannel(folder.Write(L"engine.ini", c.ini)),
              c.channel)
        << c.ini;
  }
  EXPECT_EQ(engine::BrowserProcess::ConfiguredChannel(L"C:\\no\\such\\engine.ini"),
            engine::ControlChannel::kPipe);
}

// The fallback still drives pages: a page loads and calls the host over the port.
TEST(DevToolsStart, ThePortFallbackDrivesPages) {
  if (ConfiguredBrowser().empty()) GTEST_SKIP() << "no browser named in build/bin/cef/engine.ini";
  HttpTestServer server;
  ASSERT_TRUE(server.Started());
  server.Set("/port", {200, "<html><title>over the port</title></html>", ""});
  EventLog log;
  auto backend = std::make_shared<engine::DevToolsBackend>(
      ConfiguredBrowser(), std::vector<std::wstring>{}, engine::ControlChannel::kPort);
  engine::UseBackend(backend);
  ASSERT_TRUE(CefInitialize(CefMainArgs(), ZeroSettings(), nullptr, nullptr))
      << backend->LastError();
  EXPECT_GT(backend->Port(), 0);
  CefRefPtr<RecordingClient> client = new RecordingClient(log);
  EXPECT_TRUE(OpenTopLevelBrowser(client, server.Url("/port")));
  EXPECT_TRUE(WaitFor(
      [&] {
        for (const Event& e : log.Named("OnLoadEnd")) {
          if (e.detail == server.Url("/port") + "|200") return true;
        }
        return false;
      },
      60000));
  CefShutdown();
  engine::UseBackend(nullptr);
}

TEST(DevToolsStart, MissingOrWrongBrowserFailsCleanly) {
  // Without a backend the engine looks for cef\\engine.ini beside the program: none here.
  engine::UseBackend(nullptr);
  EXPECT_FALSE(CefInitialize(CefMainArgs(), ZeroSettings(), nullptr, nullptr));
  test_files::TempFolder folder(L"engine-ini-");
  for (const char* text : {"", "garbage\x01\xff", "[engine]\nother=1\n", "[other]\nbrowser=x\n"}) {
    const std::wstring ini = folder.Write(L"engine.ini", text);
    EXPECT_TRUE(engine::BrowserProcess::ConfiguredBrowser(ini).empty()) << text;
  }
  EXPECT_EQ(engine::BrowserProcess::ConfiguredBrowser(
                folder.Write(L"engine.ini", "[engine]\nbrowser=/usr/bin/x\n")),
            L"/usr/bin/x");
  EXPECT_TRUE(engine::BrowserProcess::ConfiguredBrowser(L"C:\\no\\such\\engine.ini").empty());
  for (const std::wstring& browser : {std::wstring(), std::wstring(L"/nonexistent/browser")}) {
    auto backend = std::make_shared<engine::DevToolsBackend>(browser);
    engine::UseBackend(backend);
    EXPECT_FALSE(CefInitialize(CefMainArgs(), ZeroSettings(), nullptr, nullptr));
    EXPECT_FALSE(backend->LastError().empty());
    EXPECT_EQ(engine::EngineCore::Get(), nullptr);
  }
  engine::UseBackend(nullptr);
}

TEST(EngineSwitches, SplitOnlyWhereABlankIsFollowedByTwoDashes) {
  using engine::BrowserProcess;
  struct Case {
    std::wstring text;
    std::vector<std::wstring> switches;
  };
  const Case cases[] = {
      {L"", {}},
      {L"   ", {}},
      {L"--lang=zh-CN", {L"--lang=zh-CN"}},
      {L"--host-resolver-rules=MAP *.vexmor.test 127.0.0.1:8123 --lang=zh-CN",
       {L"--host-resolver-rules=MAP *.vexmor.test 127.0.0.1:8123", L"--lang=zh-CN"}},
      {L"  --a=x   --b\t--c  ", {L"--a=x", L"--b", L"--c"}},
      {L"--a=one -two --b", {L"--a=one -two", L"--b"}},
      {L"garbage --mute-audio", {L"--mute-audio"}},
      {L"-- --x=a--b", {L"--x=a--b"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(BrowserProcess::SplitSwitches(c.text), c.switches)
        << std::string(c.text.begin(), c.text.end());
  }
  for (const wchar_t* own : {L"--remote-debugging-port=9222", L"--REMOTE-debugging-address=0.0.0.0",
                             L"--user-data-dir=C:\\x", L"--headless=new", L"--Headless"}) {
    EXPECT_TRUE(BrowserProcess::IsEngineSwitch(own));
  }
  EXPECT_FALSE(BrowserProcess::IsEngineSwitch(L"--lang=zh-CN"));

  test_files::TempFolder folder(L"engine-switches-");
  EXPECT_TRUE(BrowserProcess::ConfiguredSwitches(L"C:\\no\\such\\engine.ini").empty());
  for (const char* text :
       {"", "garbage\x01\xff", "[engine]\nbrowser=x\n", "[other]\nswitches=--a\n"}) {
    EXPECT_TRUE(BrowserProcess::ConfiguredSwitches(folder.Write(L"engine.ini", text)).empty())
        << text;
  }
  EXPECT_EQ(BrowserProcess::ConfiguredSwitches(
                folder.Write(L"engine.ini", "[engine]\nswitches=--a=1 2 --b\n")),
            (std::vector<std::wstring>{L"--a=1 2", L"--b"}));
}

// The switches reach the browser (a host mapped to the local server is fetched there), and
// the engine's own switches cannot be replaced through them (the engine still connects).
TEST(EngineSwitches, ReachTheBrowserButNeverReplaceTheEngineOwn) {
  const std::wstring browser = ConfiguredBrowser();
  if (browser.empty()) GTEST_SKIP() << "no browser named in build/bin/cef/engine.ini";
  HttpTestServer server;
  ASSERT_TRUE(server.Started());
  server.Set("/mapped", {200, "<html><title>mapped</title></html>", ""});
  const std::wstring rules =
      L"--host-resolver-rules=MAP *.mapped.test 127.0.0.1:" + std::to_wstring(server.Port());
  auto backend = std::make_shared<engine::DevToolsBackend>(
      browser, engine::BrowserProcess::SplitSwitches(
                   rules + L" --remote-debugging-port=1 "
                           L"--user-data-dir=/nonexistent --headless=old"));
  engine::UseBackend(backend);
  ASSERT_TRUE(CefInitialize(CefMainArgs(), ZeroSettings(), nullptr, nullptr))
      << backend->LastError();
  EventLog log;
  CefRefPtr<RecordingClient> client = new RecordingClient(log);
  ASSERT_TRUE(OpenTopLevelBrowser(client, "http://www.mapped.test/mapped"));
  EXPECT_TRUE(WaitFor([&] { return server.Requests("/mapped") == 1; }));
  CefShutdown();
  engine::UseBackend(nullptr);
}

}  // namespace

// ---- the page in a child window ----

namespace {

const char kQuadrants[] =
    "<html><body style='margin:0'>"
    "<div style='position:fixed;left:0;top:0;width:50vw;height:50vh;background:#f00'></div>"
    "<div style='position:fixed;left:50vw;top:0;width:50vw;height:50vh;background:#0f0'></div>"
    "<div style='position:fixed;left:0;top:50vh;width:50vw;height:50vh;background:#00f'></div>"
    "<div style='position:fixed;left:50vw;top:50vh;width:50vw;height:50vh;background:#ff0'>"
    "</div></body></html>";

// A page that changes every animation frame, so that the browser keeps sending frames.
const char kAnimated[] =
    "<html><body style='margin:0'><script>"
    "let n = 0;"
    "function step() { document.body.style.background = 'rgb(0,0,' + (n++ % 256) + ')';"
    " requestAnimationFrame(step); }"
    "requestAnimationFrame(step);"
    "</script></body></html>";

// Whether the window shows the four quadrants of kQuadrants at its current size.
bool ShowsQuadrants(HWND window, int width, int height, std::string* seen = nullptr) {
  struct Probe {
    int x, y;
    Colour expected;
  };
  const Probe probes[] = {
      {width / 4, height / 4, {255, 0, 0}},
      {width * 3 / 4, height / 4, {0, 255, 0}},
      {width / 4, height * 3 / 4, {0, 0, 255}},
      {width * 3 / 4, height * 3 / 4, {255, 255, 0}},
      // Near the far corner: only a frame of the window's whole size reaches it.
      {width - 6, height - 6, {255, 255, 0}},
  };
  bool all = true;
  for (const Probe& p : probes) {
    const Colour c = ShownAt(window, p.x, p.y);
    if (seen) {
      *seen += std::to_string(c.r) + "," + std::to_string(c.g) + "," + std::to_string(c.b) + " ";
    }
    all = all && Near(c, p.expected);
  }
  return all;
}

}  // namespace

TEST_F(DevToolsView, ThePageShowsInItsWindowAtEverySize) {
  server_.Set("/colours", {200, kQuadrants, ""});
  HWND view = OpenChild(server_.Url("/colours"), 400, 300);
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(GetParent(view), parent_.Get());
  std::string seen;
  EXPECT_TRUE(WaitFor([&] { return ShowsQuadrants(view, 400, 300, &(seen = "")); }, 20000)) << seen;
  SetWindowPos(view, nullptr, 0, 0, 640, 480, SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_TRUE(WaitFor([&] { return ShowsQuadrants(view, 640, 480, &(seen = "")); }, 20000)) << seen;
}

TEST_F(DevToolsView, AHiddenWindowGetsNoFrames) {
  server_.Set("/animated", {200, kAnimated, ""});
  HWND view = OpenChild(server_.Url("/animated"), 300, 200);
  ASSERT_NE(view, nullptr);
  ASSERT_TRUE(WaitFor([&] { return FramesPublished() > 3; }, 20000));
  ShowWindow(view, SW_HIDE);
  WaitFor([] { return false; }, 1000);  // frames already on their way still arrive
  const int64_t hidden = FramesPublished();
  WaitFor([] { return false; }, 1500);
  EXPECT_EQ(FramesPublished(), hidden);
  ShowWindow(view, SW_SHOW);
  EXPECT_TRUE(WaitFor([&] { return FramesPublished() > hidden + 3; }, 20000));
  SetWindowPos(view, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOZORDER);
  WaitFor([] { return false; }, 1000);
  const int64_t empty = FramesPublished();
  WaitFor([] { return false; }, 1500);
  EXPECT_EQ(FramesPublished(), empty);
}

TEST_F(DevToolsView, DestroyingTheParentWhileFramesArriveClosesTheBrowser) {
  server_.Set("/animated", {200, kAnimated, ""});
  HWND view = OpenChild(server_.Url("/animated"), 300, 200);
  ASSERT_NE(view, nullptr);
  ASSERT_TRUE(WaitFor([&] { return FramesPublished() > 1; }, 20000));
  parent_.Destroy();
  EXPECT_TRUE(WaitFor([&] { return !log_.Named("OnBeforeClose").empty(); }));
  EXPECT_TRUE(WaitFor([&] { return !IsWindow(view); }));
  EXPECT_TRUE(engine::EngineCore::Get()->Browsers().empty());
}

TEST_F(DevToolsView, DestroyingTheParentWhileThePageLoadsClosesTheBrowser) {
  HWND view = OpenChild(server_.Url("/loading"), 300, 200);
  ASSERT_NE(view, nullptr);
  parent_.Destroy();
  EXPECT_TRUE(WaitFor([&] { return !log_.Named("OnBeforeClose").empty(); }));
  EXPECT_TRUE(engine::EngineCore::Get()->Browsers().empty());
}

// ---- the user's mouse in the window ----

namespace {

const char kMousePage[] =
    "<html><body style='margin:0;height:5000px'><script>"
    "const seen = [];"
    "function note(t) { seen.push(t); document.title = seen.join(' '); }"
    "addEventListener('mousedown', e => note('down' + e.button + '@' + e.clientX + ',' + "
    "e.clientY));"
    "addEventListener('click', e => note('click@' + e.clientX + ',' + e.clientY));"
    "addEventListener('dblclick', e => note('dblclick@' + e.clientX + ',' + e.clientY));"
    "addEventListener('contextmenu', e => e.preventDefault());"
    "addEventListener('scroll', () => note('scrolled'), {once: true});"
    "</script></body></html>";

struct PostedMessage {
  UINT message;
  WPARAM wParam;
  int x, y;  // in the window
};

struct MouseCase {
  const char* name;
  std::vector<PostedMessage> messages;
  const char* expected;  // what the page notes
};

}  // namespace

TEST_F(DevToolsView, MouseInputReachesThePageAtItsPoint) {
  const MouseCase cases[] = {
      {"left click",
       {{WM_LBUTTONDOWN, MK_LBUTTON, 123, 77}, {WM_LBUTTONUP, 0, 123, 77}},
       "down0@123,77 click@123,77"},
      {"right press",
       {{WM_RBUTTONDOWN, MK_RBUTTON, 50, 60}, {WM_RBUTTONUP, 0, 50, 60}},
       "down2@50,60"},
      {"double click",
       {{WM_LBUTTONDOWN, MK_LBUTTON, 200, 150},
        {WM_LBUTTONUP, 0, 200, 150},
        {WM_LBUTTONDBLCLK, MK_LBUTTON, 200, 150},
        {WM_LBUTTONUP, 0, 200, 150}},
       "dblclick@200,150"},
      {"wheel towards the user",
       {{WM_MOUSEWHEEL, static_cast<WPARAM>(-120) << 16, 100, 100}},
       "scrolled"},
  };
  HWND view = OpenLoaded("/mouse", kMousePage);
  ASSERT_NE(view, nullptr);
  for (const MouseCase& c : cases) {
    for (const PostedMessage& m : c.messages) {
      POINT at = {m.x, m.y};
      if (m.message == WM_MOUSEWHEEL) ClientToScreen(view, &at);
      PostMessageW(view, m.message, m.wParam, MAKELPARAM(at.x, at.y));
    }
    EXPECT_TRUE(WaitForTitle([&](const std::string& t) {
      return t.find(c.expected) != std::string::npos;
    })) << c.name
        << ": " << LastTitle();
  }
}

// ---- the user's keyboard in the window ----

namespace {

// Posts a left click at a point of the window.
void PostClick(HWND window, int x, int y) {
  PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
  PostMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

// Posts a key's press and release.
void PostKey(HWND window, int virtualKey, bool extended = false) {
  const LPARAM flags = extended ? (1 << 24) : 0;
  PostMessageW(window, WM_KEYDOWN, virtualKey, 1 | flags);
  PostMessageW(window, WM_KEYUP, virtualKey, 1 | flags | (3u << 30));
}

// Characters as the window gets them from the keyboard once its keys are translated (the
// engine's message loop translates posted keys too, so only the characters are posted).
void PostText(HWND window, const std::wstring& text) {
  for (wchar_t c : text) PostMessageW(window, WM_CHAR, c, 1);
}

const char kInputPage[] =
    "<html><body style='margin:0'>"
    "<input id=field style='position:absolute;left:0;top:0;width:300px;height:40px'>"
    "<script>"
    "const field = document.getElementById('field');"
    "field.addEventListener('input', () => document.title = '[' + field.value + ']');"
    "field.addEventListener('keydown', e => { if (e.key === 'F2') document.title = "
    "'keys ' + e.key + ' ' + e.code; });"
    "</script></body></html>";

}  // namespace

TEST_F(DevToolsView, TypingFillsTheFocusedInput) {
  HWND view = OpenLoaded("/input", kInputPage);
  ASSERT_NE(view, nullptr);
  PostClick(view, 20, 20);
  PostText(view, L"Hello, World!");
  EXPECT_TRUE(WaitForTitle([](const std::string& t) { return t == "[Hello, World!]"; }))
      << LastTitle();
  // The caret goes back over "World!" and the space before it is deleted.
  for (int i = 0; i < 6; ++i) PostKey(view, VK_LEFT, true);
  PostKey(view, VK_BACK);
  EXPECT_TRUE(WaitForTitle([](const std::string& t) { return t == "[Hello,World!]"; }))
      << LastTitle();
  PostKey(view, VK_F2);
  EXPECT_TRUE(WaitForTitle([](const std::string& t) { return t == "keys F2 F2"; })) << LastTitle();
}

namespace {

// Keys pressed while modifier keys are held, as the window gets them from the keyboard.
// They are sent rather than posted: a posted key would be translated into a character after
// the modifiers' releases, which the keyboard's own would never be.
struct KeyChord {
  const char* name;
  std::vector<int> held;
  int key;
  const char* expected;  // the input's value and selection afterwards
};

void SendChord(HWND window, const KeyChord& chord) {
  static const std::vector<int> kExtended = {VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, VK_HOME, VK_END};
  const bool extended = std::find(kExtended.begin(), kExtended.end(), chord.key) != kExtended.end();
  const LPARAM flags = extended ? (1 << 24) : 0;
  const LPARAM released = 1 | (3u << 30);
  for (int modifier : chord.held) SendMessageW(window, WM_KEYDOWN, modifier, 1);
  SendMessageW(window, WM_KEYDOWN, chord.key, 1 | flags);
  SendMessageW(window, WM_KEYUP, chord.key, released | flags);
  for (auto it = chord.held.rbegin(); it != chord.held.rend(); ++it) {
    SendMessageW(window, WM_KEYUP, *it, released);
  }
}

const char kSelectionPage[] =
    "<html><body style='margin:0'>"
    "<input id=field value='one two three' "
    "style='position:absolute;left:0;top:0;width:300px;height:40px'>"
    "<script>"
    "const field = document.getElementById('field');"
    "setInterval(() => document.title = (document.activeElement === field ? '' : 'unfocused ') +"
    " '[' + field.value + '] ' + field.selectionStart + '-' + field.selectionEnd, 40);"
    "</script></body></html>";

}  // namespace

TEST_F(DevToolsView, ModifierKeysMoveSelectAndEditAsInABrowser) {
  const KeyChord chords[] = {
      {"end", {}, VK_END, "[one two three] 13-13"},
      {"ctrl+left goes back a word", {VK_CONTROL}, VK_LEFT, "[one two three] 8-8"},
      {"shift+home selects to the start", {VK_SHIFT}, VK_HOME, "[one two three] 0-8"},
      {"shift+right gives one back", {VK_SHIFT}, VK_RIGHT, "[one two three] 1-8"},
      {"right ends the selection", {}, VK_RIGHT, "[one two three] 8-8"},
      {"shift+left selects a letter", {VK_SHIFT}, VK_LEFT, "[one two three] 7-8"},
      {"ctrl+shift+left selects a word", {VK_CONTROL, VK_SHIFT}, VK_LEFT, "[one two three] 4-8"},
      {"ctrl+a selects all", {VK_CONTROL}, 'A', "[one two three] 0-13"},
      {"ctrl+c copies", {VK_CONTROL}, 'C', "[one two three] 0-13"},
      {"end again", {}, VK_END, "[one two three] 13-13"},
      {"ctrl+v pastes", {VK_CONTROL}, 'V', "[one two threeone two three] 26-26"},
      {"ctrl+z undoes", {VK_CONTROL}, 'Z', "[one two three] 13-13"},
      {"ctrl+y redoes", {VK_CONTROL}, 'Y', "[one two threeone two three] 26-26"},
      {"ctrl+x cuts what ctrl+a selected", {VK_CONTROL}, 'A', "[one two threeone two three] 0-26"},
      {"ctrl+x", {VK_CONTROL}, 'X', "[] 0-0"},
  };
  HWND view = OpenLoaded("/selection", kSelectionPage);
  ASSERT_NE(view, nullptr);
  PostClick(view, 20, 20);
  ASSERT_TRUE(WaitForTitle([](const std::string& t) { return t.rfind("[one two three]", 0) == 0; }))
      << "the click focuses the input: " << LastTitle();
  for (const KeyChord& c : chords) {
    SendChord(view, c);
    EXPECT_TRUE(WaitForTitle([&](const std::string& t) { return t == c.expected; }))
        << c.name << ": " << LastTitle();
  }
}

// ---- the input method ----

namespace {

const char kCompositionPage[] =
    "<html><body style='margin:0'>"
    "<input id=field style='position:absolute;left:0;top:0;width:300px;height:40px'>"
    "<script>"
    "const field = document.getElementById('field');"
    "let last = 'none';"
    "for (const type of ['compositionstart', 'compositionupdate', 'compositionend'])"
    "  field.addEventListener(type, e => last = type.slice(11) + ':' + e.data);"
    "setInterval(() => document.title = (document.activeElement === field ? '' : 'unfocused ') +"
    " last + ' [' + field.value + '] ' + field.selectionStart, 40);"
    "</script></body></html>";

// An input method whose strings the test gives, one set for each message that reads them.
class TestInputMethod {
 public:
  TestInputMethod() {
    engine::SetImeReader([this](HWND, unsigned long) {
      std::lock_guard<std::mutex> hold(lock_);
      engine::ImeStrings next;
      if (!queued_.empty()) {
        next = queued_.front();
        queued_.pop_front();
      }
      return next;
    });
  }
  ~TestInputMethod() { engine::SetImeReader(nullptr); }

  void Compose(HWND window, const std::wstring& text, int cursor) {
    Queue({text, L"", cursor, {}});
    PostMessageW(window, WM_IME_COMPOSITION, 0, GCS_COMPSTR | GCS_CURSORPOS);
  }
  void Commit(HWND window, const std::wstring& text) {
    Queue({L"", text, -1, {}});
    PostMessageW(window, WM_IME_COMPOSITION, 0, GCS_RESULTSTR);
  }

 private:
  void Queue(const engine::ImeStrings& strings) {
    std::lock_guard<std::mutex> hold(lock_);
    queued_.push_back(strings);
  }

  std::mutex lock_;
  std::deque<engine::ImeStrings> queued_;
};

}  // namespace

TEST_F(DevToolsView, ComposedTextArrivesInTheInput) {
  TestInputMethod ime;
  HWND view = OpenLoaded("/compose", kCompositionPage);
  ASSERT_NE(view, nullptr);
  PostClick(view, 20, 20);
  ASSERT_TRUE(WaitForTitle([](const std::string& t) { return t == "none [] 0"; })) << LastTitle();

  PostMessageW(view, WM_IME_STARTCOMPOSITION, 0, 0);
  ime.Compose(view, L"ni", 1);
  EXPECT_TRUE(WaitForTitle([](const std::string& t) { return t == "update:ni [ni] 1"; }))
      << "the text being composed shows, caret inside: " << LastTitle();
  ime.Compose(view, L"\u4F60\u597D", 2);
  const std::string nihao = "\xE4\xBD\xA0\xE5\xA5\xBD";
  EXPECT_TRUE(WaitForTitle([&](const std::string& t) {
    return t == "update:" + nihao + " [" + nihao + "] 2";
  })) << LastTitle();
  ime.Commit(view, L"\u4F60\u597D");
  PostMessageW(view, WM_IME_ENDCOMPOSITION, 0, 0);
  EXPECT_TRUE(WaitForTitle([&](const std::string& t) {
    return t == "end:" + nihao + " [" + nihao + "] 2";
  })) << "the committed text stays: "
      << LastTitle();

  PostMessageW(view, WM_IME_STARTCOMPOSITION, 0, 0);
  ime.Compose(view, L"ma", 2);
  EXPECT_TRUE(WaitForTitle([&](const std::string& t) {
    return t == "update:ma [" + nihao + "ma] 4";
  })) << LastTitle();
  PostMessageW(view, WM_IME_ENDCOMPOSITION, 0, 0);
  EXPECT_TRUE(WaitForTitle([&](const std::string& t) { return t == "end: [" + nihao + "] 2"; }))
      << "a composition ended without a commit goes: " << LastTitle();
}

TEST_F(DevToolsView, TheInputMethodsWindowsFollowTheCaret) {
  const char page[] =
      "<html><body style='margin:0'>"
      "<input id=field style='position:absolute;left:50px;top:100px;width:300px;height:40px;"
      "font:20px sans-serif;padding:0 2px;border:0'>"
      "<script>"
      "const field = document.getElementById('field');"
      "setInterval(() => document.title = '[' + field.value + '] ' + field.selectionStart, 40);"
      "</script></body></html>";
  HWND view = OpenLoaded("/caret", page);
  ASSERT_NE(view, nullptr);
  PostClick(view, 60, 120);
  PostText(view, L"abcdefgh");
  ASSERT_TRUE(WaitForTitle([](const std::string& t) { return t == "[abcdefgh] 8"; }))
      << LastTitle();
  // Where the candidate window goes when a composition starts, read on the window's thread.
  auto placed = [&] {
    CANDIDATEFORM form = {};
    engine::EngineCore::Get()->UiThread().RunAndWait(
        [&] {
          SendMessageW(view, WM_IME_STARTCOMPOSITION, 0, 0);
          SendMessageW(view, WM_IME_ENDCOMPOSITION, 0, 0);
          HIMC context = ImmGetContext(view);
          if (context) ImmGetCandidateWindow(context, 0, &form);
          ImmReleaseContext(view, context);
        },
        10000);
    return form;
  };
  CANDIDATEFORM form = {};
  // Eight letters of 20 px text are some 70-90 px wide; the window goes below the line.
  EXPECT_TRUE(WaitFor([&] {
    form = placed();
    return form.ptCurrentPos.x > 100 && form.ptCurrentPos.x < 160;
  })) << form.ptCurrentPos.x
      << "," << form.ptCurrentPos.y;
  EXPECT_EQ(form.dwStyle, static_cast<DWORD>(CFS_EXCLUDE));
  EXPECT_GT(form.ptCurrentPos.y, 115);
  EXPECT_LT(form.ptCurrentPos.y, 145);
  EXPECT_LT(form.rcArea.top, form.ptCurrentPos.y);
  PostKey(view, VK_HOME, true);
  EXPECT_TRUE(WaitFor([&] {
    form = placed();
    return form.ptCurrentPos.x >= 50 && form.ptCurrentPos.x < 60;
  })) << "the caret went home: "
      << form.ptCurrentPos.x;
}

// ---- the page's cursor and context menus ----

namespace {

const char kPointerPage[] =
    "<html><body style='margin:0;font:20px sans-serif'>"
    "<div style='position:absolute;left:0;top:0;width:100px;height:50px;cursor:pointer'></div>"
    "<input style='position:absolute;left:0;top:60px;width:200px;height:30px'>"
    "<div style='position:absolute;left:0;top:100px;width:100px;height:50px;cursor:wait'></div>"
    "<p style='position:absolute;left:0;top:160px;margin:0'>Some words to read</p>"
    "<div style='position:absolute;left:0;top:200px;width:100px;height:50px;"
    "cursor:url(none.cur), not-allowed'></div>"
    "</body></html>";

}  // namespace

TEST_F(DevToolsView, TheWindowShowsThePagesCursor) {
  struct CursorCase {
    const char* name;
    int x, y;
    const wchar_t* expected;
  };
  const CursorCase cases[] = {
      {"a pointer", 50, 25, IDC_HAND},          {"a text field", 50, 75, IDC_IBEAM},
      {"waiting", 50, 125, IDC_WAIT},           {"text", 30, 172, IDC_IBEAM},
      {"beside the text", 350, 172, IDC_ARROW}, {"an image's fallback", 50, 225, IDC_NO},
      {"a pointer again", 20, 10, IDC_HAND},
  };
  HWND view = OpenLoaded("/pointer", kPointerPage);
  ASSERT_NE(view, nullptr);
  // The cursor the window sets when the system asks it, on the window's own thread.
  auto shown = [&] {
    HCURSOR cursor = nullptr;
    engine::EngineCore::Get()->UiThread().RunAndWait(
        [&] {
          SendMessageW(view, WM_SETCURSOR, reinterpret_cast<WPARAM>(view),
                       MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
          cursor = GetCursor();
        },
        10000);
    return cursor;
  };
  for (const CursorCase& c : cases) {
    PostMessageW(view, WM_MOUSEMOVE, 0, MAKELPARAM(c.x, c.y));
    HCURSOR expected = LoadCursorW(nullptr, c.expected);
    EXPECT_TRUE(WaitFor([&] { return shown() == expected; })) << c.name;
  }
}

namespace {

const char kMenuPage[] =
    "<html><body style='margin:0'>"
    "<input id=field value='some text' "
    "style='position:absolute;left:0;top:0;width:300px;height:40px'>"
    "<div id=own style='position:absolute;left:0;top:100px;width:100px;height:50px'></div>"
    "<script>"
    "const field = document.getElementById('field');"
    "let menus = [];"
    "addEventListener('contextmenu', e => menus.push('menu@' + e.clientX + ',' + e.clientY));"
    "document.getElementById('own').addEventListener('contextmenu', e => e.preventDefault());"
    "setInterval(() => document.title = 'menus:' + menus.join(' ') + ' [' + field.value + '] ' +"
    " field.selectionStart + '-' + field.selectionEnd, 40);"
    "</script></body></html>";

void PostRightClick(HWND window, int x, int y) {
  PostMessageW(window, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(x, y));
  PostMessageW(window, WM_RBUTTONUP, 0, MAKELPARAM(x, y));
}

// Menus the engine would show, recorded instead; the command the test chooses is taken.
class TestMenus {
 public:
  explicit TestMenus(int choice) {
    engine::SetMenuRunner([this, choice](HWND owner, CefRefPtr<CefMenuModel> model, int x, int y) {
      std::lock_guard<std::mutex> hold(lock_);
      shown_.push_back(std::to_string(x) + "," + std::to_string(y) + "|" +
                       std::to_string(model->GetCount()) + (owner ? "" : "|no owner"));
      return choice;
    });
  }
  ~TestMenus() { engine::SetMenuRunner(nullptr); }
  std::vector<std::string> Shown() {
    std::lock_guard<std::mutex> hold(lock_);
    return shown_;
  }

 private:
  std::mutex lock_;
  std::vector<std::string> shown_;
};

}  // namespace

TEST_F(DevToolsView, AnEmptiedContextMenuShowsNothing) {
  TestMenus menus(0);
  client_->clearMenu = true;
  HWND view = OpenLoaded("/menu", kMenuPage);
  ASSERT_NE(view, nullptr);
  // Neither a menu the page handles itself nor one the page's script asks for reaches the
  // handler; the right click on the page below does.
  PostRightClick(view, 50, 120);
  client_->Browser()->GetMainFrame()->ExecuteJavaScript(
      "window.__engineInput(JSON.stringify({contextMenu: {x: 1, y: 2, top: true}}))", "", 0);
  PostRightClick(view, 150, 220);
  EXPECT_TRUE(WaitForTitle([](const std::string& t) {
    return t.rfind("menus:menu@50,120 menu@150,220 ", 0) == 0;
  })) << "the page sees its contextmenu events: "
      << LastTitle();
  ASSERT_TRUE(WaitFor([&] { return log_.Count("OnBeforeContextMenu") > 0; }));
  WaitFor([] { return false; }, 500);
  auto asked = log_.Named("OnBeforeContextMenu");
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].detail,
            std::to_string(CM_TYPEFLAG_PAGE) + "|150,220||" + std::to_string(MENU_ID_RELOAD));
  EXPECT_NE(asked[0].thread, GetCurrentThreadId()) << "on the engine's UI thread";
  EXPECT_TRUE(menus.Shown().empty());
  EXPECT_EQ(log_.Count("OnContextMenuCommand"), 0u);
}

TEST_F(DevToolsView, TheCommandChosenFromTheMenuIsCarriedOut) {
  TestMenus menus(MENU_ID_SELECT_ALL);
  HWND view = OpenLoaded("/menu", kMenuPage);
  ASSERT_NE(view, nullptr);
  PostClick(view, 10, 20);
  ASSERT_TRUE(WaitForTitle([](const std::string& t) {
    return t.rfind("menus: [some text] ", 0) == 0;
  })) << LastTitle();
  PostRightClick(view, 40, 20);
  ASSERT_TRUE(WaitFor([&] { return log_.Count("OnContextMenuDismissed") > 0; }));
  POINT at = {40, 20};
  ClientToScreen(view, &at);
  EXPECT_EQ(menus.Shown(),
            (std::vector<std::string>{std::to_string(at.x) + "," + std::to_string(at.y) + "|9"}));
  auto asked = log_.Named("OnBeforeContextMenu");
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].detail.substr(0, asked[0].detail.find('|')),
            std::to_string(CM_TYPEFLAG_PAGE | CM_TYPEFLAG_EDITABLE));
  EXPECT_EQ(log_.Sequence({"OnContextMenuCommand"}).size(), 1u);
  EXPECT_EQ(log_.Named("OnContextMenuCommand")[0].detail, std::to_string(MENU_ID_SELECT_ALL));
  EXPECT_TRUE(WaitForTitle([](const std::string& t) {
    return t == "menus:menu@40,20 [some text] 0-9";
  })) << "the handler left it to the engine, which selected all: "
      << LastTitle();

  // The menu key asks for the text field's menu too.
  SendMessageW(view, WM_KEYDOWN, VK_APPS, 1 | (1 << 24));
  SendMessageW(view, WM_KEYUP, VK_APPS, 1 | (1 << 24) | (3u << 30));
  EXPECT_TRUE(WaitFor([&] { return log_.Count("OnContextMenuDismissed") > 1; })) << LastTitle();
  EXPECT_EQ(menus.Shown().size(), 2u);
}

TEST_F(DevToolsView, AMenuKeyWhoseMenuThePageStoppedLetsNoLaterMenuThrough) {
  TestMenus menus(0);
  HWND view = OpenLoaded("/stopped",
                         "<html><body><script>let stopped = 0;"
                         "addEventListener('mousedown', () => document.title = 'down');"
                         "addEventListener('contextmenu', e => {"
                         " e.preventDefault(); document.title = 'stopped ' + (++stopped); });"
                         "</script></body></html>");
  ASSERT_NE(view, nullptr);
  PostClick(view, 10, 10);
  ASSERT_TRUE(WaitForTitle([](const std::string& t) { return t == "down"; })) << LastTitle();
  SendMessageW(view, WM_KEYDOWN, VK_APPS, 1 | (1 << 24));
  SendMessageW(view, WM_KEYUP, VK_APPS, 1 | (1 << 24) | (3u << 30));
  ASSERT_TRUE(WaitForTitle([](const std::string& t) { return t == "stopped 1"; })) << LastTitle();
  // Typing on, then the page asks for a menu of its own making.
  SendMessageW(view, WM_KEYDOWN, 'A', 1 | (0x1E << 16));
  SendMessageW(view, WM_KEYUP, 'A', 1 | (0x1E << 16) | (3u << 30));
  client_->Browser()->GetMainFrame()->ExecuteJavaScript(
      "window.__engineInput(JSON.stringify({contextMenu: {x: 5, y: 5, link: 'http://elsewhere/',"
      " top: true}})); document.title = 'asked';",
      "", 0);
  ASSERT_TRUE(WaitForTitle([](const std::string& t) { return t == "asked"; })) << LastTitle();
  WaitFor([] { return false; }, 500);
  EXPECT_EQ(log_.Count("OnBeforeContextMenu"), 0u);
  EXPECT_TRUE(menus.Shown().empty());
}

TEST_F(DevToolsEngine, AMutedPageReportsItsMediaMuted) {
  server_.Set("/media", {200,
                         "<html><body><video id=v></video><script>"
                         "setInterval(() => document.title = 'muted ' + "
                         "document.getElementById('v').muted, 50);"
                         "</script></body></html>",
                         ""});
  Open(server_.Url("/media"));
  ASSERT_TRUE(WaitForLoadEnd(server_.Url("/media") + "|200"));
  ASSERT_TRUE(WaitForTitle([](const std::string& t) { return t == "muted false"; }));
  client_->Browser()->GetHost()->SetAudioMuted(true);
  EXPECT_TRUE(client_->Browser()->GetHost()->IsAudioMuted());
  EXPECT_TRUE(WaitForTitle([](const std::string& t) { return t == "muted true"; })) << LastTitle();
  client_->Browser()->GetHost()->SetAudioMuted(false);
  EXPECT_TRUE(WaitForTitle([](const std::string& t) { return t == "muted false"; })) << LastTitle();
}

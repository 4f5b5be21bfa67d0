// Starting the real browser: the channel engine.ini chooses, the switches that reach the
// browser, failures, and no browser left behind by a client that was killed.

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <vector>

#include <winsock2.h>

#include "common/temp_folder.h"
#include "engine/devtools_fixture.h"

using namespace engine_test;

namespace {

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
                             L"--user-data-dir=C:\\x", L"--headless=new", L"--Headless",
                             L"--no-sandbox", L"--disable-setuid-sandbox=1"}) {
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

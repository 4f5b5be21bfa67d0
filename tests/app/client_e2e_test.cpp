// The client end to end: the real entry, the real windows and a real browser against a
// test site of this program's own. This program sits in a folder of its own with the
// client's resources beside it; each run writes the engine folder (the build's browser,
// with the site's hosts mapped to the local server) and the settings files there. A
// driver thread watches and steers while the entry runs the UI on the test's thread.

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

#include "app/client_run.h"
#include "ui/controls/rich_edit.h"

namespace {

using namespace client_test;

constexpr char kSite[] = "http://www.e2e.test";
constexpr char kGameHost[] = "http://vexmor.e2e.test";

// The client runs its entry once per process, and so does each test here: the test
// starts this program again for itself alone and takes its result.
bool IsChild() {
  wchar_t value[8] = {};
  return GetEnvironmentVariableW(L"TARNWICK_E2E_CHILD", value, 8) > 0;
}

// In the parent: runs the current test in a child process and expects it to pass; true
// when the caller should stop there.
bool RanInOwnProcess() {
  if (IsChild()) return false;
  const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
  const std::string filter = std::string(info->test_suite_name()) + "." + info->name();
  wchar_t exe[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  std::wstring commandLine =
      L"\"" + std::wstring(exe) + L"\" --gtest_filter=" + kbase::Utf8ToWide(filter);
  SetEnvironmentVariableW(L"TARNWICK_E2E_CHILD", L"1");
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  const BOOL started = CreateProcessW(exe, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                                      nullptr, &startup, &process);
  SetEnvironmentVariableW(L"TARNWICK_E2E_CHILD", nullptr);
  EXPECT_TRUE(started);
  if (!started) return true;
  const DWORD waited = WaitForSingleObject(process.hProcess, 5 * 60 * 1000);
  EXPECT_EQ(waited, WAIT_OBJECT_0) << "the run did not end";
  if (waited != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 1);
  DWORD code = 1;
  GetExitCodeProcess(process.hProcess, &code);
  EXPECT_EQ(code, 0u) << filter << " failed in its own process (its output is above)";
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  return true;
}

class ClientEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    if (engine::BrowserProcess::ConfiguredBrowser(TARNWICK_ENGINE_INI).empty())
      GTEST_SKIP() << "no browser named in build/bin/cef/engine.ini";
    ASSERT_TRUE(server_.Started());
  }
  // After a run: the browser process has gone.
  void ExpectNoBrowserLeft() {
    const std::wstring marker = Folder() + L"cef_temp\\CefLocalStorage\\engine-exited";
    EXPECT_TRUE(WaitUntil([&] { return Exists(marker); }, 30000)) << "a browser was left running";
    // Kept after a failure: its cef.log tells what the browser did.
    if (!HasFailure()) engine::BrowserProcess::RemoveFolder(Folder() + L"cef_temp\\");
  }

  static std::string AccessPath(const std::string& uid, const std::string& suid,
                                const std::string& token) {
    return "/game/s/wdAccess/?name=vexmor&uid=" + uid + "&suid=" + suid + "&token=" + token;
  }

  HttpTestServer server_;
};

struct AddressCase {
  const char* name;
  std::string config;
  std::string path;
};

class LoginAddressEndToEnd : public ClientEndToEnd,
                             public ::testing::WithParamInterface<AddressCase> {};

TEST_P(LoginAddressEndToEnd, LoadsTheAccessPageAndShowsTheLoginWindowAfterItsLoad) {
  if (RanInOwnProcess()) return;
  server_.Set(GetParam().path, {200, "<html><title>access</title><body>access</body></html>", ""});
  ClientRun run(server_, GetParam().config);
  ASSERT_TRUE(run.Ready());
  const int result = run.Run([&](ClientRun& r) {
    HWND start = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (start = r.StartWindow()) != nullptr; }));
    wchar_t title[64] = {};
    GetWindowTextW(start, title, 64);
    EXPECT_STREQ(title, L"Tarnwick");
    EXPECT_TRUE(IsWindowVisible(start));
    HWND login = r.LoginWindow();
    ASSERT_NE(login, nullptr);
    EXPECT_EQ(GetWindow(login, GW_OWNER), start);
    // Hidden until the access page has loaded.
    if (server_.Requests(GetParam().path) == 0) {
      EXPECT_FALSE(IsWindowVisible(login));
    }
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(login) != FALSE; }))
        << "never shown; requests: " << ::testing::PrintToString(server_.All());
    EXPECT_EQ(server_.Requests(GetParam().path), 1);
  });
  EXPECT_EQ(result, 0);
  ExpectNoBrowserLeft();
}

INSTANTIATE_TEST_SUITE_P(
    Settings, LoginAddressEndToEnd,
    ::testing::Values(AddressCase{"NoSettingsFile", "",
                                  "/game/s/wdAccess/?name=vexmor&uid=&suid=&token="},
                      AddressCase{"Values", "[vexmor]\nuid=1001\nfilename=s7\ntoken=abc\n",
                                  "/game/s/wdAccess/?name=vexmor&uid=1001&suid=s7&token=abc"},
                      AddressCase{"LongValueCut", "[vexmor]\nuid=" + std::string(300, 'u') + "\n",
                                  "/game/s/wdAccess/?name=vexmor&uid=" + std::string(259, 'u') +
                                      "&suid=&token="}),
    [](const auto& info) { return std::string(info.param.name); });

// The access page walks through every blocked kind of navigation, then reports that it is
// still there and asks for the game.
std::string WalkingAccessPage(const std::string& gameAddress) {
  return std::string(
             "<html><head><title>access</title></head><body>"
             "<a id='link' href='") +
         kSite +
         "/kefu/by-link'>support</a>"
         "<form id='form' action='" +
         kSite +
         "/AboutUs' method='get'><input name='q' value='1'></form>"
         "<script>"
         "const steps = ["
         "  () => document.getElementById('link').click(),"
         "  () => document.getElementById('form').submit(),"
         "  () => { location.href = '" +
         kSite +
         "/index.php?m=mymember&c=forgetPassword'; },"
         "  () => { location.href = 'http://pay.e2e.test/pay-by-script'; },"
         "  () => { location.href = '" +
         kSite +
         "/mg/s/new_server/list'; },"
         "  () => { location.href = '" +
         kGameHost +
         "/shop'; },"
         "  () => { location.href = '" +
         kSite +
         "/to-kefu'; },"
         "  () => { window.open('http://pay.e2e.test/pay-popup'); },"
         "  () => { window.open('file:///C:/windows/notepad.exe'); },"
         "  () => { window.open('ms-settings:privacy'); },"
         "  () => { fetch('/report/stayed-' + encodeURIComponent(location.pathname)); },"
         "  () => { location.href = '" +
         gameAddress +
         "'; },"
         "];"
         "let next = 0;"
         "function step() { if (next < steps.length) { steps[next++](); setTimeout(step, 700); } }"
         "addEventListener('load', () => setTimeout(step, 700));"
         "</script></body></html>";
}

// The game reports its audio context's state and calls the host until it answers.
const char kGamePage[] =
    "<html><head><title>game</title></head><body style='background:#2e8b57'>game<script>"
    "const audio = new AudioContext();"
    "function report(what) { fetch('/report/' + what, {cache: 'no-store'}); }"
    "report('audio-' + audio.state);"
    "audio.onstatechange = () => report('audio-' + audio.state);"
    "function ask() {"
    "  try {"
    "    VokCefWebInstance.call('ShowMessageBox', 'hello', (error, result) =>"
    "      report('reply-' + encodeURIComponent(JSON.stringify([error, result]))));"
    "  } catch (e) { setTimeout(ask, 300); }"
    "}"
    "addEventListener('load', () => setTimeout(ask, 300));"
    "</script></body></html>";

TEST_F(ClientEndToEnd, BlocksServicePagesOpensTheGameAndHandsBack) {
  if (RanInOwnProcess()) return;
  const std::string access = AccessPath("7", "s1", "t");
  const std::string gamePath = "/wd/play.html?m=game&x=1|%54%61rn|abc";
  const std::string gameAddress = std::string(kGameHost) + gamePath;
  server_.Set(access, {200, WalkingAccessPage(gameAddress), ""});
  server_.Set("/to-kefu", {302, "", std::string(kSite) + "/kefu/by-redirect"});
  server_.Set(gamePath, {200, kGamePage, ""});
  server_.Set("/wd/play.html?m=game&x=1%7C%54%61rn%7Cabc", {200, kGamePage, ""});
  ClientRun run(server_, "[vexmor]\nuid=7\nfilename=s1\ntoken=t\n");
  ASSERT_TRUE(run.Ready());
  const int result = run.Run([&](ClientRun& r) {
    HWND start = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (start = r.StartWindow()) != nullptr; }));
    HWND login = r.LoginWindow();
    ASSERT_NE(login, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(login) != FALSE; }));

    // Placed at +484, +288 and following the start window.
    PostMessageW(start, WM_MOVE, 0, 0);
    auto placed = [&] {
      const RECT s = WindowRect(start);
      const RECT l = WindowRect(login);
      return l.left == s.left + 484 && l.top == s.top + 288;
    };
    EXPECT_TRUE(WaitUntil(placed));
    const RECT before = WindowRect(start);
    SetWindowPos(start, nullptr, before.left + 37, before.top + 21, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_TRUE(WaitUntil([&] { return WindowRect(login).left == before.left + 37 + 484; }));
    EXPECT_TRUE(placed());

    // Every blocked page by link, form, script and redirect: never fetched, page kept.
    ASSERT_TRUE(WaitUntil([&] { return RequestsStartingWith(server_, "/report/stayed-") > 0; }));
    EXPECT_EQ(server_.Requests("/report/stayed-%2Fgame%2Fs%2FwdAccess%2F"), 1);
    for (const char* blocked :
         {"/kefu/by-link", "/AboutUs?q=1", "/index.php?m=mymember&c=forgetPassword",
          "/pay-by-script", "/mg/s/new_server/list", "/shop", "/kefu/by-redirect", "/pay-popup"}) {
      EXPECT_EQ(server_.Requests(blocked), 0) << blocked;
    }
    EXPECT_EQ(server_.Requests("/to-kefu"), 1);
    // Popups that a script opens with no gesture of the player's reach the system browser
    // not at all (a click's are in PopupsReachTheSystemBrowserOnlyFromAClickOncePerClick).
    EXPECT_EQ(r.ShellOpened(), std::vector<std::wstring>());

    // The game: its own maximised window with exactly that address and the decoded title.
    HWND game = nullptr;
    std::wstring url;
    ASSERT_TRUE(WaitUntil([&] { return (game = r.GameWindow(&url)) != nullptr; }));
    EXPECT_EQ(url, kbase::Utf8ToWide(gameAddress));
    EXPECT_TRUE(IsZoomed(game));
    wchar_t title[64] = {};
    GetWindowTextW(game, title, 64);
    EXPECT_STREQ(title, L"Tarn-abc");
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(start) && !IsWindowVisible(login); }));
    ASSERT_TRUE(WaitUntil([&] {
      return server_.Requests(gamePath) +
                 server_.Requests("/wd/play.html?m=game&x=1%7C%54%61rn%7Cabc") ==
             1;
    }));

    // "ShowMessageBox": the text as the bridge delivers it, owned by the game window.
    ASSERT_TRUE(WaitUntil([&] { return RequestsStartingWith(server_, "/report/reply-") > 0; }));
    EXPECT_EQ(server_.Requests("/report/reply-" +
                               std::string("%5Bfalse%2C%7B%22message%22%3A%22Success.%22%7D%5D")),
              1);
    ASSERT_EQ(r.Messages().size(), 1u);
    EXPECT_EQ(r.Messages()[0].first, L"\"hello\"");
    EXPECT_EQ(r.Messages()[0].second, game);

    // Muted while another window is active, unmuted with focus when it comes back.
    ASSERT_TRUE(WaitUntil([&] { return server_.Requests("/report/audio-running") >= 1; }));
    HWND other = nullptr;
    r.OnUi([&] {
      other = CreateWindowExW(0, L"STATIC", L"other", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr,
                              nullptr, nullptr, nullptr);
      SetForegroundWindow(other);
    });
    EXPECT_TRUE(WaitUntil([&] { return server_.Requests("/report/audio-suspended") >= 1; }));
    r.OnUi([&] { SetForegroundWindow(game); });
    EXPECT_TRUE(WaitUntil([&] { return server_.Requests("/report/audio-running") >= 2; }));
    r.OnUi([&] { DestroyWindow(other); });

    // "btn_close" hands back: the login page reloads, start and login windows return.
    const POINT close = r.ControlCentre(game, L"btn_close");
    ASSERT_GE(close.x, 0);
    ClientRun::Click(game, close);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(game); }));
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(start) && IsWindowVisible(login); }));
    EXPECT_TRUE(WaitUntil([&] { return server_.Requests(access) == 2; })) << "not reloaded";
    EXPECT_TRUE(placed());
  });
  EXPECT_EQ(result, 0);
  ExpectNoBrowserLeft();
}

// A sign-in page as a real service has it: its form goes to a sign-in step that redirects
// straight to the game, so the login browser itself never leaves this page. The button
// fills the top-left corner; the rest of the page is blue. Each load reports, a while
// later, that the page is still there.
const char kSignInPage[] =
    "<html><head><title>sign in</title><style>"
    "body { margin: 0; background: #2846b4; }"
    "#enter { position: absolute; left: 0; top: 0; width: 160px; height: 120px; border: 0;"
    "         background: #c83232; }"
    "</style></head><body>"
    "<form action='/game/s/login' method='get'><input type='hidden' name='hero' value='Ann'>"
    "<button id='enter' type='submit'>Enter</button></form>"
    "<script>addEventListener('load', () => setTimeout(() =>"
    "  fetch('/report/signin-still-here', {cache: 'no-store'}), 3000));</script>"
    "</body></html>";

const Colour kSignInButton{0xc8, 0x32, 0x32};
const Colour kSignInBackground{0x28, 0x46, 0xb4};

// The sign-in page at the access address; signing in there redirects straight to the game
// address, a plain green page, as the service does.
void ServeSignInLeadingTo(HttpTestServer& server, const std::string& gamePath) {
  server.Set("/game/s/wdAccess/?name=vexmor&uid=&suid=&token=", {200, kSignInPage, ""});
  server.Set("/game/s/login?hero=Ann", {302, "", std::string(kGameHost) + gamePath});
  server.Set(gamePath, {200, "<html><body style='background:#2e8b57'>game</body></html>", ""});
}

enum class GameClose { kButton, kSystemMenu, kAltF4 };

TEST_F(ClientEndToEnd, TheWholeRoundBackToTheLauncherAndIntoTheGameAgain) {
  if (RanInOwnProcess()) return;
  const std::string access = AccessPath("", "", "");
  const std::string signIn = "/game/s/login?hero=Ann";
  const std::string gamePath = "/wd/round.html?m=game&hero=Ann";
  ServeSignInLeadingTo(server_, gamePath);
  ClientRun run(server_, "");
  ASSERT_TRUE(run.Ready());
  const int result = run.Run([&](ClientRun& r) {
    HWND start = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (start = r.StartWindow()) != nullptr; }));
    HWND login = r.LoginWindow();
    ASSERT_NE(login, nullptr);
    HWND page = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (page = r.LoginBrowserWindow()) != nullptr; }));
    // The sign-in page as the player sees it: drawn at its size, the button where it is.
    auto signInShown = [&] {
      return IsWindowVisible(login) && Near(ShownAt(page, 20, 100), kSignInButton) &&
             Near(ShownAt(page, 300, 200), kSignInBackground);
    };
    int loads = 1;
    int games = 0;
    for (GameClose how : {GameClose::kButton, GameClose::kSystemMenu, GameClose::kAltF4}) {
      SCOPED_TRACE(static_cast<int>(how));
      ASSERT_TRUE(WaitUntil(signInShown))
          << "the sign-in page is not shown: visible " << IsWindowVisible(login) << ", "
          << ShownAt(page, 20, 100) << " and " << ShownAt(page, 300, 200) << " in a view of "
          << WindowRect(page).right - WindowRect(page).left << "x"
          << WindowRect(page).bottom - WindowRect(page).top;
      EXPECT_EQ(server_.Requests(access), loads);
      // Each load's page reports once it has stood a while; the first waits for it too.
      ASSERT_TRUE(
          WaitUntil([&] { return server_.Requests("/report/signin-still-here") >= loads; }));

      // Signing in opens the game; the login browser stays on the sign-in page.
      ClientRun::Click(page, {80, 60});
      HWND game = nullptr;
      ASSERT_TRUE(WaitUntil([&] { return (game = r.GameWindow()) != nullptr; }));
      ++games;
      EXPECT_TRUE(WaitUntil([&] { return server_.Requests(gamePath) == games; }));
      EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(start) && !IsWindowVisible(login); }));
      EXPECT_EQ(server_.Requests(signIn), games);

      switch (how) {
        case GameClose::kButton: {
          const POINT close = r.ControlCentre(game, L"btn_close");
          ASSERT_GE(close.x, 0);
          ClientRun::Click(game, close);
          break;
        }
        case GameClose::kSystemMenu:
          PostMessageW(game, WM_SYSCOMMAND, SC_CLOSE, 0);
          break;
        case GameClose::kAltF4:
          PostMessageW(game, WM_SYSKEYDOWN, VK_F4, (1 | (0x3E << 16) | (1 << 29)));
          break;
      }
      ASSERT_TRUE(WaitUntil([&] { return !IsWindow(game); }));

      // Back at the launcher: start and login windows, the sign-in page loaded again, and
      // it stays (no new game window) until it says it is still there.
      ++loads;
      EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(start) && IsWindowVisible(login); }));
      EXPECT_TRUE(WaitUntil([&] { return server_.Requests(access) == loads; })) << "not reloaded";
      EXPECT_TRUE(
          WaitUntil([&] { return server_.Requests("/report/signin-still-here") >= loads; }));
      EXPECT_EQ(r.GameWindow(), nullptr) << "a new game window opened by itself";
      EXPECT_EQ(server_.Requests(gamePath), games);
      EXPECT_EQ(server_.Requests(signIn), games);
      const HWND active = GetForegroundWindow();
      EXPECT_TRUE(active == start || active == login) << "the launcher is not active";
    }
    EXPECT_TRUE(WaitUntil(signInShown));
  });
  EXPECT_EQ(result, 0);
  ExpectNoBrowserLeft();
}

// The login window's toolbar on a real page: a link to another page of the site, then each
// button in turn, each step seen in what the server is asked for and what the view shows.
TEST_F(ClientEndToEnd, TheLoginToolbarGoesBackForwardReloadsHomeAndOpensTheTools) {
  if (RanInOwnProcess()) return;
  const std::string access = AccessPath("", "", "");
  server_.Set(access, {200,
                       "<html><body style='margin:0; background:#2846b4'>"
                       "<a href='/news' style='position:absolute; left:0; top:0; width:160px;"
                       " height:120px; background:#c83232'></a></body></html>",
                       ""});
  server_.Set("/news", {200, "<html><body style='background:#2e8b57'>news</body></html>", ""});
  ClientRun run(server_, "");
  ASSERT_TRUE(run.Ready());
  const int result = run.Run([&](ClientRun& r) {
    HWND start = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (start = r.StartWindow()) != nullptr; }));
    HWND login = r.LoginWindow();
    ASSERT_NE(login, nullptr);
    HWND page = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (page = r.LoginBrowserWindow()) != nullptr; }));
    const Colour signIn = kSignInBackground;
    const Colour news{0x2e, 0x8b, 0x57};
    auto shows = [&](const Colour& colour) {
      return WaitUntil([&] { return Near(ShownAt(page, 300, 200), colour); });
    };
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(login) != FALSE; }));
    ASSERT_TRUE(shows(signIn));
    ClientRun::Click(page, {20, 100});
    ASSERT_TRUE(shows(news));
    ASSERT_EQ(server_.Requests("/news"), 1);

    struct Step {
      const wchar_t* button;
      std::string path;  // asked for once more
      Colour shown;
    };
    const Step steps[] = {
        {L"btn_back", access, signIn},
        {L"btn_forward", "/news", news},
        {L"btn_refresh", "/news", news},
        {L"btn_navigate", access, signIn},
    };
    for (const Step& step : steps) {
      SCOPED_TRACE(kbase::WideToUtf8(step.button));
      const int before = server_.Requests(step.path);
      const POINT at = r.ControlCentre(login, step.button);
      ASSERT_GE(at.x, 0);
      ClientRun::Click(login, at);
      EXPECT_TRUE(WaitUntil([&] { return server_.Requests(step.path) == before + 1; }));
      EXPECT_TRUE(shows(step.shown));
    }

    // The developer tools: a top-level window of their own, 900 x 700, owned by none; the
    // same button closes them.
    const POINT tools = r.ControlCentre(login, L"btn_dev_tool");
    ASSERT_GE(tools.x, 0);
    ClientRun::Click(login, tools);
    HWND devTools = nullptr;
    // Found as soon as it exists, visible once its creation has ended.
    ASSERT_TRUE(WaitUntil([&] {
      devTools = FindWindowW(nullptr, L"cef_devtools");
      return devTools && IsWindowVisible(devTools);
    }));
    EXPECT_EQ(GetParent(devTools), nullptr);
    EXPECT_EQ(GetWindow(devTools, GW_OWNER), nullptr);
    wchar_t className[64] = {};
    GetClassNameW(devTools, className, 64);
    EXPECT_STREQ(className, L"EngineBrowserWindow");
    const RECT placed = WindowRect(devTools);
    EXPECT_EQ(placed.right - placed.left, 900);
    EXPECT_EQ(placed.bottom - placed.top, 700);
    ClientRun::Click(login, tools);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(devTools); }));
  });
  EXPECT_EQ(result, 0);
  ExpectNoBrowserLeft();
}

// A login page whose script opens popups by itself, at once and on a timer, and whose red
// button in the top-left corner opens three popups at each click.
const char kPopupPage[] =
    "<html><head><title>popups</title><style>"
    "body { margin: 0; background: #2846b4; }"
    "#open { position: absolute; left: 0; top: 0; width: 160px; height: 120px; border: 0;"
    "        background: #c83232; }"
    "</style></head><body><button id='open'>open</button><script>"
    "function report(what) { fetch('/report/' + what, {cache: 'no-store'}); }"
    "let clicks = 0;"
    "document.getElementById('open').addEventListener('click', () => {"
    "  ++clicks;"
    "  for (let i = 1; i <= 3; ++i) window.open('http://www.e2e.test/click' + clicks + '-' + i);"
    "  report('clicked-' + clicks);"
    "});"
    "for (let i = 1; i <= 5; ++i) window.open('http://www.e2e.test/at-once-' + i);"
    "let n = 0;"
    "const loop = setInterval(() => {"
    "  window.open('http://www.e2e.test/loop-' + (++n));"
    "  if (n == 20) { clearInterval(loop); report('loop-done'); }"
    "}, 30);"
    "</script></body></html>";

TEST_F(ClientEndToEnd, PopupsReachTheSystemBrowserOnlyFromAClickOncePerClick) {
  if (RanInOwnProcess()) return;
  server_.Set(AccessPath("", "", ""), {200, kPopupPage, ""});
  ClientRun run(server_, "");
  ASSERT_TRUE(run.Ready());
  const int result = run.Run([&](ClientRun& r) {
    HWND login = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (login = r.LoginWindow()) != nullptr; }));
    HWND page = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (page = r.LoginBrowserWindow()) != nullptr; }));
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(login) != FALSE; }));
    ASSERT_TRUE(WaitUntil([&] { return Near(ShownAt(page, 40, 40), kSignInButton); }));
    ASSERT_TRUE(WaitUntil([&] { return server_.Requests("/report/loop-done") == 1; }));

    // Each click: the first of its three popups, and only that. The second click's popup
    // comes after everything the page opened before it, so by then every earlier popup
    // has been decided.
    ClientRun::Click(page, {40, 40});
    ASSERT_TRUE(WaitUntil([&] { return server_.Requests("/report/clicked-1") == 1; }));
    ASSERT_TRUE(WaitUntil([&] { return !r.ShellOpened().empty(); }));
    ClientRun::Click(page, {40, 40});
    ASSERT_TRUE(WaitUntil([&] { return server_.Requests("/report/clicked-2") == 1; }));
    ASSERT_TRUE(WaitUntil([&] { return r.ShellOpened().size() >= 2; }));
    EXPECT_EQ(r.ShellOpened(), (std::vector<std::wstring>{L"http://www.e2e.test/click1-1",
                                                          L"http://www.e2e.test/click2-1"}));
    // And the login browser loaded none of them.
    for (const char* popup : {"/click", "/at-once-", "/loop-"}) {
      EXPECT_EQ(RequestsStartingWith(server_, popup), 0) << popup;
    }
    EXPECT_EQ(server_.Requests(AccessPath("", "", "")), 1);
  });
  EXPECT_EQ(result, 0);
  ExpectNoBrowserLeft();
}

// Counts the game windows made on the thread it is installed on (the client's UI thread).
class GameWindowCount {
 public:
  bool Install() {
    made = 0;
    hook_ = SetWindowsHookExW(WH_CBT, &GameWindowCount::Hook, nullptr, GetCurrentThreadId());
    return hook_ != nullptr;
  }
  void Remove() {
    if (hook_) UnhookWindowsHookEx(hook_);
    hook_ = nullptr;
  }
  static std::atomic<int> made;

 private:
  static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) {
      wchar_t name[32] = {};
      GetClassNameW(reinterpret_cast<HWND>(wParam), name, 32);
      if (std::wstring(name) == L"Game_client") ++made;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
  }
  HHOOK hook_ = nullptr;
};
std::atomic<int> GameWindowCount::made{0};

BOOL CALLBACK CountGameWindow(HWND hwnd, LPARAM found) {
  wchar_t name[32] = {};
  GetClassNameW(hwnd, name, 32);
  if (std::wstring(name) == L"Game_client") ++*reinterpret_cast<int*>(found);
  return TRUE;
}

int GameWindowsOnScreen() {
  int count = 0;
  EnumWindows(&CountGameWindow, reinterpret_cast<LPARAM>(&count));
  return count;
}

// A login page that asks for the game from each of its subframes, then from its main
// frame when mainToo.
std::string AskingForTheGame(const std::string& game, int frames, bool mainToo) {
  std::string page = "<html><body>";
  for (int i = 0; i < frames; ++i) page += "<iframe id='f" + std::to_string(i) + "'></iframe>";
  page += "<script>addEventListener('load', () => {";
  for (int i = 0; i < frames; ++i)
    page += "document.getElementById('f" + std::to_string(i) + "').src = '" + game + "';";
  if (mainToo) page += "location.href = '" + game + "';";
  page += "});</script></body></html>";
  return page;
}

TEST_F(ClientEndToEnd, AskingForTheGameAgainSteersTheOneGameWindow) {
  if (RanInOwnProcess()) return;
  const std::string game = std::string(kGameHost) + "/wd/one.html?m=game&n=";
  const char kGame[] = "<html><body style='background:#2e8b57'>game</body></html>";
  server_.Set(AccessPath("", "", ""), {200, "<html><body>access</body></html>", ""});
  server_.Set("/frames-1", {200, AskingForTheGame(game + "1", 1, false), ""});
  server_.Set("/frames-2", {200, AskingForTheGame(game + "2", 3, true), ""});
  for (const char* n : {"1", "2", "3|%41|b", "3%7C%41%7Cb"})
    server_.Set(std::string("/wd/one.html?m=game&n=") + n, {200, kGame, ""});
  ClientRun run(server_, "");
  ASSERT_TRUE(run.Ready());
  GameWindowCount count;
  const int result = run.Run([&](ClientRun& r) {
    HWND login = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (login = r.LoginWindow()) != nullptr; }));
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(login) != FALSE; }));
    bool hooked = false;
    r.OnUi([&] { hooked = count.Install(); });
    ASSERT_TRUE(hooked);

    // A subframe asks for the game: the game window opens.
    ASSERT_TRUE(r.LoadInLoginBrowser(std::string(kSite) + "/frames-1"));
    HWND gameWindow = nullptr;
    std::wstring url;
    ASSERT_TRUE(WaitUntil([&] { return (gameWindow = r.GameWindow(&url)) != nullptr; }));
    EXPECT_EQ(url, kbase::Utf8ToWide(game + "1"));
    ASSERT_TRUE(WaitUntil([&] { return server_.Requests("/wd/one.html?m=game&n=1") == 1; }));

    // The login page, hidden behind the game, asks again from three frames and its main
    // frame: the game window loads the address.
    ASSERT_TRUE(r.LoadInLoginBrowser(std::string(kSite) + "/frames-2"));
    ASSERT_TRUE(WaitUntil([&] {
      r.GameWindow(&url);
      return url == kbase::Utf8ToWide(game + "2");
    }));
    ASSERT_TRUE(WaitUntil([&] { return server_.Requests("/wd/one.html?m=game&n=2") >= 1; }));
    EXPECT_EQ(r.GameWindow(), gameWindow);

    // Another application comes to the front; a game address once more brings the game
    // window back to the front with the new address and its title.
    HWND other = nullptr;
    r.OnUi([&] {
      other = CreateWindowExW(0, L"STATIC", L"other", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr,
                              nullptr, nullptr, nullptr);
      SetForegroundWindow(other);
    });
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == other; }));
    ASSERT_TRUE(r.LoadInLoginBrowser(game + "3|%41|b"));
    const std::wstring last = kbase::Utf8ToWide(game + "3|%41|b");
    ASSERT_TRUE(WaitUntil([&] {
      r.GameWindow(&url);
      return url == last;
    }));
    ASSERT_TRUE(WaitUntil([&] {
      return server_.Requests("/wd/one.html?m=game&n=3|%41|b") +
                 server_.Requests("/wd/one.html?m=game&n=3%7C%41%7Cb") ==
             1;
    }));
    // Still the one window, now in front, maximised, with the last address's title.
    EXPECT_EQ(r.GameWindow(), gameWindow);
    EXPECT_EQ(count.made.load(), 1);
    EXPECT_EQ(GameWindowsOnScreen(), 1);
    EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == gameWindow; }));
    EXPECT_TRUE(IsZoomed(gameWindow));
    wchar_t title[64] = {};
    GetWindowTextW(gameWindow, title, 64);
    EXPECT_STREQ(title, L"A-b");
    // The login page never left for the game itself.
    EXPECT_EQ(server_.Requests("/frames-2"), 1);
    r.OnUi([&] {
      count.Remove();
      DestroyWindow(other);
    });
  });
  EXPECT_EQ(result, 0);
  ExpectNoBrowserLeft();
}

// The game opens popups of every kind: each is answered with a report that the game page
// is still there, and only the web address at the end is loaded, in the game's browser.
// The page reports its history's length first, the script address where it runs.
std::string OpeningEveryKindOfPopup(const std::vector<std::string>& refused,
                                    const std::string& web) {
  std::string list;
  for (const std::string& address : refused) list += "'" + address + "',";
  return "<html><body>game<script>"
         "const refused = [" +
         list +
         "];"
         "let next = 0;"
         "function step() {"
         "  if (next > 0) fetch('/report/stayed-' + next, {cache: 'no-store'});"
         "  if (next == refused.length) { window.open('" +
         web +
         "'); return; }"
         "  window.open(refused[next++]);"
         "  setTimeout(step, 500);"
         "}"
         "addEventListener('load', () => {"
         "  fetch('/report/start-' + history.length, {cache: 'no-store'});"
         "  setTimeout(step, 300);"
         "});"
         "</script></body></html>";
}

TEST_F(ClientEndToEnd, TheGameLoadsOnlyWebPopupsInItsBrowser) {
  if (RanInOwnProcess()) return;
  const std::vector<std::string> refused = {
      "file:///C:/windows/win.ini",
      "data:text/html,<img src=\\'http://vexmor.e2e.test/report/data-ran\\'>",
      "javascript:void(new Image().src=\\'http://vexmor.e2e.test/report/js-ran-in-\\' + "
      "encodeURIComponent(location.href))",
      "chrome://version/",
      "view-source:http://vexmor.e2e.test/wd/landed.html",
      "about:blank",
      "ftp://vexmor.e2e.test/x",
  };
  const std::string gamePath = "/wd/popups.html?m=game";
  server_.Set(AccessPath("", "", ""), {200,
                                       std::string("<html><script>location.href = '") + kGameHost +
                                           gamePath + "';</script></html>",
                                       ""});
  server_.Set(
      gamePath,
      {200, OpeningEveryKindOfPopup(refused, std::string(kGameHost) + "/wd/landed.html"), ""});
  // The game's history tells whether anything else was ever loaded in its main frame: one
  // entry more than at the start, this one.
  server_.Set("/wd/landed.html",
              {200,
               "<html><script>fetch('/report/landed-' + history.length, {cache: 'no-store'});"
               "</script></html>",
               ""});
  ClientRun run(server_, "");
  ASSERT_TRUE(run.Ready());
  const int result = run.Run([&](ClientRun& r) {
    ASSERT_TRUE(WaitUntil([&] { return r.GameWindow() != nullptr; }));
    ASSERT_TRUE(WaitUntil([&] { return server_.Requests("/wd/landed.html") == 1; }));
    ASSERT_TRUE(WaitUntil([&] { return RequestsStartingWith(server_, "/report/landed-") == 1; }));
    std::string asked;
    int start = 0;
    for (const std::string& request : server_.All()) {
      asked += request + " ";
      if (request.compare(0, 14, "/report/start-") == 0) start = std::atoi(request.c_str() + 14);
    }
    ASSERT_GT(start, 0) << asked;
    EXPECT_EQ(server_.Requests("/report/landed-" + std::to_string(start + 1)), 1)
        << "something else was loaded: " << asked;
    for (size_t i = 1; i <= refused.size(); ++i) {
      EXPECT_EQ(server_.Requests("/report/stayed-" + std::to_string(i)), 1) << refused[i - 1];
    }
    EXPECT_EQ(server_.Requests("/report/data-ran"), 0);
    // A script address may run in the popup window the page opened (which the page could
    // script itself), never in the game's own page.
    EXPECT_EQ(RequestsStartingWith(server_, "/report/js-ran-in-http"), 0) << asked;
    EXPECT_EQ(server_.Requests(gamePath), 1);
  });
  EXPECT_EQ(result, 0);
  ExpectNoBrowserLeft();
}

// A page that loads in the login browser while the game is open: the login window shows
// itself again over the game, which stays.
TEST_F(ClientEndToEnd, APageLoadedInTheLoginBrowserDuringTheGameShowsTheLoginWindow) {
  if (RanInOwnProcess()) return;
  const std::string gamePath = "/wd/during.html?m=game";
  ServeSignInLeadingTo(server_, gamePath);
  server_.Set("/later", {200, "<html><body>later</body></html>", ""});
  ClientRun run(server_, "");
  ASSERT_TRUE(run.Ready());
  const int result = run.Run([&](ClientRun& r) {
    HWND start = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (start = r.StartWindow()) != nullptr; }));
    HWND login = r.LoginWindow();
    HWND page = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (page = r.LoginBrowserWindow()) != nullptr; }));
    ASSERT_TRUE(WaitUntil(
        [&] { return IsWindowVisible(login) && Near(ShownAt(page, 20, 100), kSignInButton); }));
    ClientRun::Click(page, {20, 100});
    HWND game = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (game = r.GameWindow()) != nullptr; }));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(login) && !IsWindowVisible(start); }));
    ASSERT_TRUE(r.LoadInLoginBrowser(std::string(kSite) + "/later"));
    EXPECT_TRUE(WaitUntil([&] { return server_.Requests("/later") == 1; }));
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(login) != FALSE; }));
    EXPECT_TRUE(IsWindow(game) && IsWindowVisible(game));
    EXPECT_EQ(r.GameWindow(), game);
  });
  EXPECT_EQ(result, 0);
  ExpectNoBrowserLeft();
}

// A page's message as the player sees it: the real toast window over the game, owned by it,
// with the text as the bridge delivers it, gone by itself some three seconds later. The game
// window offers the message function once its page has loaded, which on a busy machine can
// come after the page's first call; the page asks again until it is answered.
TEST_F(ClientEndToEnd, APageMessageShowsInAToastOverTheGameThatGoesByItself) {
  if (RanInOwnProcess()) return;
  const std::string gamePath = "/wd/toast.html?m=game";
  server_.Set(AccessPath("", "", ""),
              {200,
               "<html><body><script>addEventListener('load', () => { location.href = '" +
                   std::string(kGameHost) + gamePath + "'; });</script></body></html>",
               ""});
  server_.Set(gamePath, {200,
                         "<html><body style='background:#2e8b57'><script>"
                         "function ask() {"
                         "  try {"
                         "    VokCefWebInstance.call('ShowMessageBox', 'A raven', (failed) => {"
                         "      if (failed) setTimeout(ask, 300);"
                         "    });"
                         "  }"
                         "  catch (e) { setTimeout(ask, 300); }"
                         "}"
                         "addEventListener('load', () => setTimeout(ask, 300));"
                         "</script></body></html>",
                         ""});
  ClientRun run(server_, "");
  ASSERT_TRUE(run.Ready());
  run.ShowRealToasts();
  const int result = run.Run([&](ClientRun& r) {
    HWND game = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (game = r.GameWindow()) != nullptr; }));
    ASSERT_TRUE(WaitUntil([&] { return !r.Toasts().empty(); }));
    const ClientRun::ShownToast toast = r.Toasts()[0];
    ASSERT_NE(toast.hwnd, nullptr);
    EXPECT_EQ(toast.className, L"Toast");
    EXPECT_TRUE(toast.visible);
    EXPECT_EQ(toast.owner, game);
    EXPECT_EQ(toast.text, L"\"A raven\"");
    // Over the game: its centre within the game window.
    const RECT g = WindowRect(game);
    const POINT centre{(toast.rect.left + toast.rect.right) / 2,
                       (toast.rect.top + toast.rect.bottom) / 2};
    EXPECT_TRUE(PtInRect(&g, centre));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(toast.hwnd); }, 30000)) << "the toast stayed";
    const DWORD gone = GetTickCount();
    const auto times = r.MessageTimes();
    ASSERT_EQ(times.size(), 1u);
    EXPECT_GE(gone - times[0], 2800u) << "the toast went before its three seconds";
  });
  EXPECT_EQ(result, 0);
  ExpectNoBrowserLeft();
}

TEST_F(ClientEndToEnd, AForgedOpenMessageOpensNothingAndFreesNothing) {
  if (RanInOwnProcess()) return;
  server_.Set(AccessPath("", "", ""), {200, "<html><title>access</title></html>", ""});
  ClientRun run(server_, "");
  ASSERT_TRUE(run.Ready());
  const int result = run.Run([&](ClientRun& r) {
    HWND start = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (start = r.StartWindow()) != nullptr; }));
    // Any process may post this, with any value where an address pointer used to travel.
    PostMessageW(start, kMsgOpenGameWindow, 0, static_cast<LPARAM>(0x12345678));
    PostMessageW(start, kMsgOpenGameWindow, 0, reinterpret_cast<LPARAM>(&r));
    r.OnUi([] {});
    EXPECT_EQ(r.GameWindow(), nullptr);
    EXPECT_TRUE(IsWindowVisible(start));
  });
  EXPECT_EQ(result, 0);
  ExpectNoBrowserLeft();
}

// The client's whole life twice over in one process: each run starts from the same state,
// shows its login page, goes into the game and back, and ends with 0, leaving no browser;
// the first ends as its start window closes, the second as its login window does.
TEST_F(ClientEndToEnd, TwoFullRunsInOneProcessEachShowTheLoginPage) {
  if (RanInOwnProcess()) return;
  const std::string access = AccessPath("", "", "");
  const std::string gamePath = "/wd/again.html?m=game";
  ServeSignInLeadingTo(server_, gamePath);
  for (int runs = 1; runs <= 2; ++runs) {
    SCOPED_TRACE(runs);
    ClientRun run(server_, "");
    ASSERT_TRUE(run.Ready());
    const int result = run.Run([&](ClientRun& r) {
      HWND start = nullptr;
      ASSERT_TRUE(WaitUntil([&] { return (start = r.StartWindow()) != nullptr; }));
      HWND login = r.LoginWindow();
      ASSERT_NE(login, nullptr);
      ASSERT_TRUE(WaitUntil([&] { return server_.Requests(access) == 2 * runs - 1; }))
          << "the login page was never asked for";
      HWND page = nullptr;
      ASSERT_TRUE(WaitUntil([&] { return (page = r.LoginBrowserWindow()) != nullptr; }));
      ASSERT_TRUE(WaitUntil(
          [&] { return IsWindowVisible(login) && Near(ShownAt(page, 20, 100), kSignInButton); }));
      ClientRun::Click(page, {80, 60});
      HWND game = nullptr;
      ASSERT_TRUE(WaitUntil([&] { return (game = r.GameWindow()) != nullptr; }));
      ASSERT_TRUE(WaitUntil([&] { return server_.Requests(gamePath) == runs; }));
      PostMessageW(game, WM_SYSCOMMAND, SC_CLOSE, 0);
      EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(start) && IsWindowVisible(login); }));
      EXPECT_TRUE(WaitUntil([&] { return server_.Requests(access) == 2 * runs; }));
      if (runs == 1) return;  // the driver closes the start window, which ends the run
      // The login window closed by the system: the client ends once its browsers have
      // closed, which a count left over from the first run would keep from happening.
      PostMessageW(login, WM_CLOSE, 0, 0);
      EXPECT_TRUE(WaitUntil([] {
        return !kbase::ThreadRegistry::PostToThread(kbase::kMainThreadId, [] {});
      })) << "the second run did not end once its browsers had closed";
    });
    EXPECT_EQ(result, 0);
    ExpectNoBrowserLeft();
    if (HasFailure()) return;
  }
}

// A page that sends a 10 MB text and, once it is answered, a thousand more as fast as the
// bridge takes them.
const char kFloodPage[] =
    "<html><head><title>flood</title></head><body>flood<script>"
    "let replies = 0, errors = 0;"
    "function done(error) {"
    "  if (error) errors++; else replies++;"
    "  if (replies + errors === 1001) fetch('/report/flood-' + replies + '-' + errors);"
    "}"
    "function burst() {"
    "  for (let i = 0; i < 1000; i++) VokCefWebInstance.call('ShowMessageBox', 'n' + i, done);"
    "}"
    "function flood() {"
    "  VokCefWebInstance.call('ShowMessageBox', 'x'.repeat(10 * 1024 * 1024), (error) => {"
    "    done(error);"
    "    burst();"
    "  });"
    "}"
    "function ask() {"
    "  try { VokCefWebInstance.call('ShowMessageBox', 'warm', () => flood()); }"
    "  catch (e) { setTimeout(ask, 300); }"
    "}"
    "addEventListener('load', () => setTimeout(ask, 300));"
    "</script></body></html>";

TEST_F(ClientEndToEnd, AFloodOfPageMessagesStaysBoundedAndTheClientResponsive) {
  if (RanInOwnProcess()) return;
  const std::string gamePath = "/wd/flood.html?m=game";
  server_.Set(AccessPath("", "", ""),
              {200,
               "<html><body><script>addEventListener('load', () => { location.href = '" +
                   std::string(kGameHost) + gamePath + "'; });</script></body></html>",
               ""});
  server_.Set(gamePath, {200, kFloodPage, ""});
  ClientRun run(server_, "");
  ASSERT_TRUE(run.Ready());
  const int result = run.Run([&](ClientRun& r) {
    HWND start = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (start = r.StartWindow()) != nullptr; }));
    HWND game = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (game = r.GameWindow()) != nullptr; }));
    ASSERT_TRUE(WaitUntil([&] { return !r.Messages().empty(); }));
    const DWORD floodStart = GetTickCount();
    bool done = false;
    while (!done && GetTickCount() - floodStart < kLongWait) {
      // The windows keep answering while the page floods them.
      DWORD_PTR answer = 0;
      EXPECT_NE(SendMessageTimeoutW(game, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer), 0)
          << "the game window stopped answering";
      done = RequestsStartingWith(server_, "/report/flood-") > 0;
      Sleep(50);
    }
    ASSERT_TRUE(done) << "the page's calls were not all answered";
    EXPECT_EQ(server_.Requests("/report/flood-1001-0"), 1);
    // The latest text of the flood is shown once its quiet period ends.
    EXPECT_TRUE(WaitUntil([&] {
      const auto shown = r.Messages();
      return shown.back().first == L"\"n999\"";
    }));
    // Counted over the time the messages were shown in, from the first one on: on a busy
    // machine several may be shown before this thread first looks.
    const auto messages = r.Messages();
    const auto times = r.MessageTimes();
    ASSERT_EQ(times.size(), messages.size());
    const DWORD shownOver = times.back() - times.front();
    EXPECT_LE(messages.size(), 3u + shownOver / 300) << "one message at most every 300 ms";
    for (const auto& message : messages) {
      EXPECT_LE(message.first.size(), 1000u);
      EXPECT_EQ(message.second, game);
    }
  });
  EXPECT_EQ(result, 0);
  ExpectNoBrowserLeft();
}

// The shipped executable as a user starts it: its start window shows, and closing it ends
// the process with 0 and leaves no browser.
TEST_F(ClientEndToEnd, TheShippedClientEndsWithZeroWhenItsStartWindowCloses) {
  PROCESS_INFORMATION process{};
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  std::wstring commandLine = L"\"" + std::wstring(TARNWICK_EXE) + L"\"";
  ASSERT_TRUE(CreateProcessW(TARNWICK_EXE, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                             nullptr, &startup, &process));
  HWND start = nullptr;
  WaitUntil([&] {
    for (HWND w = FindWindowW(L"Game_start", nullptr); w && !start;
         w = FindWindowExW(nullptr, w, L"Game_start", nullptr)) {
      DWORD owner = 0;
      GetWindowThreadProcessId(w, &owner);
      if (owner == process.dwProcessId) start = w;
    }
    return start != nullptr || WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0;
  });
  EXPECT_NE(start, nullptr) << "no start window";
  if (start) PostMessageW(start, WM_CLOSE, 0, 0);
  EXPECT_EQ(WaitForSingleObject(process.hProcess, kLongWait), WAIT_OBJECT_0);
  DWORD code = 1;
  GetExitCodeProcess(process.hProcess, &code);
  EXPECT_EQ(code, 0u);
  if (WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT)
    TerminateProcess(process.hProcess, 1);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  std::wstring exe = TARNWICK_EXE;
  const std::wstring marker =
      exe.substr(0, exe.find_last_of(L"\\/") + 1) + L"cef_temp\\CefLocalStorage\\engine-exited";
  EXPECT_TRUE(WaitUntil([&] { return Exists(marker); }, 30000)) << "a browser was left running";
}

}  // namespace

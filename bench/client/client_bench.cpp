// The client as a user runs it: Tarnwick.exe started as a process of its own, in a folder
// of its own with the build's resources and an engine folder whose browser maps the
// service's hosts to this program's site. Measured from what the screen shows: process
// start to the login page drawn in the login window (beside the browser alone from its
// start to its first page's load event), the page's step to the game to the game drawn in
// its window (beside the browser alone making a page of that size and showing it), the
// client's memory with both windows, and a page's message to its toast on the screen. The
// client is ended by closing its start window, and its browser must go with it.

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "common/bench_timing.h"
#include "common/committed_memory.h"
#include "common/plain_browser.h"
#include "engine/http_test_server.h"
#include "engine/process/browser_process.h"
#include "runtime/string_util.h"

using engine_test::HttpTestServer;

namespace {

constexpr char kLoginPath[] = "/game/s/wdAccess/?name=vexmor&uid=&suid=&token=";
constexpr char kGamePath[] = "/wd/bench.html?m=game";
constexpr char kGameAddress[] = "http://vexmor.vexmor.test/wd/bench.html?m=game";
constexpr COLORREF kLoginColour = RGB(0xd6, 0x28, 0xa0);
constexpr COLORREF kGameColour = RGB(0x28, 0xc8, 0x5a);
// The toast's card, "bk_toast" of the theme.
constexpr COLORREF kToastColour = RGB(0x20, 0x23, 0x29);
constexpr DWORD kStartTimeoutMs = 90 * 1000;  // a browser starting on a loaded machine
constexpr DWORD kStepTimeoutMs = 30 * 1000;
constexpr double kAddedStartTarget = 0.7;
constexpr double kHandOverTarget = 1.0;
constexpr double kToastTarget = 0.1;
constexpr int kToasts = 4;  // the first and three more

// Each page stamps its step on the real-time clock and reports it to the site.
std::string PageScript(const std::string& onMouseDown) {
  return "function stamp() { return (performance.timeOrigin + performance.now()).toFixed(3); }"
         "function report(what) { fetch('/report/' + what, {cache: 'no-store', keepalive: true}); "
         "}"
         "addEventListener('mousedown', () => {" +
         onMouseDown + "});";
}

std::string Page(COLORREF colour, const std::string& script) {
  char background[8];
  std::snprintf(background, sizeof(background), "#%02x%02x%02x", GetRValue(colour),
                GetGValue(colour), GetBValue(colour));
  return std::string("<html><head><title>bench</title></head><body style='margin:0;background:") +
         background + "'><script>" + script + "</script></body></html>";
}

std::string LoginPage() {
  return Page(kLoginColour, PageScript("report('handover-' + stamp());"
                                       "location.href = '" +
                                       std::string(kGameAddress) + "';"));
}

// The message is asked for again until the host function is there to answer.
std::string GamePage() {
  return Page(kGameColour,
              PageScript("function ask() {"
                         "  const at = stamp();"
                         "  try {"
                         "    VokCefWebInstance.call('ShowMessageBox', 'A message from the bench',"
                         "      (error) => error ? setTimeout(ask, 20) : report('toast-' + at));"
                         "  } catch (e) { setTimeout(ask, 20); }"
                         "}"
                         "ask();") +
                  "addEventListener('load', () => report('game-loaded-' + stamp()));");
}

// Polls the condition every millisecond until it holds; false at the deadline.
bool PollUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  while (!condition()) {
    if (GetTickCount() - start > timeoutMs) return false;
    Sleep(1);
  }
  return true;
}

// What the screen shows at a point: the windows as they are drawn, whoever draws them.
COLORREF ScreenPixel(POINT at) {
  HDC screen = GetDC(nullptr);
  const COLORREF colour = GetPixel(screen, at.x, at.y);
  ReleaseDC(nullptr, screen);
  return colour;
}

bool Near(COLORREF a, COLORREF b) {
  constexpr int kSlack = 24;  // the browser's frames are JPEG
  return std::abs(GetRValue(a) - GetRValue(b)) <= kSlack &&
         std::abs(GetGValue(a) - GetGValue(b)) <= kSlack &&
         std::abs(GetBValue(a) - GetBValue(b)) <= kSlack;
}

HWND VisibleWindowOf(DWORD processId, const wchar_t* windowClass) {
  for (HWND w = FindWindowW(windowClass, nullptr); w;
       w = FindWindowExW(nullptr, w, windowClass, nullptr)) {
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    if (owner == processId && IsWindowVisible(w)) return w;
  }
  return nullptr;
}

BOOL CALLBACK FindBrowserView(HWND child, LPARAM found) {
  wchar_t name[64] = {};
  GetClassNameW(child, name, 64);
  if (std::wstring(name) != L"EngineBrowserWindow") return TRUE;
  *reinterpret_cast<HWND*>(found) = child;
  return FALSE;
}

// The browser's own window inside a client window.
HWND BrowserView(HWND window) {
  HWND view = nullptr;
  EnumChildWindows(window, FindBrowserView, reinterpret_cast<LPARAM>(&view));
  return view;
}

POINT Centre(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// A click on the page as the mouse makes it, at the middle of the browser's window.
void ClickPage(HWND view) {
  RECT r{};
  GetClientRect(view, &r);
  const LPARAM at = MAKELPARAM(r.right / 2, r.bottom / 2);
  PostMessageW(view, WM_MOUSEMOVE, 0, at);
  PostMessageW(view, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageW(view, WM_LBUTTONUP, 0, at);
}

bool CopyTree(const std::wstring& from, const std::wstring& to) {
  CreateDirectoryW(to.c_str(), nullptr);
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW((from + L"*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return false;
  bool copied = true;
  do {
    const std::wstring name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      copied = CopyTree(from + name + L"\\", to + name + L"\\") && copied;
    } else {
      copied = CopyFileW((from + name).c_str(), (to + name).c_str(), FALSE) && copied;
    }
  } while (FindNextFileW(find, &found));
  FindClose(find);
  return copied;
}

bool WriteText(const std::wstring& path, const std::string& text) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok =
      WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
      written == text.size();
  CloseHandle(file);
  return ok;
}

// The client's folder: its program, the build's resources, and an engine folder whose
// browser reaches this program's site for the service's hosts. Removed when it goes.
class ClientFolder {
 public:
  ClientFolder() {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    // Runs in other Wine sessions share the folder, and their process ids repeat.
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    path_ = std::wstring(temp) + L"tarnwick_client_bench_" +
            std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(now.QuadPart) + L"\\";
  }
  ~ClientFolder() {
    if (made_) engine::BrowserProcess::RemoveFolder(path_);
  }
  ClientFolder(const ClientFolder&) = delete;
  ClientFolder& operator=(const ClientFolder&) = delete;

  bool Make(const std::wstring& browser, int port) {
    made_ = CreateDirectoryW(path_.c_str(), nullptr) != FALSE;
    return made_ && CopyFileW(TARNWICK_EXE, Program().c_str(), FALSE) &&
           CopyTree(TARNWICK_RESOURCES, path_ + L"resources\\") &&
           CreateDirectoryW((path_ + L"cef").c_str(), nullptr) &&
           WriteText(path_ + L"cef\\engine.ini",
                     "[engine]\nbrowser=" + kbase::WideToUtf8(browser) +
                         "\nswitches=--host-resolver-rules=MAP *.vexmor.test 127.0.0.1:" +
                         std::to_string(port) + "\n");
  }
  const std::wstring& Path() const { return path_; }
  std::wstring Program() const { return path_ + L"Tarnwick.exe"; }
  // Made by the client as it starts its browser.
  bool CacheMade() const {
    return GetFileAttributesW((path_ + L"cef_temp").c_str()) != INVALID_FILE_ATTRIBUTES;
  }
  // Written by the browser's watchdog once the browser has ended.
  bool BrowserEnded() const {
    const std::wstring marker = path_ + L"cef_temp\\CefLocalStorage\\engine-exited";
    return GetFileAttributesW(marker.c_str()) != INVALID_FILE_ATTRIBUTES;
  }

 private:
  std::wstring path_;
  bool made_ = false;
};

// The started client; ended by force only when it did not end as asked.
class ClientProcess {
 public:
  ~ClientProcess() {
    if (!info_.hProcess) return;
    if (Running()) TerminateProcess(info_.hProcess, 1);
    CloseHandle(info_.hProcess);
    CloseHandle(info_.hThread);
  }

  bool Start(const ClientFolder& folder) {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    std::wstring commandLine = L"\"" + folder.Program() + L"\"";
    return CreateProcessW(folder.Program().c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0,
                          nullptr, folder.Path().c_str(), &startup, &info_) != FALSE;
  }
  bool Started() const { return info_.hProcess != nullptr; }
  bool Running() const { return WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT; }
  HWND Window(const wchar_t* windowClass) const {
    return VisibleWindowOf(info_.dwProcessId, windowClass);
  }
  size_t CommittedBytes() const { return test_memory::CommittedPrivateBytes(info_.hProcess); }
  // Closes the start window as the user does; true once the process has ended with 0.
  bool Close() {
    HWND start = Window(L"Game_start");
    if (!start) {
      // Hidden while the game shows; closing it ends the client all the same.
      for (start = FindWindowW(L"Game_start", nullptr); start;
           start = FindWindowExW(nullptr, start, L"Game_start", nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(start, &owner);
        if (owner == info_.dwProcessId) break;
      }
    }
    if (!start) return false;
    PostMessageW(start, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(info_.hProcess, kStepTimeoutMs) != WAIT_OBJECT_0) return false;
    DWORD code = 1;
    GetExitCodeProcess(info_.hProcess, &code);
    return code == 0;
  }

 private:
  PROCESS_INFORMATION info_{};
};

struct Figures {
  double running = -1;         // process start to the client making its browser cache folder
  double startShown = -1;      // ... to the start window visible, seconds
  double loginAsked = -1;      // ... to the site asked for the login page
  double loginShown = -1;      // ... to the login window shown with its page's place
  double loginDrawn = -1;      // ... to the login page drawn in it
  double handOver = -1;        // the page's step to the game drawn in its window, seconds
  double clickToGame = -1;     // the click that makes that step to the game drawn
  double gameShown = -1;       // the page's step to the game window shown
  double gameLoaded = -1;      // ... to the game page's load event
  std::vector<double> toasts;  // the page's call to the toast on the screen, seconds
  SIZE gameView{};             // the game's page, in pixels
  size_t loginBytes = 0;       // committed private memory with the login window
  size_t bothBytes = 0;        // ... with the login and the game window
};

// The times in milliseconds the page reported for a step, in the order they came.
std::vector<double> ReportedStamps(const HttpTestServer& server, const std::string& step) {
  const std::string prefix = "/report/" + step + "-";
  std::vector<double> stamps;
  for (const std::string& request : server.All()) {
    if (request.compare(0, prefix.size(), prefix) == 0)
      stamps.push_back(std::atof(request.c_str() + prefix.size()));
  }
  return stamps;
}

// The first time reported for a step, or a negative value.
double ReportedStamp(const HttpTestServer& server, const std::string& step) {
  const std::vector<double> stamps = ReportedStamps(server, step);
  return stamps.empty() ? -1 : stamps.front();
}

// One run of the client, step by step; each step says what failed.
class ClientRun {
 public:
  ClientRun(HttpTestServer& server, ClientFolder& folder) : server_(server), folder_(folder) {}

  bool Measure(Figures& f) {
    return Step("start the client", [&] { return StartToLogin(f); }) &&
           Step("hand over to the game", [&] { return HandOver(f); }) &&
           Step("show toasts", [&] { return Toasts(f); });
  }
  // Closes the client as the user does and checks that its browser went with it.
  bool End() {
    if (!process_.Started()) return true;
    bool ended = true;
    if (!process_.Running()) {
      std::printf("client_bench: FAILED, the client ended by itself during the run\n");
      ended = false;
    } else if (!process_.Close()) {
      std::printf(
          "client_bench: FAILED, the client did not end with 0 when its start window "
          "closed\n");
      ended = false;
    }
    // A client that is gone stops touching its browser's heartbeat, so its browser ends
    // too, only later.
    if (!PollUntil([&] { return folder_.BrowserEnded(); }, kStepTimeoutMs)) {
      std::printf("client_bench: FAILED, the client's browser was left running\n");
      return false;
    }
    return ended;
  }

 private:
  bool Step(const char* what, const std::function<bool()>& step) {
    failure_.clear();
    if (step()) return true;
    std::printf("client_bench: FAILED to %s: %s\n", what, failure_.c_str());
    return false;
  }
  bool Fail(const std::string& why) {
    failure_ = why;
    return false;
  }

  bool StartToLogin(Figures& f) {
    const double start = bench::Seconds();
    if (!process_.Start(folder_)) return Fail("Tarnwick.exe did not start");
    if (!PollUntil([&] { return folder_.CacheMade() || !process_.Running(); }, kStartTimeoutMs) ||
        !process_.Running()) {
      return Fail("the client never made its browser's cache folder");
    }
    f.running = bench::Seconds() - start;
    if (!PollUntil([&] { return process_.Window(L"Game_start") || !process_.Running(); },
                   kStartTimeoutMs) ||
        !process_.Running()) {
      return Fail("the start window never showed");
    }
    f.startShown = bench::Seconds() - start;
    if (!PollUntil([&] { return server_.Requests(kLoginPath) > 0 || !process_.Running(); },
                   kStartTimeoutMs) ||
        !process_.Running()) {
      return Fail("the login page was never asked for");
    }
    f.loginAsked = bench::Seconds() - start;
    // Made visible and hidden again at once; shown for good once its page has loaded.
    HWND login = nullptr;
    if (!PollUntil(
            [&] {
              login = process_.Window(L"Game_login");
              RECT view{};
              return login && GetWindowRect(BrowserView(login), &view) && view.right > view.left;
            },
            kStartTimeoutMs)) {
      return Fail("the login window never showed");
    }
    f.loginShown = bench::Seconds() - start;
    if (!WaitForColour(login, kLoginColour, kStartTimeoutMs)) {
      return Fail("the login page was never drawn");
    }
    f.loginDrawn = bench::Seconds() - start;
    f.loginBytes = process_.CommittedBytes();
    loginView_ = BrowserView(login);
    return true;
  }

  bool HandOver(Figures& f) {
    const double clicked = bench::Seconds();
    ClickPage(loginView_);
    HWND game = nullptr;
    if (!PollUntil([&] { return (game = process_.Window(L"Game_client")) != nullptr; },
                   kStepTimeoutMs)) {
      return Fail("no game window showed");
    }
    const double shownMs = bench::UnixMs();
    if (!WaitForColour(game, kGameColour, kStepTimeoutMs)) {
      return Fail("the game was never drawn in its window");
    }
    const double drawnMs = bench::UnixMs();
    f.clickToGame = bench::Seconds() - clicked;
    const double stepped = ReportedStamp(server_, "handover");
    if (stepped > 0) f.handOver = (drawnMs - stepped) / 1000;
    gameView_ = BrowserView(game);
    RECT view{};
    GetClientRect(gameView_, &view);
    f.gameView = {view.right, view.bottom};
    double loaded = -1;
    if (!PollUntil([&] { return (loaded = ReportedStamp(server_, "game-loaded")) > 0; },
                   kStepTimeoutMs)) {
      return Fail("the game page never reported its load");
    }
    if (stepped > 0) {
      f.gameShown = (shownMs - stepped) / 1000;
      f.gameLoaded = (loaded - stepped) / 1000;
    }
    f.bothBytes = process_.CommittedBytes();
    return true;
  }

  // Each toast is timed once the one before has gone, so that each is a window of its own.
  bool Toasts(Figures& f) {
    for (int i = 0; i < kToasts; ++i) {
      if (!Toast(i, f)) return false;
      if (!PollUntil([&] { return !process_.Window(L"Toast"); }, kStepTimeoutMs)) {
        return Fail("the toast never closed");
      }
    }
    return true;
  }

  bool Toast(int index, Figures& f) {
    ClickPage(gameView_);
    HWND toast = nullptr;
    COLORREF seen = CLR_INVALID;
    const bool shown = PollUntil(
        [&] {
          toast = process_.Window(L"Toast");
          if (!toast) return false;
          RECT r{};
          GetWindowRect(toast, &r);
          seen = ScreenPixel({r.left + 10, (r.top + r.bottom) / 2});
          return Near(seen, kToastColour);
        },
        kStepTimeoutMs);
    const double drawnMs = bench::UnixMs();
    if (!shown) {
      char colour[80];
      std::snprintf(colour, sizeof(colour), "%s, its card showing #%06lx",
                    toast ? "the toast's window showed" : "no toast window showed",
                    static_cast<unsigned long>(seen));
      return Fail(colour);
    }
    std::vector<double> called;
    if (!PollUntil(
            [&] {
              called = ReportedStamps(server_, "toast");
              return called.size() > static_cast<size_t>(index);
            },
            kStepTimeoutMs)) {
      return Fail("the page's call was never answered");
    }
    f.toasts.push_back((drawnMs - called[index]) / 1000);
    return true;
  }

  // Waits for the middle of the window's page to show the colour on the screen.
  bool WaitForColour(HWND window, COLORREF colour, DWORD timeoutMs) {
    return PollUntil(
        [&] {
          HWND view = BrowserView(window);
          return view && IsWindowVisible(window) && Near(ScreenPixel(Centre(view)), colour);
        },
        timeoutMs);
  }

  HttpTestServer& server_;
  ClientFolder& folder_;
  ClientProcess process_;
  HWND loginView_ = nullptr;
  HWND gameView_ = nullptr;
  std::string failure_;
};

const char* Verdict(bool met) {
  return met ? "met" : "MISSED";
}

// The browser alone, the baselines: its start, once before the client and once after so
// that neither has the warmer caches, and, after, a new page at the game's size to its
// first frame showing the page.
struct Baseline {
  std::vector<double> launches;  // process start to the browser's port ready
  std::vector<double> starts;    // ... to its first page's load event
  double newPage = -1;
  double MeanStart() const {
    double sum = 0;
    for (double r : starts) sum += r;
    return starts.empty() ? -1 : sum / starts.size();
  }
};

uint32_t Rgb(COLORREF colour) {
  return (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
}

void MeasureBrowserAlone(const std::wstring& browser, HttpTestServer& server, SIZE page,
                         Baseline& b) {
  bench::PlainBrowser plain;
  const double seconds = plain.Open(browser, server.Url("/plain-first"));
  if (seconds < 0) return;
  b.starts.push_back(seconds);
  b.launches.push_back(plain.StartSeconds());
  if (page.cx > 0 && page.cy > 0) {
    b.newPage = plain.NewPageShowing(server.Url("/plain-game"), page.cx, page.cy, Rgb(kGameColour));
  }
}

void PrintStart(const Figures& f, const Baseline& alone) {
  std::printf(
      "start: process start to the client making its browser's cache folder %.3f s, to the "
      "start window shown %.3f s, to the login page asked for %.3f s, to the login window "
      "shown %.3f s, to the login page drawn in it %.3f s\n",
      f.running, f.startShown, f.loginAsked, f.loginShown, f.loginDrawn);
  if (alone.starts.empty()) {
    std::printf(
        "start: the browser alone to its first page's load event: not measured (the "
        "browser did not start over its port)\n");
    std::printf("start: what the client adds: not measured (no baseline)\n");
    return;
  }
  std::printf("start: the browser alone to its first page's load event %.3f s (runs:",
              alone.MeanStart());
  for (double r : alone.starts) std::printf(" %.3f", r);
  std::printf("; its port ready after");
  for (double r : alone.launches) std::printf(" %.3f", r);
  std::printf(" s)\n");
  const double added = f.loginDrawn - alone.MeanStart();
  std::printf("start: the client adds %.3f s (ratio %.2f; target at most %.1f s: %s)\n", added,
              f.loginDrawn / alone.MeanStart(), kAddedStartTarget,
              Verdict(added <= kAddedStartTarget));
}

void Print(const Figures& f, const Baseline& alone) {
  PrintStart(f, alone);
  if (f.handOver < 0) {
    std::printf(
        "hand-over: the page's step to the game drawn: not measured (the page's "
        "stamp never arrived)\n");
  } else {
    std::printf(
        "hand-over: the page's step to the game to the game drawn in its window "
        "%.3f s (target under %.1f s: %s)\n",
        f.handOver, kHandOverTarget, Verdict(f.handOver < kHandOverTarget));
  }
  std::printf("hand-over: the click on the login page to the game drawn %.3f s\n", f.clickToGame);
  if (alone.newPage < 0) {
    std::printf(
        "hand-over: the browser alone, a new page to its first frame showing it: not "
        "measured (the browser did not show the page in time)\n");
  } else {
    std::printf(
        "hand-over: the browser alone, a new %ld x %ld page to its first frame showing "
        "it %.3f s; the client's hand-over takes %.2f times that\n",
        f.gameView.cx, f.gameView.cy, alone.newPage,
        f.handOver > 0 ? f.handOver / alone.newPage : 0.0);
  }
  std::printf(
      "hand-over: from the page's step, the game window shown after %.3f s, the game "
      "page's load event after %.3f s\n",
      f.gameShown, f.gameLoaded);
  const double own = test_memory::CommittedPrivateBytes() / 1048576.0;
  const double login = f.loginBytes / 1048576.0;
  const double both = f.bothBytes / 1048576.0;
  std::printf(
      "memory: the client's committed private bytes with the login window %.1f MB, "
      "with the login and the game window %.1f MB (no target set)\n",
      login, both);
  std::printf(
      "memory: the game window adds %.1f MB; the client with both is %.2f times the "
      "bench process's own %.1f MB\n",
      both - login, own > 0 ? both / own : 0.0, own);
  // The process's first toast builds its window's layout and text engine; later ones
  // are timed apart from it.
  const double first = f.toasts.front();
  std::vector<double> later(f.toasts.begin() + 1, f.toasts.end());
  std::sort(later.begin(), later.end());
  const double median = later[later.size() / 2];
  std::printf(
      "toast: the page's call to the toast drawn on the screen: the first %.1f ms (target "
      "under %.0f ms: %s)\n",
      first * 1000, kToastTarget * 1000, Verdict(first < kToastTarget));
  std::printf("toast: later ones, median of %zu: %.1f ms (each:", later.size(), median * 1000);
  for (size_t i = 1; i < f.toasts.size(); ++i) std::printf(" %.1f", f.toasts[i] * 1000);
  std::printf("; target under %.0f ms: %s)\n", kToastTarget * 1000, Verdict(median < kToastTarget));
}

}  // namespace

int main() {
  const std::wstring browser = engine::BrowserProcess::ConfiguredBrowser(TARNWICK_ENGINE_INI);
  if (browser.empty()) {
    std::printf("client_bench: skipped, no browser is named in build/bin/cef/engine.ini\n");
    return 0;
  }
  HttpTestServer server;
  server.Set("/plain-first", {200, Page(kLoginColour, ""), ""});
  server.Set(kLoginPath, {200, LoginPage(), ""});
  server.Set(kGamePath, {200, GamePage(), ""});
  server.Set("/plain-game", {200, Page(kGameColour, ""), ""});
  Baseline alone;
  MeasureBrowserAlone(browser, server, SIZE{}, alone);
  ClientFolder folder;
  if (!folder.Make(browser, server.Port())) {
    std::printf("client_bench: FAILED, the client's folder could not be laid out\n");
    return 1;
  }
  Figures figures;
  bool ok = true;
  {
    ClientRun run(server, folder);
    ok = run.Measure(figures);
    ok = run.End() && ok;
  }
  if (!ok) return 1;
  MeasureBrowserAlone(browser, server, figures.gameView, alone);
  Print(figures, alone);
  return 0;
}

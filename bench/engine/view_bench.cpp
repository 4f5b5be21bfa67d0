// A page in the engine's child window over a real browser: for a page that animates a canvas
// at 60 frames a second in a 1280 x 720 window, the frames received from the browser and
// painted in the window each second, the time from CreateBrowser to the first frame painted,
// the latency of a click from the window to the page's handler, and the client's memory with
// one browser beside none.

#include <windows.h>
// After windows.h, which it needs.
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <vector>

#include "baseline_decoder.h"
#include "common/bench_timing.h"
#include "common/busy_load.h"
#include "common/committed_memory.h"
#include "common/plain_browser.h"
#include "engine/cef/cef_app.h"
#include "engine/core/browser_impl.h"
#include "engine/core/engine_core.h"
#include "engine/devtools/devtools_backend.h"
#include "engine/http_test_server.h"
#include "engine/parent_window.h"
#include "engine/process/browser_process.h"
#include "engine/recording_client.h"
#include "engine/transport/websocket_client.h"

using namespace engine_test;

namespace {

constexpr int kWidth = 1280;
constexpr int kHeight = 720;
constexpr double kWarmUpSeconds = 2;
constexpr double kMeasureSeconds = 10;
constexpr int kClicks = 200;
constexpr size_t kKeptFrames = 120;

// Green behind a moving square: the first frame of the page is known by its green.
const char kCanvasPage[] =
    "<html><body style='margin:0;overflow:hidden;background:#0a0'>"
    "<canvas id=c width=1280 height=720 style='display:block'></canvas><script>"
    "const g = document.getElementById('c').getContext('2d'); let n = 0;"
    "function frame() {"
    " g.fillStyle = '#0a0'; g.fillRect(0, 0, 1280, 720);"
    " g.fillStyle = 'hsl(' + (n * 3 % 360) + ',80%,50%)';"
    " g.fillRect(100 + (n * 7) % 1000, 300 + Math.sin(n / 20) * 150, 120, 120);"
    " ++n; requestAnimationFrame(frame); }"
    "requestAnimationFrame(frame);"
    "let clicks = 0;"
    "addEventListener('mousedown', () => {"
    " const at = performance.timeOrigin + performance.now();"
    " document.title = 'click ' + (++clicks) + ' ' + at.toFixed(3); });"
    "</script></body></html>";

const char* Verdict(bool met) {
  return met ? "met" : "MISSED";
}

// A message loop as a client's: it sleeps until a message comes (the test helpers' waits
// poll, which would count as the client's CPU time).
void Pump(double seconds) {
  const double end = bench::Seconds() + seconds;
  for (double left = seconds; left > 0; left = end - bench::Seconds()) {
    MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(left * 1000) + 1, QS_ALLINPUT,
                                MWMO_INPUTAVAILABLE);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
}

struct Memory {
  double privateMb = 0;     // the system's private bytes (Wine reports 0)
  double workingSetMb = 0;  // the system's working set (Wine reports 0)
  double committedMb = 0;   // committed private memory summed over the address space
};

Memory ClientMemory() {
  Memory m;
  PROCESS_MEMORY_COUNTERS_EX counters = {};
  counters.cb = sizeof(counters);
  if (GetProcessMemoryInfo(GetCurrentProcess(),
                           reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                           sizeof(counters))) {
    m.privateMb = counters.PrivateUsage / 1048576.0;
    m.workingSetMb = counters.WorkingSetSize / 1048576.0;
  }
  m.committedMb = test_memory::CommittedPrivateBytes() / 1048576.0;
  return m;
}

struct Figures {
  double firstPainted = -1;  // CreateBrowser to the first frame painted, seconds
  double firstPage = -1;     // ... to the first painted frame that shows the page
  double loadEnd = -1;       // ... to the page's load end
  double receivedPerSecond = -1;
  double paintedPerSecond = -1;
  double cpuPerPaintedMs = -1;      // the process's CPU time over the counted frames
  std::vector<double> oneWayMs;     // click posted to the page's handler
  std::vector<double> roundTripMs;  // click posted to the handler's report back
  int outOfOrder = 0;               // handler times outside their round trip
  Memory none;
  Memory one;
};

bool ShowsPageGreen(HWND window) {
  HDC dc = GetDC(window);
  const COLORREF c = GetPixel(dc, 8, 8);
  ReleaseDC(window, dc);
  return GetRValue(c) < 40 && GetGValue(c) > 130 && GetBValue(c) < 40;
}

// Waits, polling every millisecond, for the browser's first painted frame and then for the
// first that shows the page.
void TimeFirstFrames(engine::BrowserImpl& browser, HWND view, double start, EventLog& log,
                     Figures& f) {
  const double deadline = start + 30;
  while (bench::Seconds() < deadline && (f.firstPage < 0 || f.loadEnd < 0)) {
    const double now = bench::Seconds();
    if (f.firstPainted < 0 && browser.Surface().FramesPainted() > 0) f.firstPainted = now - start;
    if (f.firstPainted >= 0 && f.firstPage < 0 && ShowsPageGreen(view)) f.firstPage = now - start;
    if (f.loadEnd < 0 && log.Count("OnLoadEnd") > 0) f.loadEnd = now - start;
    WaitFor([] { return false; }, 1);
  }
}

void CountFrames(engine::BrowserImpl& browser, Figures& f) {
  Pump(kWarmUpSeconds);
  engine::ViewSurface& surface = browser.Surface();
  const int64_t received = surface.FramesReceived();
  const int64_t painted = surface.FramesPainted();
  const double cpu = bench::ProcessCpuSeconds();
  const double start = bench::Seconds();
  Pump(kMeasureSeconds);
  const double seconds = bench::Seconds() - start;
  const double cpuSeconds = bench::ProcessCpuSeconds() - cpu;
  const int64_t paintedFrames = surface.FramesPainted() - painted;
  f.receivedPerSecond = (surface.FramesReceived() - received) / seconds;
  f.paintedPerSecond = paintedFrames / seconds;
  if (cpu >= 0 && paintedFrames > 0) f.cpuPerPaintedMs = cpuSeconds * 1000 / paintedFrames;
}

// Each click is posted alone and waited for: the page stamps its mousedown handler's time on
// the real-time clock, which this process reads too, and reports it in its title.
void TimeClicks(HWND view, EventLog& log, Figures& f) {
  for (int i = 1; i <= kClicks; ++i) {
    const std::string prefix = "click " + std::to_string(i) + " ";
    const LPARAM at = MAKELPARAM(200 + i % 50, 200 + i % 40);
    const double postedMs = bench::UnixMs();
    const double posted = bench::Seconds();
    PostMessageW(view, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(view, WM_LBUTTONUP, 0, at);
    std::string title;
    const bool seen = WaitFor(
        [&] {
          auto titles = log.Named("OnTitleChange");
          if (titles.empty() || titles.back().detail.rfind(prefix, 0) != 0) return false;
          title = titles.back().detail;
          return true;
        },
        10000);
    if (!seen) break;
    const double roundTrip = (bench::Seconds() - posted) * 1000;
    const double handledMs = std::atof(title.c_str() + prefix.size());
    const double oneWay = handledMs - postedMs;
    if (oneWay < -1 || oneWay > roundTrip + 1) ++f.outOfOrder;
    f.oneWayMs.push_back(oneWay);
    f.roundTripMs.push_back(roundTrip);
    Pump(0.02 + (i % 7) * 0.005);  // clicks at no fixed phase to the page's frames
  }
}

bool Measure(Figures& f, HttpTestServer& server) {
  EventLog log;
  CefRefPtr<RecordingApp> app = new RecordingApp(log, {});
  CefRefPtr<RecordingClient> client = new RecordingClient(log);
  if (!CefInitialize(CefMainArgs(), ZeroSettings(), app.get(), nullptr)) return false;
  ParentWindow parent(kWidth, kHeight);
  Pump(2);
  f.none = ClientMemory();
  CefWindowInfo info;
  info.SetAsChild(parent.Get(), CefRect(0, 0, kWidth, kHeight));
  const double start = bench::Seconds();
  CefBrowserHost::CreateBrowser(info, client.get(), server.Url("/canvas"), CefBrowserSettings(),
                                nullptr, nullptr);
  CefRefPtr<engine::BrowserImpl> browser;
  WaitFor(
      [&] {
        auto core = engine::EngineCore::Get();
        auto all = core ? core->Browsers() : std::vector<CefRefPtr<engine::BrowserImpl>>();
        if (!all.empty()) browser = all.front();
        return browser != nullptr;
      },
      20000);
  HWND view = browser ? browser->GetWindowHandle() : nullptr;
  if (view) {
    TimeFirstFrames(*browser, view, start, log, f);
    CountFrames(*browser, f);
    f.one = ClientMemory();
    TimeClicks(view, log, f);
  }
  browser = nullptr;
  CefShutdown();
  return view != nullptr;
}

struct BareFigures {
  double perSecond = -1;
  std::string why;                  // why there is no figure
  std::vector<std::string> frames;  // the first frames' base64 JPEG data
};

// The baseline: the same page and size on a browser of its own, driven straight over the
// protocol by a client that decodes nothing and acknowledges each frame at once. What it
// receives is as many frames as the browser makes on this machine now. It keeps its first
// frames for the decoders to be timed on.
BareFigures BrowserFramesPerSecond(const std::wstring& browser, HttpTestServer& server) {
  BareFigures bare;
  engine::BrowserProcess process;
  if (!process.Launch(browser, engine::StartOptions(), 30000, engine::ControlChannel::kPort)) {
    bare.why = "the browser did not start";
    return bare;
  }
  engine::WebSocketClient socket;
  std::mutex lock;
  std::condition_variable answered;
  std::vector<std::string> answers;
  std::string session;
  std::atomic<int> frames{0};
  auto onMessage = [&](std::string&& text) {
    std::unique_lock<std::mutex> hold(lock);
    if (text.find("\"Page.screencastFrame\"") != std::string::npos) {
      ++frames;
      if (bare.frames.size() < kKeptFrames)
        bare.frames.push_back(bench::MessageField(text, "data"));
      socket.Send(R"({"id":9,"method":"Page.screencastFrameAck","params":{"sessionId":)" +
                  bench::ScreencastFrameNumber(text) + R"(},"sessionId":")" + session + "\"}");
    } else if (text.rfind("{\"id\":", 0) == 0) {
      answers.push_back(text);
      answered.notify_all();
    }
  };
  // The value of `key` in the answer to the command with the given id.
  auto await = [&](int id, const std::string& key) {
    const std::string head = "{\"id\":" + std::to_string(id) + ",";
    const std::string field = "\"" + key + "\":\"";
    std::string value;
    std::unique_lock<std::mutex> hold(lock);
    answered.wait_for(hold, std::chrono::seconds(20), [&] {
      for (const std::string& a : answers) {
        const size_t at = a.find(field);
        if (a.rfind(head, 0) == 0 && at != std::string::npos) {
          value = a.substr(at + field.size(), a.find('"', at + field.size()) - at - field.size());
          return true;
        }
      }
      return false;
    });
    return value;
  };
  if (!socket.Connect("127.0.0.1", process.Port(), process.BrowserPath(), onMessage, [] {})) {
    bare.why = "no connection to the browser";
    return bare;
  }
  socket.Send(R"({"id":1,"method":"Target.createTarget","params":{"newWindow":true,"url":")" +
              server.Url("/canvas") + "\"}}");
  const std::string target = await(1, "targetId");
  socket.Send(R"({"id":2,"method":"Target.attachToTarget","params":{"flatten":true,"targetId":")" +
              target + "\"}}");
  const std::string id = await(2, "sessionId");
  if (id.empty()) {
    bare.why = "the browser opened no page";
    return bare;
  }
  {
    std::lock_guard<std::mutex> hold(lock);
    session = id;
  }
  socket.Send(R"({"id":3,"method":"Emulation.setDeviceMetricsOverride","params":{"width":1280,)"
              R"("height":720,"deviceScaleFactor":1,"mobile":false},"sessionId":")" +
              id + "\"}");
  socket.Send(R"({"id":4,"method":"Page.startScreencast","params":{"format":"jpeg","quality":80,)"
              R"("maxWidth":1280,"maxHeight":720},"sessionId":")" +
              id + "\"}");
  Sleep(static_cast<DWORD>(kWarmUpSeconds * 1000));
  const int before = frames;
  const double start = bench::Seconds();
  Sleep(static_cast<DWORD>(kMeasureSeconds * 1000));
  const double perSecond = (frames - before) / (bench::Seconds() - start);
  socket.Close();
  process.Stop();
  std::lock_guard<std::mutex> hold(lock);
  if (frames == 0) {
    bare.why = "the browser sent no frames";
  } else {
    bare.perSecond = perSecond;
  }
  return bare;
}

// The CPU time of today's decoding of one frame, without the engine around it, in ms.
double BaselineDecodeMs(const std::vector<std::string>& frames) {
  std::vector<uint32_t> pixels;
  int width = 0;
  int height = 0;
  int decoded = 0;
  const double start = bench::ThreadCpuSeconds();
  for (const std::string& frame : frames) {
    if (baseline::DecodeFrame(frame, pixels, width, height)) ++decoded;
  }
  const double cpu = bench::ThreadCpuSeconds() - start;
  return decoded > 0 && start >= 0 ? cpu * 1000 / decoded : -1;
}

void PrintMemory(const char* label, const Memory& m) {
  std::printf(
      "memory: client process %s: private bytes %.1f MB, working set %.1f MB, "
      "committed private %.1f MB\n",
      label, m.privateMb, m.workingSetMb, m.committedMb);
}

void Print(const Figures& f, const BareFigures& bare) {
  std::printf(
      "frames: received from the browser %.1f/s, painted in the window %.1f/s "
      "(target at least 30 painted/s: %s)\n",
      f.receivedPerSecond, f.paintedPerSecond, Verdict(f.paintedPerSecond >= 30));
  if (bare.perSecond > 0) {
    std::printf(
        "frames: the browser alone sends %.1f/s to a client that only acknowledges "
        "them; the engine receives %.2f of that\n",
        bare.perSecond, f.receivedPerSecond / bare.perSecond);
  } else {
    std::printf("frames: the browser alone: not measured (%s)\n", bare.why.c_str());
  }
  const double ratio = f.receivedPerSecond > 0 ? f.paintedPerSecond / f.receivedPerSecond : 0;
  std::printf("frames: painted / received %.3f (target at least 0.95: %s)\n", ratio,
              Verdict(ratio >= 0.95));
  std::printf(
      "first frame: CreateBrowser to the first frame painted %.3f s; to the first "
      "painted frame showing the page %.3f s (target under 1.5 s: %s)\n",
      f.firstPainted, f.firstPage, Verdict(f.firstPage >= 0 && f.firstPage < 1.5));
  std::printf(
      "first frame: the page's load end came %.3f s after CreateBrowser; first page "
      "frame / load end %.2f\n",
      f.loadEnd, f.loadEnd > 0 ? f.firstPage / f.loadEnd : 0.0);
  const double median = bench::Percentile(f.oneWayMs, 0.5);
  std::printf(
      "click: posted to the window to the page's mousedown handler over %zu clicks: "
      "median %.1f ms, 99th percentile %.1f ms (target median under 30 ms: %s)\n",
      f.oneWayMs.size(), median, bench::Percentile(f.oneWayMs, 0.99),
      Verdict(f.oneWayMs.size() == static_cast<size_t>(kClicks) && median < 30));
  std::printf(
      "click: round trip to the page's report back: median %.1f ms, 99th percentile "
      "%.1f ms; handler times outside their round trip: %d\n",
      bench::Percentile(f.roundTripMs, 0.5), bench::Percentile(f.roundTripMs, 0.99), f.outOfOrder);
  PrintMemory("with no browser", f.none);
  PrintMemory("with one browser", f.one);
  std::printf(
      "memory: one browser adds %.1f MB committed private (ratio %.2f to none; no "
      "target set)\n",
      f.one.committedMb - f.none.committedMb,
      f.none.committedMb > 0 ? f.one.committedMb / f.none.committedMb : 0.0);
}

// The client's CPU per painted frame beside today's decoder alone on the browser's frames.
void PrintFrameCost(const Figures& f, const BareFigures& bare) {
  const double baselineMs = BaselineDecodeMs(bare.frames);
  std::printf(
      "frame cost: the client's CPU time per painted frame at %dx%d %.2f ms "
      "(target at most 4 ms: %s)\n",
      kWidth, kHeight, f.cpuPerPaintedMs, Verdict(f.cpuPerPaintedMs > 0 && f.cpuPerPaintedMs <= 4));
  if (baselineMs > 0) {
    std::printf(
        "frame cost: today's decoder alone on %zu of the browser's frames %.2f ms CPU per "
        "frame; client / that %.2f\n",
        bare.frames.size(), baselineMs, f.cpuPerPaintedMs / baselineMs);
  } else {
    std::printf("frame cost: today's decoder alone: not measured (%s)\n",
                bare.frames.empty() ? bare.why.c_str() : "no frame decoded");
  }
}

// With two threads of another process spinning: the client's frames beside the browser
// alone's, and clicks, in the same conditions.
void MeasureUnderLoad(const std::wstring& browser, HttpTestServer& server) {
  bench::BusyLoad load;
  if (!load.Start(2)) {
    std::printf("under load: not measured (the busy process did not start)\n");
    return;
  }
  engine::UseBackend(std::make_shared<engine::DevToolsBackend>(browser));
  Figures f;
  const bool measured = Measure(f, server);
  engine::UseBackend(nullptr);
  const BareFigures bare = BrowserFramesPerSecond(browser, server);
  load.Stop();
  if (!measured) {
    std::printf("under load: no figures, the browser's window did not appear\n");
    return;
  }
  std::printf("under load: two busy threads of another process\n");
  if (bare.perSecond > 0) {
    const double ratio = f.paintedPerSecond / bare.perSecond;
    std::printf(
        "under load: frames painted %.1f/s; the browser alone sends %.1f/s; ratio %.2f "
        "(target at least 0.9: %s)\n",
        f.paintedPerSecond, bare.perSecond, ratio, Verdict(ratio >= 0.9));
  } else {
    std::printf("under load: frames painted %.1f/s; the browser alone: not measured (%s)\n",
                f.paintedPerSecond, bare.why.c_str());
  }
  const double p99 = bench::Percentile(f.oneWayMs, 0.99);
  std::printf(
      "under load: click posted to the page's handler over %zu clicks: median %.1f ms, 99th "
      "percentile %.1f ms (target 99th percentile at most 30 ms: %s)\n",
      f.oneWayMs.size(), bench::Percentile(f.oneWayMs, 0.5), p99,
      Verdict(f.oneWayMs.size() == static_cast<size_t>(kClicks) && p99 <= 30));
  std::printf("under load: the client's CPU time per painted frame %.2f ms\n", f.cpuPerPaintedMs);
}

bool MeasureOver(const std::wstring& browser, HttpTestServer& server,
                 engine::ControlChannel channel, Figures& f) {
  engine::UseBackend(
      std::make_shared<engine::DevToolsBackend>(browser, std::vector<std::wstring>{}, channel));
  const bool measured = Measure(f, server);
  engine::UseBackend(nullptr);
  return measured;
}

}  // namespace

int main(int argc, char** argv) {
  if (bench::RunBusyCopyIfAsked(argc, argv)) return 0;
  const std::wstring browser = engine::BrowserProcess::ConfiguredBrowser(TARNWICK_ENGINE_INI);
  if (browser.empty()) {
    std::printf("view_bench: skipped, no browser is named in build/bin/cef/engine.ini\n");
    return 0;
  }
  HttpTestServer server;
  server.Set("/canvas", {200, kCanvasPage, ""});
  engine::UseBackend(std::make_shared<engine::DevToolsBackend>(browser));
  Figures figures;
  const bool measured = Measure(figures, server);
  engine::UseBackend(nullptr);
  if (!measured) {
    std::printf("view_bench: no figures, the browser's window did not appear\n");
    return 1;
  }
  const BareFigures bare = BrowserFramesPerSecond(browser, server);
  Print(figures, bare);
  PrintFrameCost(figures, bare);
  // The same over the fallback channel, the browser's WebSocket port, in this run. The first
  // page measured in a run gets fewer frames from the browser whichever channel it is on, so
  // the port is set beside a second run over the pipe made after it.
  Figures overPort;
  Figures again;
  if (!MeasureOver(browser, server, engine::ControlChannel::kPort, overPort) ||
      !MeasureOver(browser, server, engine::ControlChannel::kPipe, again)) {
    std::printf("frames over the port: no figures, the browser's window did not appear\n");
  } else {
    std::printf(
        "frames: painted %.1f/s over the pipe (first run %.1f/s), %.1f/s over the port; ratio "
        "%.2f (target the pipe at least as fast: %s)\n",
        again.paintedPerSecond, figures.paintedPerSecond, overPort.paintedPerSecond,
        overPort.paintedPerSecond > 0 ? again.paintedPerSecond / overPort.paintedPerSecond : 0.0,
        Verdict(again.paintedPerSecond >= overPort.paintedPerSecond));
  }
  MeasureUnderLoad(browser, server);
  return 0;
}

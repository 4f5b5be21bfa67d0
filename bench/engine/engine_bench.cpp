// The engine layer over a real browser: what the layer adds to the browser's start-up, the
// round trip of a native function called from a page, and the cost of a navigation that the
// handler approves beside the same navigation without interception.

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "common/bench_timing.h"
#include "common/plain_browser.h"
#include "engine/cef/cef_app.h"
#include "engine/core/engine_core.h"
#include "engine/devtools/devtools_backend.h"
#include "engine/http_test_server.h"
#include "engine/process/browser_process.h"
#include "engine/recording_client.h"

using namespace engine_test;

namespace {

constexpr int kNativeCalls = 1000;
constexpr int kNavigations = 20;

const char kHost[] =
    "var Host = {};\n"
    "(() => { Host.echo = (n) => { native function echo(n); return echo(n); }; })();\n";

std::string NativeLoopPage() {
  return "<html><script>"
         "const times = []; let sum = 0;"
         "for (let i = 0; i < " +
         std::to_string(kNativeCalls) +
         "; ++i) { const t = performance.now(); sum += Host.echo(i);"
         " times.push(performance.now() - t); }"
         "times.sort((a, b) => a - b);"
         "document.title = 'calls:' + times[Math.floor(times.length / 2)].toFixed(3) + ',' +"
         " times[Math.floor(times.length * 0.99)].toFixed(3) + ',' + sum;"
         "</script></html>";
}

std::string LastTitle(EventLog& log) {
  auto titles = log.Named("OnTitleChange");
  return titles.empty() ? std::string() : titles.back().detail;
}

// A figure, or why it could not be measured.
struct Figure {
  double value = -1;
  std::string why = "not run";
  bool Measured() const { return value >= 0; }
};

Figure Measured(double value) {
  return {value, std::string()};
}

Figure NotMeasured(const std::string& why) {
  return {-1, why};
}

// The browser alone: process start to its DevTools port being ready.
Figure BrowserStartup(const std::wstring& browser) {
  engine::BrowserProcess process;
  const double start = bench::Seconds();
  if (!process.Launch(browser, engine::StartOptions(), 30000, engine::ControlChannel::kPort)) {
    return NotMeasured("the browser did not start: " + process.Error());
  }
  const double seconds = bench::Seconds() - start;
  process.Stop();
  return Measured(seconds);
}

struct PlainFigures {
  Figure firstPage;   // process start to the first page's load event
  Figure navigation;  // seconds per navigation
};

// The browser driven straight over the protocol, with no interception: its first page, then
// pages loaded one after another.
PlainFigures PlainRun(const std::wstring& browser, HttpTestServer& server) {
  PlainFigures figures;
  bench::PlainBrowser plain;
  const double firstPage = plain.Open(browser, server.Url("/plain-first"));
  if (firstPage < 0) {
    figures.firstPage = figures.navigation =
        NotMeasured("the browser alone did not load its first page in time");
    return figures;
  }
  figures.firstPage = Measured(firstPage);
  double total = 0;
  for (int i = 0; i < kNavigations; ++i) {
    const double seconds = plain.Navigate(server.Url("/plain" + std::to_string(i)));
    if (seconds < 0) {
      figures.navigation = NotMeasured("a navigation of the browser alone did not load in time");
      return figures;
    }
    total += seconds;
  }
  figures.navigation = Measured(total / kNavigations);
  return figures;
}

struct EngineFigures {
  Figure initToLoadEnd;
  Figure navigation;
  std::string calls;
};

EngineFigures EngineRun(const std::wstring& browser, HttpTestServer& server,
                        engine::ControlChannel channel) {
  EngineFigures figures;
  EventLog log;
  CefRefPtr<FunctionHandler> handler = new FunctionHandler();
  handler->Add("echo", [](const CefV8ValueList& a, CefRefPtr<CefV8Value>& r, CefString&) {
    r = a.empty() ? CefV8Value::CreateUndefined() : a[0];
    return true;
  });
  CefRefPtr<RecordingApp> app = new RecordingApp(log, {{"v8/host", kHost, handler.get()}});
  CefRefPtr<RecordingClient> client = new RecordingClient(log);
  client->cancelNavigation = [](const std::string&, bool) { return false; };
  engine::UseBackend(
      std::make_shared<engine::DevToolsBackend>(browser, std::vector<std::wstring>{}, channel));
  const double start = bench::Seconds();
  CefSettings settings = ZeroSettings();
  if (!CefInitialize(CefMainArgs(), settings, app.get(), nullptr)) {
    figures.initToLoadEnd = figures.navigation = NotMeasured("CefInitialize failed");
    return figures;
  }
  OpenTopLevelBrowser(client, server.Url("/first"));
  if (WaitFor([&] { return log.Count("OnLoadEnd") == 1; }, 30000)) {
    figures.initToLoadEnd = Measured(bench::Seconds() - start);
  } else {
    figures.initToLoadEnd = NotMeasured("the first page did not load in 30 s");
  }
  double total = 0;
  for (int i = 0; i < kNavigations && client->Browser(); ++i) {
    const size_t before = log.Count("OnLoadEnd");
    const double t = bench::Seconds();
    client->Browser()->GetMainFrame()->LoadURL(server.Url("/approved" + std::to_string(i)));
    if (!WaitFor([&] { return log.Count("OnLoadEnd") > before; }, 20000)) {
      figures.navigation = NotMeasured("a navigation did not load in 20 s");
      break;
    }
    total += bench::Seconds() - t;
    if (i == kNavigations - 1) figures.navigation = Measured(total / kNavigations);
  }
  if (client->Browser()) {
    client->Browser()->GetMainFrame()->LoadURL(server.Url("/calls"));
    WaitFor([&] { return LastTitle(log).rfind("calls:", 0) == 0; }, 60000);
    figures.calls = LastTitle(log);
  }
  CefShutdown();
  engine::UseBackend(nullptr);
  return figures;
}

const char* Verdict(bool met) {
  return met ? "met" : "MISSED";
}

void PrintSeconds(const char* what, const Figure& f) {
  if (f.Measured()) {
    std::printf("%s %.3f s\n", what, f.value);
  } else {
    std::printf("%s: not measured (%s)\n", what, f.why.c_str());
  }
}

// What a figure adds to its baseline, against a target; no difference without both.
void PrintAdded(const char* what, const Figure& f, const Figure& baseline, double target,
                const char* to) {
  if (!f.Measured() || !baseline.Measured()) {
    std::printf("%s: not measured (%s)\n", what,
                (f.Measured() ? "the baseline was not measured" : f.why.c_str()));
    return;
  }
  const double added = f.value - baseline.value;
  std::printf("%s %.3f s %s (target at most %.1f s: %s)\n", what, added, to, target,
              Verdict(added <= target));
}

}  // namespace

int main() {
  const std::wstring browser = engine::BrowserProcess::ConfiguredBrowser(TARNWICK_ENGINE_INI);
  if (browser.empty()) {
    std::printf("engine_bench: skipped, no browser is named in build/bin/cef/engine.ini\n");
    return 0;
  }
  HttpTestServer server;
  server.Set("/calls", {200, NativeLoopPage(), ""});

  const Figure own = BrowserStartup(browser);
  const EngineFigures engineFigures = EngineRun(browser, server, engine::ControlChannel::kPipe);
  const EngineFigures overPort = EngineRun(browser, server, engine::ControlChannel::kPort);
  const PlainFigures plain = PlainRun(browser, server);

  PrintSeconds("start-up: browser alone (process start to DevTools port)", own);
  PrintSeconds("start-up: CefInitialize to the first page's load end", engineFigures.initToLoadEnd);
  PrintSeconds(
      "start-up: the browser alone driven over the protocol to its first page's load event",
      plain.firstPage);
  PrintAdded("start-up: the layer and the first page add", engineFigures.initToLoadEnd, own, 0.5,
             "to the browser alone's start");
  PrintAdded("start-up: CefInitialize to the first page's load end adds",
             engineFigures.initToLoadEnd, plain.firstPage, 0.3,
             "to the browser alone's first page");
  double median = -1, p99 = -1;
  if (std::sscanf(engineFigures.calls.c_str(), "calls:%lf,%lf", &median, &p99) == 2) {
    std::printf(
        "native call round trip over %d calls: median %.3f ms, 99th percentile %.3f ms "
        "(target median at most 2 ms and 99th percentile at most 10 ms: %s)\n",
        kNativeCalls, median, p99, Verdict(median <= 2 && p99 <= 10));
  } else {
    std::printf("native call round trip: no figures (%s)\n", engineFigures.calls.c_str());
  }
  double portMedian = -1, portP99 = -1;
  if (std::sscanf(overPort.calls.c_str(), "calls:%lf,%lf", &portMedian, &portP99) == 2) {
    std::printf(
        "native call round trip over the port (the fallback): median %.3f ms, 99th percentile "
        "%.3f ms; pipe / port %.2f (target the pipe at least as fast: %s)\n",
        portMedian, portP99, portMedian > 0 ? median / portMedian : 0.0,
        Verdict(median > 0 && median <= portMedian));
  } else {
    std::printf("native call round trip over the port: no figures (%s)\n", overPort.calls.c_str());
  }
  if (engineFigures.navigation.Measured() && plain.navigation.Measured()) {
    std::printf(
        "navigation approved by the handler: %.1f ms; without interception: %.1f ms; "
        "ratio %.2f\n",
        engineFigures.navigation.value * 1000, plain.navigation.value * 1000,
        plain.navigation.value > 0 ? engineFigures.navigation.value / plain.navigation.value : 0.0);
  } else {
    PrintSeconds("navigation approved by the handler", engineFigures.navigation);
    PrintSeconds("navigation without interception", plain.navigation);
  }
  return 0;
}

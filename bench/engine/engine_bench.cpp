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
#include "engine/browser_process.h"
#include "engine/cef_app.h"
#include "engine/devtools_backend.h"
#include "engine/engine_core.h"
#include "engine/http_test_server.h"
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

// The browser alone: process start to its DevTools port being ready.
double BrowserStartup(const std::wstring& browser) {
  engine::BrowserProcess process;
  const double start = bench::Seconds();
  if (!process.Launch(browser, engine::StartOptions(), 30000, engine::ControlChannel::kPort))
    return -1;
  const double seconds = bench::Seconds() - start;
  process.Stop();
  return seconds;
}

struct PlainFigures {
  double firstPage = -1;   // process start to the first page's load event
  double navigation = -1;  // seconds per navigation
};

// The browser driven straight over the protocol, with no interception: its first page, then
// pages loaded one after another.
PlainFigures PlainRun(const std::wstring& browser, HttpTestServer& server) {
  PlainFigures figures;
  bench::PlainBrowser plain;
  figures.firstPage = plain.Open(browser, server.Url("/plain-first"));
  if (figures.firstPage < 0) return figures;
  double total = 0;
  for (int i = 0; i < kNavigations; ++i) {
    const double seconds = plain.Navigate(server.Url("/plain" + std::to_string(i)));
    if (seconds < 0) return figures;
    total += seconds;
  }
  figures.navigation = total / kNavigations;
  return figures;
}

struct EngineFigures {
  double initToLoadEnd = -1;
  double navigation = -1;
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
  if (!CefInitialize(CefMainArgs(), settings, app.get(), nullptr)) return figures;
  OpenTopLevelBrowser(client, server.Url("/first"));
  if (WaitFor([&] { return log.Count("OnLoadEnd") == 1; }, 30000)) {
    figures.initToLoadEnd = bench::Seconds() - start;
  }
  double total = 0;
  for (int i = 0; i < kNavigations && client->Browser(); ++i) {
    const size_t before = log.Count("OnLoadEnd");
    const double t = bench::Seconds();
    client->Browser()->GetMainFrame()->LoadURL(server.Url("/approved" + std::to_string(i)));
    if (!WaitFor([&] { return log.Count("OnLoadEnd") > before; }, 20000)) break;
    total += bench::Seconds() - t;
    if (i == kNavigations - 1) figures.navigation = total / kNavigations;
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

}  // namespace

int main() {
  const std::wstring browser = engine::BrowserProcess::ConfiguredBrowser(TARNWICK_ENGINE_INI);
  if (browser.empty()) {
    std::printf("engine_bench: skipped, no browser is named in build/bin/cef/engine.ini\n");
    return 0;
  }
  HttpTestServer server;
  server.Set("/calls", {200, NativeLoopPage(), ""});

  const double own = BrowserStartup(browser);
  const EngineFigures engineFigures = EngineRun(browser, server, engine::ControlChannel::kPipe);
  const EngineFigures overPort = EngineRun(browser, server, engine::ControlChannel::kPort);
  const PlainFigures plain = PlainRun(browser, server);

  std::printf("start-up: browser alone (process start to DevTools port) %.3f s\n", own);
  std::printf("start-up: CefInitialize to the first page's load end  %.3f s\n",
              engineFigures.initToLoadEnd);
  const double added = engineFigures.initToLoadEnd - own;
  std::printf("start-up: the layer and the first page add %.3f s (target at most 0.5 s: %s)\n",
              added, Verdict(own > 0 && engineFigures.initToLoadEnd > 0 && added <= 0.5));
  std::printf(
      "start-up: the browser alone to its first page's load event  %.3f s "
      "(the layer adds %.3f s to that)\n",
      plain.firstPage, engineFigures.initToLoadEnd - plain.firstPage);
  double median = -1, p99 = -1;
  if (std::sscanf(engineFigures.calls.c_str(), "calls:%lf,%lf", &median, &p99) == 2) {
    std::printf(
        "native call round trip over %d calls: median %.3f ms, 99th percentile %.3f ms "
        "(target median under 5 ms: %s)\n",
        kNativeCalls, median, p99, Verdict(median < 5));
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
  std::printf(
      "navigation approved by the handler: %.1f ms; without interception: %.1f ms; "
      "ratio %.2f\n",
      engineFigures.navigation * 1000, plain.navigation * 1000,
      plain.navigation > 0 ? engineFigures.navigation / plain.navigation : 0.0);
  return 0;
}

#pragma once

// What the end-to-end engine tests share: an engine started on the configured browser with
// a recording client and a local server, and a parent window for pages shown in windows.

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "engine/cef/cef_app.h"
#include "engine/core/browser_impl.h"
#include "engine/core/engine_core.h"
#include "engine/devtools/devtools_backend.h"
#include "engine/http_test_server.h"
#include "engine/parent_window.h"
#include "engine/process/browser_process.h"
#include "engine/recording_client.h"

namespace engine_test {

inline constexpr char kBridge[] =
    "var Host = {};\n"
    "(() => {\n"
    "  Host.twice = (n) => { native function twice(n); return twice(n); };\n"
    "  Host.fail = () => { native function fail(); return fail(); };\n"
    "  Host.size = (s) => { native function size(s); return size(s); };\n"
    "  Host.later = (f) => { native function later(f); return later(f); };\n"
    "  Host.same = (v) => { native function same(v); return same(v); };\n"
    "  Host.global = (name) => { native function global(name); return global(name); };\n"
    "})();\n";

inline std::wstring ConfiguredBrowser() {
  return engine::BrowserProcess::ConfiguredBrowser(TARNWICK_ENGINE_INI);
}

class DevToolsEngine : public ::testing::Test {
 protected:
  void SetUp() override {
    browser_ = ConfiguredBrowser();
    if (browser_.empty())
      GTEST_SKIP() << "no browser named in "
                   << "build/bin/cef/engine.ini";
    ASSERT_TRUE(server_.Started());
    handler_ = new FunctionHandler();
    handler_->Add("twice", [](const CefV8ValueList& a, CefRefPtr<CefV8Value>& r, CefString&) {
      r = CefV8Value::CreateInt(a.empty() ? -1 : a[0]->GetIntValue() * 2);
      return true;
    });
    handler_->Add("size", [](const CefV8ValueList& a, CefRefPtr<CefV8Value>& r, CefString&) {
      r = CefV8Value::CreateInt(a.empty() ? -1 : static_cast<int>(a[0]->GetStringValue().length()));
      return true;
    });
    // Keeps the page's function to call it later, as a bridge keeps page callbacks.
    handler_->Add("later", [this](const CefV8ValueList& a, CefRefPtr<CefV8Value>&, CefString&) {
      kept_ = a.empty() ? nullptr : a[0];
      keptContext_ = CefV8Context::GetCurrentContext();
      return true;
    });
    // Page values handed back: the page must find the very object it passed or named.
    handler_->Add("same", [](const CefV8ValueList& a, CefRefPtr<CefV8Value>& r, CefString&) {
      r = a.empty() ? nullptr : a[0];
      return true;
    });
    handler_->Add("global", [](const CefV8ValueList& a, CefRefPtr<CefV8Value>& r, CefString&) {
      CefRefPtr<CefV8Context> context = CefV8Context::GetCurrentContext();
      if (a.empty() || !context) return false;
      r = context->GetGlobal()->GetValue(a[0]->GetStringValue());
      return true;
    });
    handler_->Add("fail", [](const CefV8ValueList&, CefRefPtr<CefV8Value>&, CefString& e) {
      e = "Invalid arguments.";
      return false;
    });
    app_ = new RecordingApp(log_, {{"v8/host", kBridge, handler_.get()}});
    backend_ = std::make_shared<engine::DevToolsBackend>(browser_);
    engine::UseBackend(backend_);
    ASSERT_TRUE(CefInitialize(CefMainArgs(), ZeroSettings(), app_.get(), nullptr))
        << backend_->LastError();
    client_ = new RecordingClient(log_);
  }

  void TearDown() override {
    if (browser_.empty()) return;
    CefShutdown();
    engine::UseBackend(nullptr);
  }

  void Open(const std::string& url) { ASSERT_TRUE(OpenTopLevelBrowser(client_, url)); }

  bool WaitForLoadEnd(const std::string& detail) {
    const bool ended = WaitFor([&] {
      for (const Event& e : log_.Named("OnLoadEnd")) {
        if (e.detail == detail) return true;
      }
      return false;
    });
    if (!ended) {
      for (const Event& e : log_.All()) ADD_FAILURE() << e.what << " " << e.detail;
    }
    return ended;
  }

  std::string LastTitle() const {
    auto titles = log_.Named("OnTitleChange");
    return titles.empty() ? std::string() : titles.back().detail;
  }

  // Waits until the page's latest title matches.
  bool WaitForTitle(const std::function<bool(const std::string&)>& matches,
                    DWORD timeoutMs = 15000) {
    return WaitFor([&] { return !log_.Named("OnTitleChange").empty() && matches(LastTitle()); },
                   timeoutMs);
  }

  std::wstring browser_;
  HttpTestServer server_;
  EventLog log_;
  CefRefPtr<FunctionHandler> handler_;
  CefRefPtr<RecordingApp> app_;
  std::shared_ptr<engine::DevToolsBackend> backend_;
  CefRefPtr<RecordingClient> client_;
  CefRefPtr<CefV8Value> kept_;  // renderer thread
  CefRefPtr<CefV8Context> keptContext_;
};

struct Colour {
  int r, g, b;
};

// What the window shows at a point, read back from its surface on the screen.
inline Colour ShownAt(HWND window, int x, int y) {
  HDC dc = GetDC(window);
  const COLORREF c = GetPixel(dc, x, y);
  ReleaseDC(window, dc);
  return {GetRValue(c), GetGValue(c), GetBValue(c)};
}

// Posts a left click at a point of the window.
inline void PostClick(HWND window, int x, int y) {
  PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
  PostMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

inline bool Near(const Colour& a, const Colour& b) {
  const int tolerance = 48;  // the frames are JPEG
  return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
         std::abs(a.b - b.b) <= tolerance;
}

class DevToolsView : public DevToolsEngine {
 protected:
  HWND OpenChild(const std::string& url, int width, int height) {
    CefWindowInfo info;
    info.SetAsChild(parent_.Get(), CefRect(10, 10, width, height));
    if (!CefBrowserHost::CreateBrowser(info, client_.get(), url, CefBrowserSettings(), nullptr,
                                       nullptr) ||
        !WaitFor([&] { return client_->Browser() != nullptr; })) {
      return nullptr;
    }
    return client_->Browser()->GetHost()->GetWindowHandle();
  }

  // A 400 x 300 child window showing the page served at `path`, loaded and drawn.
  HWND OpenLoaded(const std::string& path, const char* page) {
    server_.Set(path, {200, page, ""});
    HWND view = OpenChild(server_.Url(path), 400, 300);
    if (!view || !WaitForLoadEnd(server_.Url(path) + "|200") ||
        !WaitFor([&] { return FramesPublished() > 0; }, 20000)) {
      return nullptr;
    }
    return view;
  }

  int64_t FramesPublished() {
    auto browser = engine::EngineCore::Get()->FindBrowser(client_->Browser()->GetIdentifier());
    return browser ? browser->Surface().FramesPublished() : -1;
  }

  ParentWindow parent_;
};

}  // namespace engine_test

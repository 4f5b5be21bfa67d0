// A browser's developer tools on a real browser: their own top-level window showing the
// inspector connected to the page, gone with CloseDevTools or with the browser.

#include <winsock2.h>

#include <set>

#include "engine/devtools_fixture.h"

using namespace engine_test;

namespace {

// Enough time for the inspector, a large web application, to load and connect under Wine
// on a loaded machine.
constexpr DWORD kInspectorMs = 60000;

// A page that changes every animation frame, so that its window keeps getting frames.
const char kChangingPage[] =
    "<html><body><script>let n = 0; (function step() {"
    " document.body.style.background = 'rgb(0,0,' + (n++ % 256) + ')';"
    " requestAnimationFrame(step); })();</script></body></html>";

CefWindowInfo ToolsWindowInfo() {
  CefWindowInfo info;
  info.window_name = "cef_devtools";
  info.style = WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
  info.x = info.y = static_cast<int>(CW_USEDEFAULT);
  info.width = 900;
  info.height = 700;
  return info;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

std::wstring TextOf(HWND window) {
  wchar_t text[64] = {};
  GetWindowTextW(window, text, 64);
  return text;
}

// How many distinct colours a grid of points over the window shows: a blank window shows one.
size_t ColoursShown(HWND window) {
  RECT client = {};
  GetClientRect(window, &client);
  std::set<COLORREF> colours;
  HDC dc = GetDC(window);
  for (int y = 4; y < client.bottom; y += client.bottom / 24 + 1) {
    for (int x = 4; x < client.right; x += client.right / 24 + 1)
      colours.insert(GetPixel(dc, x, y));
  }
  ReleaseDC(window, dc);
  return colours.size();
}

// Frames the window of the client's browser has shown.
int64_t FramesOf(CefRefPtr<RecordingClient> client) {
  auto browser = engine::EngineCore::Get()->FindBrowser(client->BrowserId());
  return browser ? browser->Surface().FramesPublished() : -1;
}

class DevToolsWindow : public DevToolsView {
 protected:
  void SetUp() override {
    DevToolsView::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    tools_ = new RecordingClient(toolsLog_);
  }

  // Opens the page's tools and waits for their window.
  HWND ShowTools() {
    client_->Browser()->GetHost()->ShowDevTools(ToolsWindowInfo(), tools_.get(),
                                                CefBrowserSettings(), CefPoint());
    if (!WaitFor([&] { return tools_->Browser() != nullptr; })) return nullptr;
    return tools_->Browser()->GetHost()->GetWindowHandle();
  }

  // The tools name the page they inspect in their title once they are connected to it, as
  // "DevTools - " and the page's address without its scheme.
  bool ToolsInspect(const std::string& url) {
    const std::string expected = "DevTools - " + url.substr(url.find("://") + 3);
    return WaitFor(
        [&] {
          for (const Event& e : toolsLog_.Named("OnTitleChange")) {
            if (e.detail == expected) return true;
          }
          return false;
        },
        kInspectorMs);
  }

  std::string ToolsTitles() const {
    std::string titles;
    for (const Event& e : toolsLog_.Named("OnTitleChange")) titles += "[" + e.detail + "] ";
    return titles;
  }

  // Outlive the browsers, which the engine closes when the test ends.
  EventLog toolsLog_;
  CefRefPtr<RecordingClient> tools_;
  EventLog otherLog_;
};

}  // namespace

// The tools are asked for before the page has a target of its own in the browser: they
// still connect to it once it has one.
TEST_F(DevToolsWindow, OpenInATopLevelWindowShowingTheInspector) {
  server_.Set("/inspected", {200, kChangingPage, ""});
  HWND view = OpenChild(server_.Url("/inspected"), 300, 200);
  ASSERT_NE(view, nullptr);
  HWND tools = ShowTools();
  ASSERT_NE(tools, nullptr);
  EXPECT_TRUE(IsWindowVisible(tools));
  EXPECT_EQ(GetParent(tools), nullptr);
  EXPECT_EQ(GetWindowLongW(tools, GWL_STYLE) & WS_CHILD, 0);
  EXPECT_EQ(ClassOf(tools), L"EngineBrowserWindow");
  EXPECT_EQ(TextOf(tools), L"cef_devtools");
  EXPECT_TRUE(client_->Browser()->GetHost()->HasDevTools());
  EXPECT_TRUE(ToolsInspect(server_.Url("/inspected"))) << ToolsTitles();
  // The inspector's panels, not a blank page, in the window's pixels.
  EXPECT_TRUE(WaitFor([&] { return FramesOf(tools_) > 0 && ColoursShown(tools) >= 4; }, 20000))
      << ColoursShown(tools) << " colours";
  // The page's own window keeps getting its frames while the tools inspect the page.
  const int64_t shown = FramesPublished();
  EXPECT_TRUE(WaitFor([&] { return FramesPublished() > shown + 3; }, 20000));
}

TEST_F(DevToolsWindow, CloseDevToolsClosesTheirWindowOnly) {
  HWND view = OpenChild(server_.Url("/page"), 300, 200);
  ASSERT_NE(view, nullptr);
  ASSERT_TRUE(WaitForLoadEnd(server_.Url("/page") + "|200"));
  HWND tools = ShowTools();
  ASSERT_NE(tools, nullptr);
  ASSERT_TRUE(ToolsInspect(server_.Url("/page"))) << ToolsTitles();
  client_->Browser()->GetHost()->CloseDevTools();
  EXPECT_TRUE(WaitFor([&] { return toolsLog_.Count("OnBeforeClose") == 1; }));
  EXPECT_TRUE(WaitFor([&] { return !IsWindow(tools); }));
  EXPECT_FALSE(client_->Browser()->GetHost()->HasDevTools());
  EXPECT_TRUE(IsWindow(view));
  EXPECT_EQ(engine::EngineCore::Get()->Browsers().size(), 1u);
  // They open again, and once only however often they are asked for.
  toolsLog_.Clear();
  tools_ = new RecordingClient(toolsLog_);
  ASSERT_NE(ShowTools(), nullptr);
  client_->Browser()->GetHost()->ShowDevTools(ToolsWindowInfo(), tools_.get(), CefBrowserSettings(),
                                              CefPoint());
  EXPECT_TRUE(ToolsInspect(server_.Url("/page"))) << ToolsTitles();
  EXPECT_EQ(toolsLog_.Count("OnAfterCreated"), 1u);
  EXPECT_EQ(engine::EngineCore::Get()->Browsers().size(), 2u);
}

// The tools go with their browser, closed by the client or with its parent window.
TEST_F(DevToolsWindow, CloseWithTheirBrowser) {
  const bool byParent[] = {false, true};
  for (bool parentGoes : byParent) {
    SCOPED_TRACE(parentGoes ? "parent window destroyed" : "CloseBrowser");
    log_.Clear();
    toolsLog_.Clear();
    client_ = new RecordingClient(log_);
    tools_ = new RecordingClient(toolsLog_);
    HWND view = OpenChild(server_.Url("/closing"), 300, 200);
    ASSERT_NE(view, nullptr);
    HWND tools = ShowTools();
    ASSERT_NE(tools, nullptr);
    ASSERT_TRUE(ToolsInspect(server_.Url("/closing"))) << ToolsTitles();
    if (parentGoes) {
      parent_.Destroy();
    } else {
      client_->Browser()->GetHost()->CloseBrowser(true);
    }
    EXPECT_TRUE(WaitFor([&] { return log_.Count("OnBeforeClose") == 1; }));
    EXPECT_TRUE(WaitFor([&] { return toolsLog_.Count("OnBeforeClose") == 1; }));
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(tools) && !IsWindow(view); }));
    EXPECT_TRUE(engine::EngineCore::Get()->Browsers().empty());
  }
}

// Every browser's page shows at once: none is a background tab behind another.
TEST_F(DevToolsWindow, TwoBrowsersBothShowTheirPages) {
  server_.Set("/changing", {200, kChangingPage, ""});
  ASSERT_NE(OpenChild(server_.Url("/changing"), 300, 200), nullptr);
  CefRefPtr<RecordingClient> other = new RecordingClient(otherLog_);
  CefWindowInfo info;
  info.SetAsChild(parent_.Get(), CefRect(320, 10, 300, 200));
  ASSERT_TRUE(CefBrowserHost::CreateBrowser(info, other.get(), server_.Url("/changing"),
                                            CefBrowserSettings(), nullptr, nullptr));
  ASSERT_TRUE(WaitFor([&] { return FramesOf(other) > 3; }, 20000));
  const int64_t first = FramesOf(client_);
  const int64_t second = FramesOf(other);
  EXPECT_TRUE(
      WaitFor([&] { return FramesOf(client_) > first + 3 && FramesOf(other) > second + 3; }, 20000))
      << FramesOf(client_) - first << " and " << FramesOf(other) - second << " new frames";
}

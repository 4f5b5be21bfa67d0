// A browser's developer tools on a real browser: their own top-level window showing the
// inspector connected to the page, gone with CloseDevTools or with the browser.

#include <winsock2.h>

#include <set>

#include "engine/devtools_fixture.h"
#include "engine/linux_side.h"

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

// Asks for a WebSocket on the port and path; the first line of the answer.
std::string UpgradeAnswer(int port, const std::string& path) {
  WSADATA data;
  WSAStartup(MAKEWORD(2, 2), &data);
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<u_short>(port));
  address.sin_addr.s_addr = inet_addr("127.0.0.1");
  DWORD timeout = 20000;
  setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof(timeout));
  std::string answer;
  if (connect(s, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0) {
    const std::string request = "GET " + path +
                                " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) +
                                "\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
                                "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n"
                                "Sec-WebSocket-Version: 13\r\n\r\n";
    send(s, request.data(), static_cast<int>(request.size()), 0);
    char c;
    while (answer.find("\r\n") == std::string::npos && recv(s, &c, 1, 0) == 1) answer += c;
  }
  closesocket(s);
  WSACleanup();
  return answer.substr(0, answer.find("\r\n"));
}

// The listening sockets of the processes but the test's own page server, which runs in this
// program too.
std::vector<Listener> ListenersBut(const std::vector<int>& pids, int serverPort) {
  std::vector<Listener> listeners;
  for (const Listener& l : ListenersOf(pids)) {
    if (l.port != serverPort) listeners.push_back(l);
  }
  return listeners;
}

std::string Describe(const std::vector<Listener>& listeners) {
  std::string text;
  for (const Listener& l : listeners) text += "[port " + std::to_string(l.port) + "] ";
  return text;
}

}  // namespace

// Nothing of the browser or the client listens on the network while pages run: the engine
// drives the browser over its pipes, whose FIFOs, like the profile folder, are the user's
// alone. With a page's tools open only their relay listens, and it lets nothing in but the
// tools: not a request without its secret path, nor a second one with it.
TEST_F(DevToolsWindow, OnlyTheToolsRelayListensAndOnlyForTheTools) {
  if (!LinuxSide::Available()) GTEST_SKIP() << "reads the socket tables of the Linux side";
  server_.Set("/private", {200, kChangingPage, ""});
  ASSERT_NE(OpenChild(server_.Url("/private"), 300, 200), nullptr);
  ASSERT_TRUE(WaitForLoadEnd(server_.Url("/private") + "|200"));
  const std::wstring profile = backend_->ProfileFolder();
  std::vector<int> ours = BrowserProcesses(profile);
  ASSERT_GE(ours.size(), 2u) << "the browser and its helpers";
  const int self = LinuxSide::OwnPid();
  ASSERT_GT(self, 0);
  ours.push_back(self);
  EXPECT_EQ(Describe(ListenersBut(ours, server_.Port())), "");
  EXPECT_EQ(LinuxSide::Run("stat -c '%a %F' \"$1\" \"$1/cdp-in\" \"$1/cdp-out\"",
                           {LinuxSide::UnixPath(profile)}),
            "700 directory\n600 fifo\n600 fifo\n");

  ASSERT_NE(ShowTools(), nullptr);
  ASSERT_TRUE(ToolsInspect(server_.Url("/private"))) << ToolsTitles();
  // The tools were given the relay's address: "...?ws=127.0.0.1:<port>/<secret>".
  const std::string toolsUrl = tools_->Browser()->GetMainFrame()->GetURL().ToString();
  const size_t at = toolsUrl.find("?ws=127.0.0.1:");
  ASSERT_NE(at, std::string::npos) << toolsUrl;
  const int port = std::atoi(toolsUrl.c_str() + at + 14);
  const std::string secret = toolsUrl.substr(toolsUrl.find('/', at));
  EXPECT_EQ(secret.size(), 33u) << "128 bits in hexadecimal";
  const std::vector<Listener> open = ListenersBut(ours, server_.Port());
  ASSERT_EQ(open.size(), 1u) << Describe(open);
  EXPECT_EQ(open[0].port, port);
  std::string guessed = secret;
  guessed.back() = guessed.back() == '0' ? '1' : '0';
  for (const std::string& path : {std::string("/"), std::string("/json/list"), guessed, secret}) {
    EXPECT_EQ(UpgradeAnswer(port, path), "HTTP/1.1 403 Forbidden") << path;
  }

  client_->Browser()->GetHost()->CloseDevTools();
  EXPECT_TRUE(WaitFor([&] { return ListenersBut(ours, server_.Port()).empty(); }, 30000));
}

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

// An interrupt for the client's process group (Ctrl+C in the terminal that started it, or a
// runner ending the group) reaches the browser's watchdog but not the browser, which runs in
// a session of its own: the watchdog stays to end the browser when the client goes.
TEST(BrowserWatchdog, OutlivesInterruptsAndStillEndsTheBrowser) {
  if (!LinuxSide::Available()) GTEST_SKIP() << "signals processes of the Linux side";
  if (ConfiguredBrowser().empty()) GTEST_SKIP() << "no browser named in build/bin/cef/engine.ini";
  engine::BrowserProcess process;
  ASSERT_TRUE(process.Launch(ConfiguredBrowser(), engine::StartOptions(), 60000))
      << process.Error();
  const std::wstring profile = process.Folder();
  const std::string folder = LinuxSide::UnixPath(profile);
  // The watchdog is the shell given the profile folder.
  const std::string watchdog = LinuxSide::Run(
      "ps -e -o pid=,comm=,args= | grep -F -e \"$1\" | awk '$2 == \"sh\" "
      "{ print $1; exit }'",
      {folder.substr(0, folder.size() - 1)});
  ASSERT_FALSE(watchdog.empty());
  for (const char* signal : {"INT", "TERM", "HUP", "QUIT"}) {
    LinuxSide::Run("kill -s \"$1\" \"$2\"", {signal, watchdog.substr(0, watchdog.find('\n'))});
  }
  EXPECT_EQ(
      LinuxSide::Run("kill -0 \"$1\" && echo alive", {watchdog.substr(0, watchdog.find('\n'))}),
      "alive\n");
  EXPECT_FALSE(BrowserProcesses(profile).empty());
  EXPECT_FALSE(process.HasExited());
  process.Stop();
  EXPECT_TRUE(WaitFor([&] { return BrowserProcesses(profile).empty(); }, 30000));
}

// The start and game windows as native windows on the shipped skin, driven by the
// messages Windows sends. No browser runs here: the browser controls wait for one.

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "app/basic_form.h"
#include "app/cef_form.h"
#include "app/cef_game_form.h"
#include "app/client_startup_services.h"
#include "common/message_pump.h"
#include "ui/controls/control_classes.h"
#include "ui/core/resources/ui_registry.h"
#include "ui/core/skin/window_impl_base.h"
#include "ui/core/temp_folder.h"

namespace {

using test_messages::Drain;
using test_messages::PumpUntil;

constexpr int kWait = 20000;

// Records the messages the game window posts to the start window.
class RecordingWindow {
 public:
  RecordingWindow() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = &RecordingWindow::Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"TarnwickRecordingStart";
    RegisterClassW(&wc);
    hwnd = CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                           wc.hInstance, nullptr);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  ~RecordingWindow() { DestroyWindow(hwnd); }
  HWND hwnd = nullptr;
  std::vector<UINT> received;

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<RecordingWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self && (message == kMsgReturnToLogin || message == WM_MOVE))
      self->received.push_back(message);
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }
};

// Counts the messages matching a test that this thread's windows of one class are sent; a
// window made visible and hidden at once shows up here though it is hidden by the time
// anyone looks.
class MessageCounter {
 public:
  using Test = bool (*)(const CWPSTRUCT& message);
  MessageCounter(const wchar_t* className, Test test) : className_(className), test_(test) {
    current = this;
    hook_ = SetWindowsHookExW(WH_CALLWNDPROC, &MessageCounter::Hook, nullptr, GetCurrentThreadId());
  }
  ~MessageCounter() {
    UnhookWindowsHookEx(hook_);
    current = nullptr;
  }
  bool Hooked() const { return hook_ != nullptr; }
  int count = 0;

  static bool IsShow(const CWPSTRUCT& message) {
    return (message.message == WM_SHOWWINDOW && message.wParam) ||
           (message.message == WM_WINDOWPOSCHANGING &&
            (reinterpret_cast<const WINDOWPOS*>(message.lParam)->flags & SWP_SHOWWINDOW));
  }
  static bool IsHide(const CWPSTRUCT& message) {
    return message.message == WM_WINDOWPOSCHANGING &&
           (reinterpret_cast<const WINDOWPOS*>(message.lParam)->flags & SWP_HIDEWINDOW);
  }

 private:
  static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
    const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && current && message && current->IsOurs(message->hwnd) &&
        current->test_(*message))
      ++current->count;
    return CallNextHookEx(nullptr, code, wParam, lParam);
  }
  bool IsOurs(HWND hwnd) const {
    wchar_t name[64] = {};
    GetClassNameW(hwnd, name, 64);
    return className_ == name;
  }
  static MessageCounter* current;
  std::wstring className_;
  Test test_;
  HHOOK hook_ = nullptr;
};
MessageCounter* MessageCounter::current = nullptr;

bool QuitPosted() {
  MSG message;
  bool quit = false;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      quit = true;
    } else {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  return quit;
}

class ClientWindowsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ui::WindowImplBase::SetMessageBoxFunction(
        [this](HWND, const wchar_t* text, const wchar_t*, UINT) {
          boxes.push_back(text);
          return IDOK;
        });
    services.StartUi(TARNWICK_RESOURCES, L"themes\\default", L"lang\\zh_CN");
  }
  void TearDown() override {
    QuitPosted();
    services.ShutdownUi();
    ui::WindowImplBase::SetMessageBoxFunction(nullptr);
    QuitPosted();
  }

  static std::wstring ClassOf(HWND hwnd) {
    wchar_t name[64] = {};
    GetClassNameW(hwnd, name, 64);
    return name;
  }
  static std::wstring TextOf(HWND hwnd) {
    wchar_t text[128] = {};
    GetWindowTextW(hwnd, text, 128);
    return text;
  }

  ClientStartupServices services;
  std::vector<std::wstring> boxes;
};

TEST_F(ClientWindowsTest, TheStartWindowOwnsTheHiddenLoginWindowAndPlacesItOnMove) {
  MessageCounter loginShows(L"Game_login", &MessageCounter::IsShow);
  ASSERT_TRUE(loginShows.Hooked());
  services.OpenStartWindow({L"Game_start", 0x00CE0000, 0, true});
  BasicForm* start = services.StartWindow();
  ASSERT_NE(start, nullptr) << (boxes.empty() ? L"" : boxes[0]);
  const HWND startHwnd = start->GetHWND();
  EXPECT_EQ(ClassOf(startHwnd), L"Game_start");
  EXPECT_EQ(TextOf(startHwnd), L"Tarnwick");
  EXPECT_TRUE(IsWindowVisible(startHwnd));
  CefForm* login = start->LoginWindow();
  ASSERT_NE(login, nullptr);
  const HWND loginHwnd = login->GetHWND();
  EXPECT_EQ(ClassOf(loginHwnd), L"Game_login");
  EXPECT_EQ(GetWindow(loginHwnd, GW_OWNER), startHwnd);
  EXPECT_FALSE(IsWindowVisible(loginHwnd));
  // Not even for a moment: it is made hidden, not made visible and hidden again.
  EXPECT_EQ(loginShows.count, 0);
  EXPECT_NE(login->GetBrowserControl(), nullptr);
  EXPECT_EQ(login->LoginAddress(),
            L"http://www.vexmor.test/game/s/wdAccess/?name=vexmor&uid=&suid=&token=");

  // Moved: the login window keeps at +484, +288, still hidden before its page has loaded.
  for (const POINT to : {POINT{40, 30}, POINT{75, 62}}) {
    SetWindowPos(startHwnd, nullptr, to.x, to.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    Drain();
    RECT s{};
    RECT l{};
    GetWindowRect(startHwnd, &s);
    GetWindowRect(loginHwnd, &l);
    EXPECT_FALSE(IsWindowVisible(loginHwnd));
    EXPECT_EQ(l.left, s.left + BasicForm::kLoginOffsetX);
    EXPECT_EQ(l.top, s.top + BasicForm::kLoginOffsetY);
  }
  EXPECT_EQ(loginShows.count, 0);
  // Forged hand-over messages open nothing and free nothing.
  SendMessageW(startHwnd, kMsgOpenGameWindow, 0, static_cast<LPARAM>(0x1234));
  SendMessageW(startHwnd, kMsgOpenGameWindow, 0, reinterpret_cast<LPARAM>(&boxes));
  EXPECT_EQ(start->GameWindow(), nullptr);
  EXPECT_EQ(FindWindowW(L"Game_client", nullptr), nullptr);

  // The close button closes both windows and ends the main loop.
  start->FindControlByName(L"btn_close")->Activate();
  EXPECT_TRUE(PumpUntil([&] { return !IsWindow(startHwnd) && !IsWindow(loginHwnd); }, kWait));
  EXPECT_EQ(services.StartWindow(), nullptr);
}

TEST_F(ClientWindowsTest, TheStartWindowIsActiveAgainWhenTheGameHandsBack) {
  services.OpenStartWindow({L"Game_start", 0x00CE0000, 0, true});
  BasicForm* start = services.StartWindow();
  ASSERT_NE(start, nullptr);
  const HWND startHwnd = start->GetHWND();
  // The game has the screen: another window active, the launcher hidden.
  const HWND game = CreateWindowExW(0, L"STATIC", L"game", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50,
                                    nullptr, nullptr, nullptr, nullptr);
  SetForegroundWindow(game);
  ShowWindow(startHwnd, SW_HIDE);
  Drain();
  ASSERT_EQ(GetForegroundWindow(), game);
  // What the game window posts as it closes.
  PostMessageW(startHwnd, kMsgReturnToLogin, 0, 0);
  PostMessageW(startHwnd, WM_MOVE, 0, 0);
  EXPECT_TRUE(PumpUntil(
      [&] { return IsWindowVisible(startHwnd) && GetForegroundWindow() == startHwnd; }, kWait));
  EXPECT_EQ(GetActiveWindow(), startHwnd);
  DestroyWindow(game);
  start->FindControlByName(L"btn_close")->Activate();
  EXPECT_TRUE(PumpUntil([&] { return !IsWindow(startHwnd); }, kWait));
}

TEST_F(ClientWindowsTest, AStartWindowWhoseLayoutDoesNotBuildEndsTheMainLoop) {
  services.ShutdownUi();
  services.StartUi(L"C:\\no\\such\\resources\\", L"themes\\default", L"lang\\zh_CN");
  services.OpenStartWindow({L"Game_start", 0x00CE0000, 0, true});
  EXPECT_EQ(services.StartWindow(), nullptr);
  EXPECT_EQ(boxes.size(), 1u);
  EXPECT_TRUE(QuitPosted());
}

// A shipped resource file's bytes, or empty.
std::string ShippedFile(const std::wstring& relative) {
  std::string bytes;
  FILE* in = _wfopen((std::wstring(TARNWICK_RESOURCES) + relative).c_str(), L"rb");
  if (!in) return bytes;
  char chunk[4096];
  for (size_t got; (got = fread(chunk, 1, sizeof chunk, in)) > 0;) bytes.append(chunk, got);
  fclose(in);
  return bytes;
}

// The window base's "closebtn" closes only the window it is on (its owned login window goes
// with it); the client's own "btn_close" hides and closes the login window first. Both end
// the run.
TEST_F(ClientWindowsTest, TheWindowBasesCloseButtonAndTheQuitButtonEachEndTheRun) {
  TempFolder resources;
  const wchar_t* kept[] = {L"themes\\default\\global.xml", L"themes\\default\\cef\\cef.xml",
                           L"themes\\default\\shadow\\shadow.xml", L"lang\\zh_CN\\gdstrings.ini"};
  for (const wchar_t* file : kept) {
    const std::string bytes = ShippedFile(file);
    ASSERT_FALSE(bytes.empty()) << file;
    resources.Write(file, bytes);
  }
  std::string start = ShippedFile(L"themes\\default\\cef\\basic.xml");
  const std::string minButton = "<Button name=\"minbtn\"";
  const size_t at = start.find(minButton);
  ASSERT_NE(at, std::string::npos);
  start.insert(at,
               "<Button name=\"closebtn\" class=\"launcher_btn\" normalimage=\"icon_close.png\"/>");
  resources.Write(L"themes\\default\\cef\\basic.xml", start);
  services.ShutdownUi();
  services.StartUi(resources.path(), L"themes\\default", L"lang\\zh_CN");

  struct Case {
    const wchar_t* button;
    int loginHides;
  };
  for (const Case& c : {Case{L"closebtn", 0}, Case{L"btn_close", 1}}) {
    MessageCounter loginHides(L"Game_login", &MessageCounter::IsHide);
    services.OpenStartWindow({L"Game_start", 0x00CE0000, 0, true});
    BasicForm* form = services.StartWindow();
    ASSERT_NE(form, nullptr) << (boxes.empty() ? L"" : boxes[0]);
    const HWND startHwnd = form->GetHWND();
    const HWND loginHwnd = form->LoginWindow()->GetHWND();
    ui::Control* button = form->FindControlByName(c.button);
    ASSERT_NE(button, nullptr) << c.button;
    ui::UiRect rect;
    ASSERT_TRUE(PumpUntil(
        [&] {
          rect = button->GetPosition(false);
          return rect.right > rect.left && rect.bottom > rect.top;
        },
        kWait));
    const LPARAM centre = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    PostMessageW(startHwnd, WM_MOUSEMOVE, 0, centre);
    PostMessageW(startHwnd, WM_LBUTTONDOWN, MK_LBUTTON, centre);
    PostMessageW(startHwnd, WM_LBUTTONUP, 0, centre);
    bool quit = false;
    const DWORD deadline = GetTickCount() + kWait;
    while (!(quit && !IsWindow(startHwnd)) && GetTickCount() < deadline) {
      quit = QuitPosted() || quit;
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
    EXPECT_TRUE(quit) << c.button;
    EXPECT_FALSE(IsWindow(startHwnd)) << c.button;
    EXPECT_FALSE(IsWindow(loginHwnd)) << c.button;
    EXPECT_EQ(loginHides.count, c.loginHides) << c.button;
    EXPECT_EQ(services.StartWindow(), nullptr);
  }
}

class GameWindowTest : public ClientWindowsTest {
 protected:
  CefGameForm* Open(const std::wstring& url) {
    auto* game = new CefGameForm(url);
    game->SetStartWindow(recorder.hwnd);
    game->CreateNativeWindow(nullptr, L"Game_client", 0x11CF0000, 0, false, ui::UiRect());
    Drain();
    return game->GetHWND() ? game : nullptr;
  }
  RecordingWindow recorder;
};

TEST_F(GameWindowTest, TakesItsTitleFromTheAddress) {
  struct Case {
    const wchar_t* url;
    const wchar_t* title;
    const wchar_t* label;
  };
  const Case cases[] = {
      {L"http://g.test/wd/?m=game", L"Tarnwick", L"Tarnwick"},
      {L"http://g.test/wd/?m=game|A%42|c%20d", L"AB-c d", L"AB-c d"},
      {L"http://g.test/wd/?m=game|", L"Tarnwick", L"Tarnwick"},
      {L"http://g.test/wd/?m=game|100%|%4", L"100%-%4", L"100%-%4"},
  };
  for (const Case& c : cases) {
    CefGameForm* game = Open(c.url);
    ASSERT_NE(game, nullptr);
    const HWND hwnd = game->GetHWND();
    EXPECT_EQ(ClassOf(hwnd), L"Game_client");
    EXPECT_EQ(TextOf(hwnd), c.title) << c.url;
    auto* label = dynamic_cast<ui::Label*>(game->FindControlByName(L"label_title"));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->GetText(), c.label) << c.url;
    EXPECT_EQ(game->GetGameUrl(), c.url);
    DestroyWindow(hwnd);
    Drain();
  }
}

TEST_F(GameWindowTest, ButtonsAndEdgeStripsFollowTheWindowState) {
  CefGameForm* game = Open(L"http://g.test/wd/?m=game");
  ASSERT_NE(game, nullptr);
  const HWND hwnd = game->GetHWND();
  EXPECT_TRUE(IsZoomed(hwnd));
  ui::Control* maxButton = game->FindControlByName(L"maxbtn");
  ui::Control* restoreButton = game->FindControlByName(L"restorebtn");
  ui::Control* strips[] = {game->FindControlByName(L"size_left"),
                           game->FindControlByName(L"size_right"),
                           game->FindControlByName(L"size_bottom")};
  for (ui::Control* strip : strips) ASSERT_NE(strip, nullptr);
  auto stripSizes = [&] {
    return std::vector<int>{strips[0]->GetFixedWidth(), strips[1]->GetFixedWidth(),
                            strips[2]->GetFixedHeight()};
  };
  EXPECT_TRUE(
      PumpUntil([&] { return !maxButton->IsVisible() && restoreButton->IsVisible(); }, kWait));
  EXPECT_EQ(stripSizes(), (std::vector<int>{1, 1, 1}));
  ShowWindow(hwnd, SW_RESTORE);
  EXPECT_TRUE(
      PumpUntil([&] { return maxButton->IsVisible() && !restoreButton->IsVisible(); }, kWait));
  EXPECT_EQ(stripSizes(), (std::vector<int>{2, 2, 2}));
  ShowWindow(hwnd, SW_MAXIMIZE);
  Drain();
  EXPECT_EQ(stripSizes(), (std::vector<int>{1, 1, 1}));
  DestroyWindow(hwnd);
}

TEST_F(GameWindowTest, EveryCloseHandsBackToTheLoginWindowOnce) {
  // Its close button, or the system's close (Alt+F4, the system menu).
  for (bool byButton : {true, false}) {
    recorder.received.clear();
    CefGameForm* game = Open(L"http://g.test/wd/?m=game");
    ASSERT_NE(game, nullptr);
    const HWND hwnd = game->GetHWND();
    if (byButton) {
      game->FindControlByName(L"btn_close")->Activate();
    } else {
      SendMessageW(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
    }
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(hwnd); }, kWait));
    Drain();
    EXPECT_EQ(recorder.received, (std::vector<UINT>{kMsgReturnToLogin, WM_MOVE})) << byButton;
  }
}

}  // namespace

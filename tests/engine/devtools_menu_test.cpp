// The page's cursor and context menus in the window of a real browser's page.

#include <gtest/gtest.h>

#include <mutex>
#include <vector>

#include <winsock2.h>

#include "engine/core/context_menu.h"
#include "engine/devtools_fixture.h"

using namespace engine_test;

namespace {

const char kPointerPage[] =
    "<html><body style='margin:0;font:20px sans-serif'>"
    "<div style='position:absolute;left:0;top:0;width:100px;height:50px;cursor:pointer'></div>"
    "<input style='position:absolute;left:0;top:60px;width:200px;height:30px'>"
    "<div style='position:absolute;left:0;top:100px;width:100px;height:50px;cursor:wait'></div>"
    "<p style='position:absolute;left:0;top:160px;margin:0'>Some words to read</p>"
    "<div style='position:absolute;left:0;top:200px;width:100px;height:50px;"
    "cursor:url(none.cur), not-allowed'></div>"
    "</body></html>";

}  // namespace

TEST_F(DevToolsView, TheWindowShowsThePagesCursor) {
  struct CursorCase {
    const char* name;
    int x, y;
    const wchar_t* expected;
  };
  const CursorCase cases[] = {
      {"a pointer", 50, 25, IDC_HAND},          {"a text field", 50, 75, IDC_IBEAM},
      {"waiting", 50, 125, IDC_WAIT},           {"text", 30, 172, IDC_IBEAM},
      {"beside the text", 350, 172, IDC_ARROW}, {"an image's fallback", 50, 225, IDC_NO},
      {"a pointer again", 20, 10, IDC_HAND},
  };
  HWND view = OpenLoaded("/pointer", kPointerPage);
  ASSERT_NE(view, nullptr);
  // The cursor the window sets when the system asks it, on the window's own thread.
  auto shown = [&] {
    HCURSOR cursor = nullptr;
    engine::EngineCore::Get()->UiThread().RunAndWait(
        [&] {
          SendMessageW(view, WM_SETCURSOR, reinterpret_cast<WPARAM>(view),
                       MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
          cursor = GetCursor();
        },
        10000);
    return cursor;
  };
  for (const CursorCase& c : cases) {
    PostMessageW(view, WM_MOUSEMOVE, 0, MAKELPARAM(c.x, c.y));
    HCURSOR expected = LoadCursorW(nullptr, c.expected);
    EXPECT_TRUE(WaitFor([&] { return shown() == expected; })) << c.name;
  }
}

namespace {

const char kMenuPage[] =
    "<html><body style='margin:0'>"
    "<input id=field value='some text' "
    "style='position:absolute;left:0;top:0;width:300px;height:40px'>"
    "<div id=own style='position:absolute;left:0;top:100px;width:100px;height:50px'></div>"
    "<script>"
    "const field = document.getElementById('field');"
    "let menus = [];"
    "addEventListener('contextmenu', e => menus.push('menu@' + e.clientX + ',' + e.clientY));"
    "document.getElementById('own').addEventListener('contextmenu', e => e.preventDefault());"
    "setInterval(() => document.title = 'menus:' + menus.join(' ') + ' [' + field.value + '] ' +"
    " field.selectionStart + '-' + field.selectionEnd, 40);"
    "</script></body></html>";

void PostRightClick(HWND window, int x, int y) {
  PostMessageW(window, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(x, y));
  PostMessageW(window, WM_RBUTTONUP, 0, MAKELPARAM(x, y));
}

// Menus the engine would show, recorded instead; the command the test chooses is taken.
class TestMenus {
 public:
  explicit TestMenus(int choice) {
    engine::SetMenuRunner([this, choice](HWND owner, CefRefPtr<CefMenuModel> model, int x, int y) {
      std::lock_guard<std::mutex> hold(lock_);
      shown_.push_back(std::to_string(x) + "," + std::to_string(y) + "|" +
                       std::to_string(model->GetCount()) + (owner ? "" : "|no owner"));
      return choice;
    });
  }
  ~TestMenus() { engine::SetMenuRunner(nullptr); }
  std::vector<std::string> Shown() {
    std::lock_guard<std::mutex> hold(lock_);
    return shown_;
  }

 private:
  std::mutex lock_;
  std::vector<std::string> shown_;
};

}  // namespace

TEST_F(DevToolsView, AnEmptiedContextMenuShowsNothing) {
  TestMenus menus(0);
  client_->clearMenu = true;
  HWND view = OpenLoaded("/menu", kMenuPage);
  ASSERT_NE(view, nullptr);
  // Neither a menu the page handles itself nor one the page's script asks for reaches the
  // handler; the right click on the page below does.
  PostRightClick(view, 50, 120);
  client_->Browser()->GetMainFrame()->ExecuteJavaScript(
      "window.__engineInput(JSON.stringify({contextMenu: {x: 1, y: 2, top: true}}))", "", 0);
  PostRightClick(view, 150, 220);
  EXPECT_TRUE(WaitForTitle([](const std::string& t) {
    return t.rfind("menus:menu@50,120 menu@150,220 ", 0) == 0;
  })) << "the page sees its contextmenu events: "
      << LastTitle();
  ASSERT_TRUE(WaitFor([&] { return log_.Count("OnBeforeContextMenu") > 0; }));
  WaitFor([] { return false; }, 500);
  auto asked = log_.Named("OnBeforeContextMenu");
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].detail,
            std::to_string(CM_TYPEFLAG_PAGE) + "|150,220||" + std::to_string(MENU_ID_RELOAD));
  EXPECT_NE(asked[0].thread, GetCurrentThreadId()) << "on the engine's UI thread";
  EXPECT_TRUE(menus.Shown().empty());
  EXPECT_EQ(log_.Count("OnContextMenuCommand"), 0u);
}

TEST_F(DevToolsView, TheCommandChosenFromTheMenuIsCarriedOut) {
  TestMenus menus(MENU_ID_SELECT_ALL);
  HWND view = OpenLoaded("/menu", kMenuPage);
  ASSERT_NE(view, nullptr);
  PostClick(view, 10, 20);
  ASSERT_TRUE(WaitForTitle([](const std::string& t) {
    return t.rfind("menus: [some text] ", 0) == 0;
  })) << LastTitle();
  PostRightClick(view, 40, 20);
  ASSERT_TRUE(WaitFor([&] { return log_.Count("OnContextMenuDismissed") > 0; }));
  POINT at = {40, 20};
  ClientToScreen(view, &at);
  EXPECT_EQ(menus.Shown(),
            (std::vector<std::string>{std::to_string(at.x) + "," + std::to_string(at.y) + "|9"}));
  auto asked = log_.Named("OnBeforeContextMenu");
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].detail.substr(0, asked[0].detail.find('|')),
            std::to_string(CM_TYPEFLAG_PAGE | CM_TYPEFLAG_EDITABLE));
  EXPECT_EQ(log_.Sequence({"OnContextMenuCommand"}).size(), 1u);
  EXPECT_EQ(log_.Named("OnContextMenuCommand")[0].detail, std::to_string(MENU_ID_SELECT_ALL));
  EXPECT_TRUE(WaitForTitle([](const std::string& t) {
    return t == "menus:menu@40,20 [some text] 0-9";
  })) << "the handler left it to the engine, which selected all: "
      << LastTitle();

  // The menu key asks for the text field's menu too.
  SendMessageW(view, WM_KEYDOWN, VK_APPS, 1 | (1 << 24));
  SendMessageW(view, WM_KEYUP, VK_APPS, 1 | (1 << 24) | (3u << 30));
  EXPECT_TRUE(WaitFor([&] { return log_.Count("OnContextMenuDismissed") > 1; })) << LastTitle();
  EXPECT_EQ(menus.Shown().size(), 2u);
}

TEST_F(DevToolsView, AMenuKeyWhoseMenuThePageStoppedLetsNoLaterMenuThrough) {
  TestMenus menus(0);
  HWND view = OpenLoaded("/stopped",
                         "<html><body><script>let stopped = 0;"
                         "addEventListener('mousedown', () => document.title = 'down');"
                         "addEventListener('contextmenu', e => {"
                         " e.preventDefault(); document.title = 'stopped ' + (++stopped); });"
                         "</script></body></html>");
  ASSERT_NE(view, nullptr);
  PostClick(view, 10, 10);
  ASSERT_TRUE(WaitForTitle([](const std::string& t) { return t == "down"; })) << LastTitle();
  SendMessageW(view, WM_KEYDOWN, VK_APPS, 1 | (1 << 24));
  SendMessageW(view, WM_KEYUP, VK_APPS, 1 | (1 << 24) | (3u << 30));
  ASSERT_TRUE(WaitForTitle([](const std::string& t) { return t == "stopped 1"; })) << LastTitle();
  // Typing on, then the page asks for a menu of its own making.
  SendMessageW(view, WM_KEYDOWN, 'A', 1 | (0x1E << 16));
  SendMessageW(view, WM_KEYUP, 'A', 1 | (0x1E << 16) | (3u << 30));
  client_->Browser()->GetMainFrame()->ExecuteJavaScript(
      "window.__engineInput(JSON.stringify({contextMenu: {x: 5, y: 5, link: 'http://elsewhere/',"
      " top: true}})); document.title = 'asked';",
      "", 0);
  ASSERT_TRUE(WaitForTitle([](const std::string& t) { return t == "asked"; })) << LastTitle();
  WaitFor([] { return false; }, 500);
  EXPECT_EQ(log_.Count("OnBeforeContextMenu"), 0u);
  EXPECT_TRUE(menus.Shown().empty());
}

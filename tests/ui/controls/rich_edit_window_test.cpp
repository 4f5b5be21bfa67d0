#include <windows.h>

#include <richedit.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "ui/controls/rich_edit.h"
#include "ui/controls/scroll_bar.h"
#include "ui/core/resources/ui_registry.h"
#include "ui/core/tree/control_test_util.h"
#include "ui/core/tree/v_box.h"
#include "ui/core/window/window_test_util.h"
#include "ui/render/i_render_context.h"
#include "ui/render/render_test_util.h"

namespace ui {
namespace {

using render_test::PixelAt;
using window_test::CreateShown;
using window_test::Drain;
using window_test::PumpUntil;

constexpr UiRect kWindowRect{100, 100, 400, 300};
constexpr UiRect kFirstLine{0, 0, 300, 30};
constexpr int kWait = 20000;

// Holds keys down in the thread's keyboard state, as the window's key checks read it.
class HeldKeys {
 public:
  explicit HeldKeys(std::initializer_list<int> keys) {
    ::GetKeyboardState(saved_);
    BYTE state[256];
    ::GetKeyboardState(state);
    for (int key : keys) state[key] = 0x80;
    ::SetKeyboardState(state);
  }
  ~HeldKeys() { ::SetKeyboardState(saved_); }

 private:
  BYTE saved_[256];
};

// A rich edit filling a real window of 300 x 200 with a white background.
class RichEditWindowTest : public ::testing::Test {
 protected:
  RichEditWindowTest() {
    UiRegistry::AddFont(L"", L"system", 10, false, false, false, true);
    UiRegistry::AddTextColor(L"white", L"#FFFFFFFF");
    UiRegistry::AddTextColor(L"red", L"#FFFF0000");
    UiRegistry::AddTextColor(L"blue", L"#FF0000FF");
  }
  void Show(const std::wstring& attributes = std::wstring()) {
    auto* root = new VBox();
    root->SetAttribute(L"bkcolor", L"white");
    edit_ = new RichEdit();
    if (!attributes.empty()) edit_->ApplyAttributeList(attributes);
    root->Add(edit_);
    other_ = new Control();
    other_->SetFixedHeight(10);
    root->Add(other_);
    hwnd_ = CreateShown(&window_, kWindowRect, root, false);
    ASSERT_TRUE(hwnd_);
    ASSERT_TRUE(edit_->HasEngine());
  }
  void Focus() {
    edit_->SetFocus();
    Drain();
  }
  void Type(const std::wstring& text) {
    for (wchar_t c : text) ::SendMessageW(hwnd_, WM_CHAR, c, 1);
    Drain();
  }
  void Key(int key) {
    ::SendMessageW(hwnd_, WM_KEYDOWN, key, 1);
    ::SendMessageW(hwnd_, WM_KEYUP, key, 0xC0000001);
    Drain();
  }
  void Repaint() { ::RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW); }
  // Pixels in the area for which the test holds, after a paint.
  template <typename Test>
  int CountPixels(const UiRect& area, Test test) {
    Repaint();
    int count = 0;
    for (int y = area.top; y < area.bottom; ++y) {
      for (int x = area.left; x < area.right; ++x) {
        if (test(PixelAt(*window_.GetRenderContext(), x, y))) ++count;
      }
    }
    return count;
  }
  int DarkPixels(const UiRect& area) {
    return CountPixels(
        area, [](const render_test::Pixel& p) { return p.r < 128 && p.g < 128 && p.b < 128; });
  }
  int ReddishPixels(const UiRect& area) {
    return CountPixels(
        area, [](const render_test::Pixel& p) { return p.r > 150 && p.g < 120 && p.b < 120; });
  }
  int CountEvents(EventType type) {
    auto* count = new int(0);
    counters_.emplace_back(count);
    edit_->AttachEvent(type, [count](EventArgs*) {
      ++*count;
      return true;
    });
    return static_cast<int>(counters_.size() - 1);
  }
  int Events(int counter) const { return *counters_[counter]; }
  // The caret's column, dark while the caret shows.
  bool CaretShown() {
    const UiRect caret = edit_->GetCaretRect();
    return DarkPixels(UiRect{caret.left, caret.top + 1, caret.left + 1, caret.bottom - 1}) > 0;
  }

  control_test::UiScope ui_;
  window_test::TestNativeWindow window_;
  HWND hwnd_ = nullptr;
  RichEdit* edit_ = nullptr;
  Control* other_ = nullptr;
  std::vector<std::unique_ptr<int>> counters_;
};

TEST_F(RichEditWindowTest, TypedTextShowsAndSendsTextChange) {
  Show();
  const int changes = CountEvents(kEventTextChange);
  Focus();
  // Only the caret is dark in the empty edit.
  EXPECT_LT(DarkPixels(kFirstLine), 20);
  Type(L"Hello");
  EXPECT_EQ(edit_->GetText(), L"Hello");
  EXPECT_EQ(edit_->GetTextLength(), 5);
  EXPECT_GT(DarkPixels(kFirstLine), 40);
  EXPECT_EQ(Events(changes), 5);
  // Below the line nothing is drawn.
  EXPECT_EQ(DarkPixels(UiRect{0, 40, 300, 180}), 0);
}

TEST_F(RichEditWindowTest, TheEngineComesFromTheSystemFolder) {
  Show();
  const HMODULE engine = ::GetModuleHandleW(L"msftedit.dll");
  ASSERT_TRUE(engine);
  wchar_t path[MAX_PATH];
  ASSERT_GT(::GetModuleFileNameW(engine, path, MAX_PATH), 0u);
  wchar_t system[MAX_PATH];
  const UINT length = ::GetSystemDirectoryW(system, MAX_PATH);
  EXPECT_EQ(_wcsnicmp(path, system, length), 0) << path;
}

TEST_F(RichEditWindowTest, PromptShowsInAnEmptyEditUntilTheFirstCharacter) {
  Show(L"prompttext=\"Account name\" promptcolor=\"  red\"");
  EXPECT_GT(ReddishPixels(kFirstLine), 30);
  Focus();
  Type(L"x");
  EXPECT_EQ(ReddishPixels(kFirstLine), 0);
  Key(VK_BACK);
  EXPECT_EQ(edit_->GetText(), L"");
  EXPECT_GT(ReddishPixels(kFirstLine), 30);
}

TEST_F(RichEditWindowTest, PromptNeverShowsInAReadOnlyEdit) {
  Show(L"prompttext=\"Account name\" promptcolor=\"red\" readonly=\"true\"");
  EXPECT_EQ(ReddishPixels(kFirstLine), 0);
}

TEST_F(RichEditWindowTest, CaretBlinksEveryHalfSecondWhileFocusedAndGoesWithTheFocus) {
  Show();
  Focus();
  Type(L"ab");
  ASSERT_TRUE(edit_->IsCaretVisible());
  ASSERT_GT(edit_->GetCaretRect().Height(), 5);
  EXPECT_TRUE(CaretShown());
  using Clock = std::chrono::steady_clock;
  ASSERT_TRUE(PumpUntil([&] { return !edit_->IsCaretVisible(); }, kWait));
  const auto off = Clock::now();
  EXPECT_FALSE(CaretShown());
  ASSERT_TRUE(PumpUntil([&] { return edit_->IsCaretVisible(); }, kWait));
  const auto on = Clock::now();
  EXPECT_TRUE(CaretShown());
  // A timer never fires early; a busy machine may make it late.
  const auto period = std::chrono::duration_cast<std::chrono::milliseconds>(on - off).count();
  EXPECT_GE(period, 450);
  EXPECT_LT(period, 5000);

  other_->SetFocus();
  Drain();
  EXPECT_FALSE(edit_->IsCaretVisible());
  EXPECT_FALSE(CaretShown());
  // Three blink periods later it is still gone.
  const auto until = Clock::now() + std::chrono::milliseconds(1500);
  while (Clock::now() < until) {
    window_test::Pump(50);
    ASSERT_FALSE(edit_->IsCaretVisible());
  }
}

TEST_F(RichEditWindowTest, NumberOnlyDropsLetters) {
  Show(L"number=\"true\"");
  Focus();
  Type(L"a1b2 c3");
  EXPECT_EQ(edit_->GetText(), L"123");
  // Editing keys still work.
  Type(L"\b");
  Key(VK_BACK);
  EXPECT_EQ(edit_->GetText(), L"12");
}

// Puts text and a second, private format on the clipboard.
UINT PutOnClipboard(HWND owner, const std::wstring& text) {
  const UINT privateFormat = ::RegisterClipboardFormatW(L"TarnwickTestFormat");
  if (!::OpenClipboard(owner)) return 0;
  ::EmptyClipboard();
  const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  HGLOBAL data = ::GlobalAlloc(GMEM_MOVEABLE, bytes);
  memcpy(::GlobalLock(data), text.c_str(), bytes);
  ::GlobalUnlock(data);
  ::SetClipboardData(CF_UNICODETEXT, data);
  HGLOBAL extra = ::GlobalAlloc(GMEM_MOVEABLE, 4);
  memcpy(::GlobalLock(extra), "tag", 4);
  ::GlobalUnlock(extra);
  ::SetClipboardData(privateFormat, extra);
  ::CloseClipboard();
  return privateFormat;
}

std::wstring ClipboardText(HWND owner) {
  std::wstring text;
  if (!::OpenClipboard(owner)) return L"(not opened)";
  if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
    text = static_cast<const wchar_t*>(::GlobalLock(data));
    ::GlobalUnlock(data);
  }
  ::CloseClipboard();
  return text;
}

TEST_F(RichEditWindowTest, NumberOnlyPasteInsertsTheDigitsAndLeavesTheClipboardAlone) {
  Show(L"number=\"true\"");
  Focus();
  Type(L"9");
  const UINT privateFormat = PutOnClipboard(hwnd_, L"a1b2");
  ASSERT_NE(privateFormat, 0u);
  {
    HeldKeys ctrl{VK_CONTROL};
    Key('V');
  }
  EXPECT_EQ(edit_->GetText(), L"912");
  EXPECT_EQ(ClipboardText(hwnd_), L"a1b2");
  EXPECT_TRUE(::IsClipboardFormatAvailable(privateFormat));
  // A clipboard without digits pastes nothing.
  PutOnClipboard(hwnd_, L"abc");
  {
    HeldKeys shift{VK_SHIFT};
    Key(VK_INSERT);
  }
  EXPECT_EQ(edit_->GetText(), L"912");
  EXPECT_EQ(ClipboardText(hwnd_), L"abc");
}

struct ReturnCase {
  const wchar_t* attributes;
  bool ctrl;
  bool sendsReturn;
};

class RichEditReturnTest : public RichEditWindowTest,
                           public ::testing::WithParamInterface<ReturnCase> {};

TEST_P(RichEditReturnTest, ReturnGoesToTheEventOrTheText) {
  const ReturnCase& c = GetParam();
  Show(c.attributes);
  const int returns = CountEvents(kEventReturn);
  Focus();
  Type(L"a");
  {
    HeldKeys held = c.ctrl ? HeldKeys{VK_CONTROL} : HeldKeys{};
    ::SendMessageW(hwnd_, WM_KEYDOWN, VK_RETURN, 1);
    Type(c.ctrl ? L"\n" : L"\r");
    ::SendMessageW(hwnd_, WM_KEYUP, VK_RETURN, 0xC0000001);
  }
  Type(L"b");
  EXPECT_EQ(Events(returns), c.sendsReturn ? 1 : 0);
  EXPECT_EQ(edit_->GetText().find(L'\r') == std::wstring::npos, c.sendsReturn);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RichEditReturnTest,
    ::testing::Values(ReturnCase{L"wantreturnmsg=\"true\"", false, true},
                      ReturnCase{L"wantreturnmsg=\"true\"", true, false},
                      ReturnCase{L"wantreturnmsg=\"true\" returnmsgwantctrl=\"true\"", false,
                                 false},
                      ReturnCase{L"wantreturnmsg=\"true\" returnmsgwantctrl=\"true\"", true, true},
                      ReturnCase{L"", false, false}));

TEST_F(RichEditWindowTest, TabIsTheEditsOwnOrItsEvent) {
  Show();
  Focus();
  Type(L"a");
  {
    HeldKeys tab{VK_TAB};
    ::SendMessageW(hwnd_, WM_KEYDOWN, VK_TAB, 1);
    Type(L"\t");
  }
  EXPECT_EQ(edit_->GetText(), L"a\t");
  EXPECT_EQ(window_.GetFocusControl(), edit_);
}

TEST_F(RichEditWindowTest, TabSendsTheTabEventWhenTheEditDoesNotWantIt) {
  Show(L"wanttab=\"false\"");
  const int tabs = CountEvents(kEventTab);
  Focus();
  Type(L"a");
  {
    HeldKeys tab{VK_TAB};
    Type(L"\t");
  }
  EXPECT_EQ(Events(tabs), 1);
  EXPECT_EQ(edit_->GetText(), L"a");
}

TEST_F(RichEditWindowTest, DisablingSwitchesToTheDisabledTextColour) {
  Show(L"disabledtextcolor=\"red\" normaltextcolor=\"blue\" text=\"Disabled text\"");
  EXPECT_EQ(ReddishPixels(kFirstLine), 0);
  edit_->SetEnabled(false);
  EXPECT_EQ(edit_->GetTextColor(), L"red");
  EXPECT_GT(ReddishPixels(kFirstLine), 30);
  edit_->SetEnabled(true);
  EXPECT_EQ(edit_->GetTextColor(), L"blue");
  EXPECT_EQ(ReddishPixels(kFirstLine), 0);
}

std::wstring Lines(int count) {
  std::wstring text;
  for (int i = 0; i < count; ++i) text += L"line " + std::to_wstring(i) + L"\r";
  return text;
}

TEST_F(RichEditWindowTest, TallContentShowsTheVerticalBarAndScrollsWithIt) {
  Show(L"vscrollbar=\"true\"");
  ScrollBar* bar = edit_->GetVerticalScrollBar();
  ASSERT_TRUE(bar);
  EXPECT_EQ(edit_->GetScrollRange().cy, 0);
  edit_->SetText(Lines(3));
  Drain();
  EXPECT_EQ(edit_->GetScrollRange().cy, 0);
  EXPECT_FALSE(bar->IsVisible());

  edit_->SetText(Lines(60));
  Repaint();
  EXPECT_GT(edit_->GetScrollRange().cy, 300);
  // The bar shows while the mouse is over the edit.
  ::SendMessageW(hwnd_, WM_MOUSEMOVE, 0, MAKELPARAM(50, 50));
  ASSERT_TRUE(PumpUntil([&] { return bar->IsVisible(); }, kWait));
  EXPECT_EQ(bar->GetPosition().right, 300);
  EXPECT_GT(bar->GetPosition().Width(), 0);
  const int firstLine = DarkPixels(kFirstLine);
  EXPECT_GT(firstLine, 20);

  edit_->SetScrollPos(UiSize{0, edit_->GetScrollRange().cy});
  EXPECT_EQ(edit_->GetScrollPos().cy, edit_->GetScrollRange().cy);
  POINT engine{};
  edit_->SendTextMessage(EM_GETSCROLLPOS, 0, reinterpret_cast<std::intptr_t>(&engine));
  EXPECT_EQ(engine.y, edit_->GetScrollPos().cy);
  // The bottom lines show now, in the window's last pixels of the edit.
  EXPECT_GT(DarkPixels(UiRect{0, 150, 280, 190}), 20);
}

TEST_F(RichEditWindowTest, TheEnginesOwnScrollingRepaintsTheText) {
  Show(L"vscrollbar=\"true\"");
  std::wstring text = std::wstring(40, L'W') + L"\r";
  for (int i = 0; i < 100; ++i) text += L"i\r";
  edit_->SetText(text);
  Focus();
  Key(VK_HOME);
  const int top = DarkPixels(UiRect{20, 0, 280, 12});
  EXPECT_GT(top, 60);
  // Page Down goes to the engine, which scrolls by itself.
  Key(VK_NEXT);
  EXPECT_GT(edit_->GetScrollPos().cy, 50);
  EXPECT_LT(DarkPixels(UiRect{20, 0, 280, 12}), top / 4);
}

TEST_F(RichEditWindowTest, ScrollingPastSixteenBitsReachesTheFullPosition) {
  Show(L"vscrollbar=\"true\"");
  edit_->SetText(Lines(8000));
  Drain();
  ASSERT_GT(edit_->GetScrollRange().cy, 70000);
  edit_->SetScrollPos(UiSize{0, 70000});
  EXPECT_EQ(edit_->GetScrollPos().cy, 70000);
  // The line at 70,000 pixels is at the top, not the one at 70,000 - 65,536.
  const int lineHeight = edit_->GetNaturalSize(280).cy / 8000;
  ASSERT_GT(lineHeight, 5);
  const int firstVisible = static_cast<int>(edit_->SendTextMessage(EM_GETFIRSTVISIBLELINE, 0, 0));
  EXPECT_NEAR(firstVisible, 70000 / lineHeight, 2);
}

TEST_F(RichEditWindowTest, ChineseTextThroughTheInputMethodShows) {
  UiRegistry::AddFont(L"cjk", L"WenQuanYi Micro Hei", 14, false, false, false, false);
  Show(L"font=\"cjk\"");
  Focus();
  ::SendMessageW(hwnd_, WM_IME_STARTCOMPOSITION, 0, 0);
  EXPECT_TRUE(edit_->IsImeComposing());
  // The caret is hidden while the composition window shows.
  EXPECT_FALSE(CaretShown());
  for (wchar_t c : std::wstring(L"中文")) ::SendMessageW(hwnd_, WM_IME_CHAR, c, 1);
  ::SendMessageW(hwnd_, WM_IME_ENDCOMPOSITION, 0, 0);
  ASSERT_TRUE(PumpUntil([&] { return edit_->GetText() == L"中文"; }, kWait))
      << edit_->GetText().size();
  EXPECT_FALSE(edit_->IsImeComposing());
  EXPECT_GT(DarkPixels(kFirstLine), 40);
}

TEST_F(RichEditWindowTest, APressOnALinkSendsTheLinkClickInsteadOfMovingTheCaret) {
  Show(L"text=\"see the site\"");
  edit_->AddLink(4, 12, L"http://www.vexmor.test/");
  const int clicks = CountEvents(kEventLinkClick);
  Focus();
  const UiRect caret = edit_->GetCaretRect();
  // Over "site", near the end of the text.
  POINTL at{};
  edit_->SendTextMessage(EM_POSFROMCHAR, reinterpret_cast<std::uintptr_t>(&at), 10);
  ::SendMessageW(hwnd_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x + 1, at.y + 4));
  ::SendMessageW(hwnd_, WM_LBUTTONUP, 0, MAKELPARAM(at.x + 1, at.y + 4));
  Drain();
  EXPECT_EQ(Events(clicks), 1);
  EXPECT_EQ(edit_->GetCaretRect().left, caret.left);
  // Outside the link the press places the caret.
  edit_->SendTextMessage(EM_POSFROMCHAR, reinterpret_cast<std::uintptr_t>(&at), 1);
  ::SendMessageW(hwnd_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x + 1, at.y + 4));
  ::SendMessageW(hwnd_, WM_LBUTTONUP, 0, MAKELPARAM(at.x + 1, at.y + 4));
  Drain();
  EXPECT_EQ(Events(clicks), 1);
  EXPECT_NE(edit_->GetCaretRect().left, caret.left);
}

TEST_F(RichEditWindowTest, DoubleClickInAReadOnlyEditSelectsAll) {
  Show(L"readonly=\"true\" text=\"one two three\"");
  ::SendMessageW(hwnd_, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
  ::SendMessageW(hwnd_, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  Drain();
  wchar_t selected[64] = {};
  edit_->SendTextMessage(EM_GETSELTEXT, 0, reinterpret_cast<std::intptr_t>(selected));
  EXPECT_STREQ(selected, L"one two three");
}

TEST_F(RichEditWindowTest, NaturalSizeGrowsWithLinesAndWraps) {
  Show();
  edit_->SetText(L"one line");
  const UiSize one = edit_->GetNaturalSize(280);
  EXPECT_GT(one.cy, 8);
  EXPECT_LT(one.cy, 40);
  edit_->SetText(Lines(10));
  const UiSize ten = edit_->GetNaturalSize(280);
  EXPECT_GE(ten.cy, 9 * one.cy);
  edit_->SetText(std::wstring(60, L'w') + L" " + std::wstring(60, L'w'));
  EXPECT_GT(edit_->GetNaturalSize(100).cy, 2 * one.cy);
}

// The shipped theme's thin bar shows beside text taller than the edit.
TEST(RichEditThemeTest, TallTextShowsTheThemesBarBesideIt) {
  control_test::ShippedTheme theme;
  {
    window_test::TestNativeWindow window;
    window.SetResourceSubFolder(L"skin\\");
    auto* root = new VBox();
    root->SetAttribute(L"bkcolor", L"white");
    auto* edit = new RichEdit();
    edit->ApplyAttributeList(L"vscrollbar=\"true\"");
    root->Add(edit);
    const HWND hwnd = CreateShown(&window, kWindowRect, root, false);
    ASSERT_TRUE(hwnd);
    edit->SetText(Lines(60));
    Drain();
    ScrollBar& bar = *edit->GetVerticalScrollBar();
    ::SendMessageW(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(50, 50));
    ASSERT_TRUE(PumpUntil([&] { return bar.IsVisible() && bar.GetAlpha() == 255; }, kWait));
    ::UpdateWindow(hwnd);
    EXPECT_EQ(bar.GetPosition().right, 300);
    const UiRect thumb = bar.GetThumbRect();
    const render_test::Pixel middle =
        PixelAt(*window.GetRenderContext(), 295, (thumb.top + thumb.bottom) / 2);
    EXPECT_LT(middle.r, 0xE0);
    EXPECT_EQ(PixelAt(*window.GetRenderContext(), 295, thumb.bottom + 5).r, 0xFF);
    // The text keeps clear of the bar.
    RECT text{};
    edit->SendTextMessage(EM_GETRECT, 0, reinterpret_cast<std::intptr_t>(&text));
    EXPECT_LE(text.right, bar.GetPosition().left);
    ::DestroyWindow(hwnd);
  }
}

}  // namespace
}  // namespace ui

#include "browser_host/toast.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "common/message_pump.h"
#include "common/test_data_folder.h"
#include "ui/controls/control_classes.h"
#include "ui/controls/rich_edit.h"
#include "ui/core/resources/ui_registry.h"
#include "ui/core/skin/window_builder.h"
#include "ui/render/i_render_context.h"
#include "ui/render/render_test_util.h"
#include "ui/services/timer_queue.h"

// Real toasts over a real owner window, on the program's first thread, driven by real
// messages. No UI framework thread is registered here, so the toast keeps its time on the
// thread's timer queue.

namespace {

using test_messages::Drain;
using test_messages::PumpUntil;
using vok_comp::Toast;

constexpr int kDeadlineMs = 15000;
constexpr RECT kOwnerRect{200, 150, 800, 550};

RECT WindowRect(HWND hwnd) {
  RECT rect{};
  ::GetWindowRect(hwnd, &rect);
  return rect;
}

int ToastWindows() {
  int count = 0;
  for (HWND w = ::FindWindowExW(nullptr, nullptr, L"Toast", nullptr); w;
       w = ::FindWindowExW(nullptr, w, L"Toast", nullptr)) {
    ++count;
  }
  return count;
}

class ToastTest : public ::testing::Test {
 protected:
  ToastTest() {
    ui::UiRegistry::Startup(test_data::FullPath(TARNWICK_BIN_FOLDER L"resources") + L"\\", nullptr,
                            L"themes\\default", L"lang\\zh_CN");
    ui::AddControlClasses();
    ui::WindowImplBase::SetMessageBoxFunction(
        [this](HWND, const wchar_t* text, const wchar_t*, UINT) {
          failures_.push_back(text);
          return IDOK;
        });
    owner_ =
        ::CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP | WS_VISIBLE, kOwnerRect.left,
                          kOwnerRect.top, kOwnerRect.right - kOwnerRect.left,
                          kOwnerRect.bottom - kOwnerRect.top, nullptr, nullptr, nullptr, nullptr);
  }

  ~ToastTest() override {
    for (HWND w = ::FindWindowExW(nullptr, nullptr, L"Toast", nullptr); w;
         w = ::FindWindowExW(nullptr, nullptr, L"Toast", nullptr)) {
      ::DestroyWindow(w);
    }
    ::DestroyWindow(owner_);
    Drain();
    ui::WindowImplBase::SetSkinBuilder(nullptr);
    ui::WindowImplBase::SetMessageBoxFunction(nullptr);
    ui::UiRegistry::Shutdown();
  }

  // Builds toasts from a test layout instead of the theme's.
  void UseLayout(const std::wstring& file) {
    const std::wstring path = test_data::Folder() + L"browser_host\\skins\\toast\\" + file;
    ui::WindowImplBase::SetSkinBuilder(
        [path](const std::wstring&, ui::CreateControlCallback create, ui::Window* window) {
          return ui::WindowBuilder().Build(path.c_str(), create, window);
        });
  }

  Toast* Show(const std::wstring& text) {
    Toast* toast = Toast::ShowToast(text, owner_);
    if (toast) {
      hwnd_ = toast->GetHWND();
      ::UpdateWindow(hwnd_);
      Drain();
    }
    return toast;
  }

  bool Gone() const { return !::IsWindow(hwnd_); }

  // Light, opaque pixels of the toast's surface inside the content control: its white text,
  // which must not be holes in the layered window.
  int TextPixels(Toast* toast) {
    ::RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    ui::IRenderContext* context = toast->GetRenderContext();
    const ui::UiRect area = toast->GetContentControl()->GetPosition();
    int light = 0;
    for (int y = area.top; y < area.bottom; ++y) {
      for (int x = area.left; x < area.right; ++x) {
        const render_test::Pixel p = render_test::PixelAt(*context, x, y);
        if (p.r > 180 && p.g > 180 && p.b > 180 && p.a == 255) ++light;
      }
    }
    return light;
  }

  // The real cursor goes there too: the window tracks it and reports its leaving.
  void MouseMoveTo(POINT client) {
    const LPARAM at = MAKELPARAM(client.x, client.y);
    ::ClientToScreen(hwnd_, &client);
    ::SetCursorPos(client.x, client.y);
    ::SendMessageW(hwnd_, WM_MOUSEMOVE, 0, at);
  }

  void MouseLeaveWithCursorAt(POINT client) {
    ::ClientToScreen(hwnd_, &client);
    ::SetCursorPos(client.x, client.y);
    ::SendMessageW(hwnd_, WM_MOUSELEAVE, 0, 0);
    Drain();
  }

  HWND owner_ = nullptr;
  HWND hwnd_ = nullptr;
  std::vector<std::wstring> failures_;
};

TEST_F(ToastTest, ShowsTheTextCentredOverItsOwnerAndClosesAfterThreeSeconds) {
  const auto shown = std::chrono::steady_clock::now();
  Toast* toast = Show(L"Saved.");
  ASSERT_TRUE(toast);
  ASSERT_TRUE(toast->GetContentControl());
  EXPECT_TRUE(::IsWindowVisible(hwnd_));
  EXPECT_EQ(::GetWindow(hwnd_, GW_OWNER), owner_);
  EXPECT_EQ(toast->GetContentControl()->GetText(), L"Saved.");
  const RECT r = WindowRect(hwnd_);
  EXPECT_NEAR((r.left + r.right) / 2, (kOwnerRect.left + kOwnerRect.right) / 2, 1);
  EXPECT_NEAR((r.top + r.bottom) / 2, (kOwnerRect.top + kOwnerRect.bottom) / 2, 1);
  EXPECT_EQ(r.right - r.left, 320);
  EXPECT_GT(TextPixels(toast), 15);

  ASSERT_TRUE(PumpUntil([&] { return Gone(); }, kDeadlineMs));
  const auto lived = std::chrono::steady_clock::now() - shown;
  EXPECT_GE(std::chrono::duration_cast<std::chrono::milliseconds>(lived).count(), 2950);
  EXPECT_EQ(Toast::FindForOwner(owner_), nullptr);
}

TEST_F(ToastTest, ALongTextMakesItTallerAndOneLineKeepsOneLine) {
  Toast* toast = Show(L"One line.");
  ASSERT_TRUE(toast);
  const int oneLine = toast->GetContentControl()->GetFixedHeight();
  EXPECT_GT(oneLine, 10);
  EXPECT_LT(oneLine, 40);
  const int shortHeight = WindowRect(hwnd_).bottom - WindowRect(hwnd_).top;

  std::wstring text;
  for (int i = 0; i < 40; ++i) text += L"A rather long message. ";
  toast->SetContent(text);
  Drain();
  const int tall = toast->GetContentControl()->GetFixedHeight();
  EXPECT_GT(tall, 4 * oneLine);
  EXPECT_EQ(WindowRect(hwnd_).bottom - WindowRect(hwnd_).top, shortHeight + tall - oneLine);
}

TEST_F(ToastTest, TheCloseButtonFadesInOverTheToastAndOutWhenTheMouseLeaves) {
  Toast* toast = Show(L"Hover me.");
  ASSERT_TRUE(toast);
  ui::Control* button = toast->GetCloseButton();
  ASSERT_TRUE(button);
  EXPECT_FALSE(button->IsVisible());

  MouseMoveTo(POINT{20, 20});
  ASSERT_TRUE(
      PumpUntil([&] { return button->IsVisible() && button->GetAlpha() == 255; }, kDeadlineMs));
  // Still inside: the button stays.
  MouseLeaveWithCursorAt(POINT{20, 20});
  EXPECT_TRUE(button->IsVisible());
  // Outside.
  MouseLeaveWithCursorAt(POINT{-30, 20});
  ASSERT_TRUE(PumpUntil([&] { return !button->IsVisible(); }, kDeadlineMs));

  // Over the one-pixel border counts as outside.
  MouseMoveTo(POINT{20, 20});
  ASSERT_TRUE(
      PumpUntil([&] { return button->IsVisible() && button->GetAlpha() == 255; }, kDeadlineMs));
  MouseLeaveWithCursorAt(POINT{0, 20});
  ASSERT_TRUE(PumpUntil([&] { return !button->IsVisible(); }, kDeadlineMs));
}

enum class Dismissal { kEscape, kDoubleClick, kCloseButton };

class ToastDismissTest : public ToastTest, public ::testing::WithParamInterface<Dismissal> {};

TEST_P(ToastDismissTest, ClosesAtOnce) {
  Toast* toast = Show(L"Dismiss me.");
  ASSERT_TRUE(toast);
  switch (GetParam()) {
    case Dismissal::kEscape:
      ::SendMessageW(hwnd_, WM_KEYDOWN, VK_ESCAPE, 1);
      break;
    case Dismissal::kDoubleClick:
      ::SendMessageW(hwnd_, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(30, 30));
      break;
    case Dismissal::kCloseButton: {
      ui::Control* button = toast->GetCloseButton();
      MouseMoveTo(POINT{20, 20});
      ASSERT_TRUE(PumpUntil([&] { return button->GetAlpha() == 255; }, kDeadlineMs));
      const ui::UiRect r = button->GetPosition();
      const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
      ::SendMessageW(hwnd_, WM_MOUSEMOVE, 0, at);
      ::SendMessageW(hwnd_, WM_LBUTTONDOWN, MK_LBUTTON, at);
      ::SendMessageW(hwnd_, WM_LBUTTONUP, 0, at);
      break;
    }
  }
  // Closing waits for the close fade.
  ASSERT_TRUE(PumpUntil([&] { return Gone(); }, kDeadlineMs));
  // The three-second timer comes due afterwards and finds nothing to close.
  ASSERT_TRUE(
      PumpUntil([] { return ui::TimerQueue::Instance().PendingCount() == 0; }, kDeadlineMs));
  EXPECT_EQ(ToastWindows(), 0);
}

INSTANTIATE_TEST_SUITE_P(Ways, ToastDismissTest,
                         ::testing::Values(Dismissal::kEscape, Dismissal::kDoubleClick,
                                           Dismissal::kCloseButton));

TEST_F(ToastTest, AnOwnerHasOneToastAtATimeWhateverAPageSends) {
  Toast* first = Show(L"first");
  ASSERT_TRUE(first);
  for (int i = 0; i < 500; ++i) Toast::ShowToast(L"message " + std::to_wstring(i), owner_);
  Drain();
  EXPECT_EQ(ToastWindows(), 1);
  EXPECT_EQ(Toast::FindForOwner(owner_), first);
  EXPECT_EQ(first->GetContentControl()->GetText(), L"message 499");
}

TEST_F(ToastTest, APageMessageIsPlainTextEvenWhenTheLayoutAsksForRichText) {
  UseLayout(L"rich.xml");
  const std::wstring text = L"{\\rtf1 {\\b bold} text}";
  Toast* toast = Show(text);
  ASSERT_TRUE(toast);
  EXPECT_FALSE(toast->GetContentControl()->IsRich());
  EXPECT_EQ(toast->GetContentControl()->GetText(), text);
}

TEST_F(ToastTest, ALayoutWithoutItsControlsStillShowsAndCloses) {
  UseLayout(L"bare.xml");
  Toast* toast = Show(L"nowhere to go");
  ASSERT_TRUE(toast);
  EXPECT_EQ(toast->GetContentControl(), nullptr);
  EXPECT_EQ(toast->GetCloseButton(), nullptr);
  MouseMoveTo(POINT{5, 5});
  MouseLeaveWithCursorAt(POINT{-30, 5});
  ::SendMessageW(hwnd_, WM_KEYDOWN, VK_ESCAPE, 1);
  ASSERT_TRUE(PumpUntil([&] { return Gone(); }, kDeadlineMs));
}

class ToastWidthTest : public ToastTest, public ::testing::WithParamInterface<const wchar_t*> {};

TEST_P(ToastWidthTest, ATextControlWithoutAFixedWidthKeepsWholeWordsOnALine) {
  UseLayout(GetParam());
  Toast* toast = Show(L"One short line");
  ASSERT_TRUE(toast);
  const int height = toast->GetContentControl()->GetFixedHeight();
  EXPECT_GT(height, 5);
  // One character per line would be many times that.
  EXPECT_LT(height, 40);
}

INSTANTIATE_TEST_SUITE_P(Layouts, ToastWidthTest, ::testing::Values(L"stretch.xml", L"auto.xml"));

TEST_F(ToastTest, AToastWhoseWindowCannotBeMadeIsFreedAndLeavesNothing) {
  ui::WindowImplBase::SetSkinBuilder([](const std::wstring&, ui::CreateControlCallback,
                                        ui::Window*) -> ui::Control* { return nullptr; });
  EXPECT_EQ(Toast::ShowToast(L"lost", owner_), nullptr);
  EXPECT_EQ(failures_.size(), 1u);
  EXPECT_EQ(ToastWindows(), 0);
  EXPECT_EQ(Toast::FindForOwner(owner_), nullptr);
  // The next one works.
  ui::WindowImplBase::SetSkinBuilder(nullptr);
  EXPECT_TRUE(Show(L"found"));
}

}  // namespace

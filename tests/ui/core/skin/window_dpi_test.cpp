// Skinned windows on a scaled screen: built from a layout at the scaler's percentage, and
// carried over to a new one by the system's DPI-change message, with the rectangle the
// system suggests. The scaler is set directly: the screen's real DPI is shared by every
// test program.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "common/test_data_folder.h"
#include "ui/controls/control_classes.h"
#include "ui/controls/label.h"
#include "ui/core/resources/dpi_scaler.h"
#include "ui/core/skin/window_impl_base.h"
#include "ui/core/tree/control_test_util.h"
#include "ui/core/window/window_test_util.h"
#include "ui/render/i_render_context.h"

namespace ui {
namespace {

using control_test::UiScope;
using window_test::Drain;

constexpr UINT kDpiChanged = 0x02E0;
constexpr uint32_t kRed = 0xFF0000;
constexpr uint32_t kWhite = 0xFFFFFF;

// The window of tests/data/ui/core/skins/frame/scaled.xml, without a shadow.
class ScaledWindow : public WindowImplBase {
 public:
  std::wstring GetWindowClassName() const override { return L"TarnwickDpiTest"; }
  std::wstring GetSkinFolder() override { return L"frame"; }
  std::wstring GetSkinFile() override { return L"scaled.xml"; }
};

class WindowDpiTest : public ::testing::Test {
 protected:
  WindowDpiTest() {
    AddControlClasses();
    UiRegistry::SetResourcePath(test_data::Folder() + L"ui\\core\\skins\\");
    UiRegistry::AddTextColor(L"white", L"#FFFFFFFF");
    UiRegistry::AddTextColor(L"red", L"#FFFF0000");
  }
  ~WindowDpiTest() override {
    for (ScaledWindow* window : windows_) {
      if (::IsWindow(window->GetHWND())) ::DestroyWindow(window->GetHWND());
    }
    Drain();
    Scaler().SetEnabled(false);
    Scaler().SetPercent(100);
  }

  static DpiScaler& Scaler() { return UiRegistry::GetDpiScaler(); }

  void ScaleAt(bool enabled, int percent) {
    Scaler().SetEnabled(enabled);
    Scaler().SetPercent(percent);
  }

  ScaledWindow* Create(int x = 0, int y = 0) {
    auto* window = new ScaledWindow();
    window->GetShadow().SetAttached(false);
    if (!window->CreateNativeWindow(nullptr, L"scaled", WS_POPUP, 0, false,
                                    UiRect{x, y, x + 10, y + 10})) {
      return nullptr;
    }
    windows_.push_back(window);
    ::SetWindowPos(window->GetHWND(), nullptr, x, y, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::ShowWindow(window->GetHWND(), SW_SHOWNOACTIVATE);
    ::UpdateWindow(window->GetHWND());
    return window;
  }

  // The system's message for a new DPI, with the rectangle it suggests.
  static void SendDpiChange(Window* window, int dpi, RECT suggested) {
    ::SendMessageW(window->GetHWND(), kDpiChanged, MAKEWPARAM(dpi, dpi),
                   reinterpret_cast<LPARAM>(&suggested));
    ::UpdateWindow(window->GetHWND());
  }

  static RECT WindowRect(const Window* window) {
    RECT rect{};
    ::GetWindowRect(window->GetHWND(), &rect);
    return rect;
  }

  static UiRect MarkerOf(Window* window) {
    return window->FindControlByName(L"marker")->GetPosition();
  }

  // The colour the window painted at a client point, read back from its drawing surface.
  static uint32_t PixelAt(Window* window, int x, int y) {
    IRenderContext* surface = window->GetRenderContext();
    const auto* bits = static_cast<const uint32_t*>(surface->GetPixelBits());
    return bits[y * surface->GetWidth() + x] & 0xFFFFFF;
  }

  std::vector<ScaledWindow*> windows_;
  UiScope ui_;
};

TEST_F(WindowDpiTest, AtAHundredPercentTheWindowHasItsLayoutsSize) {
  ScaledWindow* window = Create();
  ASSERT_TRUE(window);
  const RECT rect = WindowRect(window);
  EXPECT_EQ(rect.right - rect.left, 200);
  EXPECT_EQ(rect.bottom - rect.top, 100);
  EXPECT_EQ(MarkerOf(window), (UiRect{20, 10, 60, 30}));
  EXPECT_EQ(PixelAt(window, 25, 15), kRed);
  EXPECT_EQ(PixelAt(window, 65, 15), kWhite);
}

TEST_F(WindowDpiTest, AtOneHundredFiftyPercentEveryLayoutLengthIsOneAndAHalfTimes) {
  ScaleAt(true, 150);
  ScaledWindow* window = Create();
  ASSERT_TRUE(window);
  const RECT rect = WindowRect(window);
  EXPECT_EQ(rect.right - rect.left, 300);
  EXPECT_EQ(rect.bottom - rect.top, 150);
  EXPECT_EQ(MarkerOf(window), (UiRect{30, 15, 90, 45}));
  EXPECT_EQ(window->caption, (UiRect{0, 0, 0, 30}));
  EXPECT_EQ(window->roundCorner, (UiSize{6, 6}));
  const auto* label = static_cast<Label*>(window->FindControlByName(L"label"));
  EXPECT_EQ(label->GetTextPadding(), (UiRect{9, 3, 9, 3}));
  EXPECT_EQ(PixelAt(window, 31, 16), kRed);
  EXPECT_EQ(PixelAt(window, 89, 44), kRed);
  EXPECT_EQ(PixelAt(window, 29, 16), kWhite);
  EXPECT_EQ(PixelAt(window, 91, 44), kWhite);
  EXPECT_EQ(window->HitTest(UiPoint{150, 25}), HTCAPTION);
}

TEST_F(WindowDpiTest, ADpiChangeTakesTheSuggestedRectangleAndRescalesTheContent) {
  ScaleAt(true, 150);
  ScaledWindow* window = Create(10, 20);
  ASSERT_TRUE(window);
  ASSERT_EQ(PixelAt(window, 35, 17), kRed);
  SendDpiChange(window, 192, RECT{40, 50, 440, 250});
  EXPECT_EQ(Scaler().percent(), 200);
  const RECT rect = WindowRect(window);
  EXPECT_EQ(rect.left, 40);
  EXPECT_EQ(rect.top, 50);
  EXPECT_EQ(rect.right, 440);
  EXPECT_EQ(rect.bottom, 250);
  EXPECT_EQ(MarkerOf(window), (UiRect{40, 20, 120, 60}));
  EXPECT_EQ(window->caption, (UiRect{0, 0, 0, 40}));
  const auto* label = static_cast<Label*>(window->FindControlByName(L"label"));
  EXPECT_EQ(label->GetTextPadding(), (UiRect{12, 4, 12, 4}));
  EXPECT_EQ(label->GetFixedHeight(), 40);
  // The marker is painted at its new place: where it was is white now.
  EXPECT_EQ(PixelAt(window, 41, 21), kRed);
  EXPECT_EQ(PixelAt(window, 119, 59), kRed);
  EXPECT_EQ(PixelAt(window, 35, 17), kWhite);
  EXPECT_EQ(PixelAt(window, 121, 40), kWhite);
  // And back to a hundred percent.
  SendDpiChange(window, 96, RECT{40, 50, 240, 150});
  EXPECT_EQ(MarkerOf(window), (UiRect{20, 10, 60, 30}));
  EXPECT_EQ(PixelAt(window, 25, 15), kRed);
  EXPECT_EQ(PixelAt(window, 65, 15), kWhite);
}

// The scale is shared, but each window carries its own content over from where it was.
TEST_F(WindowDpiTest, EveryWindowOfTheScreenRescalesOnItsOwnMessage) {
  ScaleAt(true, 150);
  ScaledWindow* first = Create(0, 0);
  ScaledWindow* second = Create(320, 0);
  ASSERT_TRUE(first && second);
  SendDpiChange(first, 192, RECT{0, 0, 400, 200});
  SendDpiChange(second, 192, RECT{420, 0, 820, 200});
  EXPECT_EQ(MarkerOf(first), (UiRect{40, 20, 120, 60}));
  EXPECT_EQ(MarkerOf(second), (UiRect{40, 20, 120, 60}));
  EXPECT_EQ(PixelAt(second, 41, 21), kRed);
}

TEST_F(WindowDpiTest, ADpiChangeRemakesTheFontsAtTheNewScale) {
  ScaleAt(true, 150);
  ASSERT_TRUE(UiRegistry::AddFont(L"dpi", L"Arial", 12, false, false, false, false));
  auto heightOf = [] {
    LOGFONTW font{};
    ::GetObjectW(UiRegistry::GetFont(L"dpi")->handle, sizeof(font), &font);
    return font.lfHeight;
  };
  EXPECT_EQ(heightOf(), -18);
  ScaledWindow* window = Create();
  ASSERT_TRUE(window);
  SendDpiChange(window, 192, RECT{0, 0, 400, 200});
  EXPECT_EQ(heightOf(), -24);
  EXPECT_EQ(UiRegistry::GetFont(L"dpi")->size, 12);
}

TEST_F(WindowDpiTest, UnscaledAWindowKeepsItsSizeAndContentAndOnlyMoves) {
  ScaleAt(false, 100);
  ScaledWindow* window = Create(10, 20);
  ASSERT_TRUE(window);
  SendDpiChange(window, 144, RECT{40, 50, 340, 200});
  EXPECT_EQ(Scaler().percent(), 100);
  const RECT rect = WindowRect(window);
  EXPECT_EQ(rect.left, 40);
  EXPECT_EQ(rect.top, 50);
  EXPECT_EQ(rect.right - rect.left, 200);
  EXPECT_EQ(rect.bottom - rect.top, 100);
  EXPECT_EQ(MarkerOf(window), (UiRect{20, 10, 60, 30}));
  EXPECT_EQ(PixelAt(window, 25, 15), kRed);
  EXPECT_EQ(PixelAt(window, 65, 15), kWhite);
}

}  // namespace
}  // namespace ui

#include "live_view.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "common/message_pump.h"
#include "runtime/string_util.h"
#include "skin_tool.h"
#include "ui/core/resources/ui_registry.h"
#include "ui/core/window/window.h"
#include "ui/render/i_render_context.h"

namespace {

constexpr int kEventTimeoutMs = 30000;
const char kGlobal[] =
    "<Global><TextColor name=\"red\" value=\"#FFFF0000\"/><TextColor name=\"blue\" "
    "value=\"#FF0000FF\"/><TextColor name=\"green\" value=\"#FF00FF00\"/>"
    "<TextColor name=\"main\" value=\"#FFFF0000\"/></Global>";

std::string Layout(const std::string& colour) {
  return "<Window size=\"240,160\"><VBox name=\"body\" bkcolor=\"" + colour +
         "\"><Control name=\"swatch\" width=\"40\" height=\"30\" bkcolor=\"green\"/></VBox>"
         "</Window>";
}

// A theme laid out as the client's in a fresh folder: resources\themes\default\ with its
// global style and a skin folder holding the layout.
class LiveViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    static int serial = 0;
    base_ = std::wstring(temp) + L"tarnwick_live_" + std::to_wstring(::GetCurrentProcessId()) +
            L"_" + std::to_wstring(++serial) + L"\\";
    for (const wchar_t* folder :
         {L"", L"resources", L"resources\\themes", L"resources\\themes\\default",
          L"resources\\themes\\default\\skin"}) {
      ASSERT_TRUE(::CreateDirectoryW((base_ + folder).c_str(), nullptr));
      folders_.push_back(base_ + folder);
    }
    Write(L"global.xml", kGlobal);
    layout_ = Write(L"skin\\main.xml", Layout("red"));
    ui::UiRegistry::Startup(base_ + L"resources\\", nullptr, L"themes\\default", L"lang\\zh_CN");
  }

  void TearDown() override {
    view_.reset();
    test_messages::Drain();
    ui::UiRegistry::Shutdown();
    for (const std::wstring& file : files_) ::DeleteFileW(file.c_str());
    for (auto it = folders_.rbegin(); it != folders_.rend(); ++it) ::RemoveDirectoryW(it->c_str());
  }

  std::wstring Theme() const { return base_ + L"resources\\themes\\default\\"; }

  std::wstring Write(const std::wstring& relative, const std::string& bytes) {
    const std::wstring path = Theme() + relative;
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
    files_.push_back(path);
    return path;
  }

  // Saves as editors do: the new text into a temporary file, in two writes, then renamed
  // over the layout.
  void SaveByRename(const std::string& bytes) {
    const std::wstring temporary = Theme() + L"skin\\main.xml.tmp";
    HANDLE file = ::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    const size_t half = bytes.size() / 2;
    ::WriteFile(file, bytes.data(), static_cast<DWORD>(half), &written, nullptr);
    ::FlushFileBuffers(file);
    ::WriteFile(file, bytes.data() + half, static_cast<DWORD>(bytes.size() - half), &written,
                nullptr);
    ::CloseHandle(file);
    ASSERT_TRUE(::MoveFileExW(temporary.c_str(), layout_.c_str(), MOVEFILE_REPLACE_EXISTING));
  }

  void Open() {
    LiveView::Options options;
    options.where = SkinLocation::Find(layout_, std::wstring(), std::wstring());
    view_ = std::make_unique<LiveView>(
        options, [this](const LiveView::Event& event) { events_.push_back(event); });
    ASSERT_TRUE(view_->Open());
  }

  int Count(LiveView::Event::Kind kind) const {
    int count = 0;
    for (const LiveView::Event& event : events_) count += event.kind == kind ? 1 : 0;
    return count;
  }
  // Runs the messages until the view has reported that many events of the kind.
  bool WaitFor(LiveView::Event::Kind kind, int count) {
    return test_messages::PumpUntil([&] { return Count(kind) >= count; }, kEventTimeoutMs);
  }

  // The colour the window's surface holds at a point of its visible area, as 0xRRGGBB.
  uint32_t ViewColourAt(int x, int y) const {
    ui::Window* window = view_->View();
    if (!window || !window->GetRenderContext()) return 0xDEAD;
    ui::IRenderContext* surface = window->GetRenderContext();
    const ui::UiRect band =
        window->GetShadow().IsAttached() ? window->GetShadow().GetCorner() : ui::UiRect{};
    const auto* bits = static_cast<const uint32_t*>(surface->GetPixelBits());
    return bits[(band.top + y) * surface->GetWidth() + band.left + x] & 0xFFFFFF;
  }

  // The colour the bar draws at a point, read back from its own painting.
  uint32_t BarColourAt(int x, int y) const {
    const HWND bar = view_->Bar().Handle();
    RECT client{};
    ::GetClientRect(bar, &client);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = client.right;
    info.bmiHeader.biHeight = -client.bottom;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    const HDC dc = ::CreateCompatibleDC(nullptr);
    const HBITMAP bitmap = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ old = ::SelectObject(dc, bitmap);
    ::SendMessageW(bar, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    ::GdiFlush();
    const uint32_t pixel = static_cast<const uint32_t*>(bits)[y * client.right + x] & 0xFFFFFF;
    ::SelectObject(dc, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(dc);
    return pixel;
  }

  // The line `skintool check` prints first for the layout.
  std::wstring CheckLine() {
    std::vector<std::wstring> lines;
    SkinTool tool([&](const std::wstring& line) { lines.push_back(line); },
                  [](const std::wstring&) {});
    tool.Run({L"check", SkinLocation::Find(layout_, std::wstring(), std::wstring()).layout});
    return lines.empty() ? std::wstring() : lines.front();
  }

  std::wstring base_;
  std::wstring layout_;
  std::vector<std::wstring> files_;
  std::vector<std::wstring> folders_;
  std::unique_ptr<LiveView> view_;
  std::vector<LiveView::Event> events_;
};

using Kind = LiveView::Event::Kind;
constexpr uint32_t kRed = 0xFF0000;
constexpr uint32_t kBlue = 0x0000FF;
constexpr uint32_t kGreen = 0x00FF00;

TEST_F(LiveViewTest, ASaveRebuildsTheWindowInItsPlace) {
  Open();
  ASSERT_TRUE(WaitFor(Kind::kLoaded, 1));
  EXPECT_EQ(ViewColourAt(120, 100), kRed);
  EXPECT_EQ(ViewColourAt(10, 10), kGreen);
  EXPECT_FALSE(view_->Bar().IsShown());
  const HWND first = view_->View()->GetHWND();
  ::SetWindowPos(first, nullptr, 130, 70, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  RECT before{};
  ::GetWindowRect(first, &before);

  Write(L"skin\\main.xml", Layout("blue"));
  ASSERT_TRUE(WaitFor(Kind::kReloaded, 1));
  EXPECT_EQ(ViewColourAt(120, 100), kBlue);
  RECT after{};
  ::GetWindowRect(view_->View()->GetHWND(), &after);
  EXPECT_EQ(after.left, before.left);
  EXPECT_EQ(after.top, before.top);
  // The tree is built again inside the same window: nothing new flashes up on the screen.
  EXPECT_EQ(view_->View()->GetHWND(), first);
  EXPECT_TRUE(::IsWindowVisible(first));
  EXPECT_GT(events_.back().milliseconds, 0.0);
}

// A 1 x 1 bitmap of one colour, 0xRRGGBB.
std::string OnePixelBitmap(uint32_t colour) {
  const unsigned char header[] = {'B', 'M', 58, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0,
                                  1,   0,   0,  0, 1, 0, 0, 0, 1, 0, 24, 0, 0, 0, 0,  0, 4, 0,
                                  0,   0,   0,  0, 0, 0, 0, 0, 0, 0, 0,  0, 0, 0, 0,  0, 0, 0};
  static_assert(sizeof(header) == 54, "a bitmap's headers");
  std::string bytes(reinterpret_cast<const char*>(header), sizeof(header));
  // One row: blue, green, red, padded to four bytes.
  bytes += static_cast<char>(colour & 0xFF);
  bytes += static_cast<char>((colour >> 8) & 0xFF);
  bytes += static_cast<char>((colour >> 16) & 0xFF);
  bytes += '\0';
  return bytes;
}

// Images that did not change stay decoded across rebuilds; one that changed is read again,
// and a size the layout changes is taken without moving the window.
TEST_F(LiveViewTest, AChangedImageAndANewSizeAreShown) {
  Write(L"skin\\dot.bmp", OnePixelBitmap(kGreen));
  Write(L"skin\\main.xml",
        "<Window size=\"240,160\"><VBox bkcolor=\"red\"><Control width=\"40\" height=\"30\" "
        "bkimage=\"dot.bmp\"/></VBox></Window>");
  Open();
  ASSERT_TRUE(WaitFor(Kind::kLoaded, 1));
  EXPECT_EQ(ViewColourAt(10, 10), kGreen);
  const HWND hwnd = view_->View()->GetHWND();
  RECT before{};
  ::GetWindowRect(hwnd, &before);

  Write(L"skin\\dot.bmp", OnePixelBitmap(kBlue));
  ASSERT_TRUE(WaitFor(Kind::kReloaded, 1));
  EXPECT_EQ(ViewColourAt(10, 10), kBlue);
  EXPECT_EQ(ViewColourAt(120, 100), kRed);

  Write(L"skin\\main.xml",
        "<Window size=\"300,200\"><VBox bkcolor=\"green\"><Control width=\"40\" "
        "height=\"30\" bkimage=\"dot.bmp\"/></VBox></Window>");
  ASSERT_TRUE(WaitFor(Kind::kReloaded, 2));
  RECT after{};
  ::GetWindowRect(view_->View()->GetHWND(), &after);
  EXPECT_EQ(after.left, before.left);
  EXPECT_EQ(after.top, before.top);
  EXPECT_EQ(after.right - after.left, before.right - before.left + 60);
  EXPECT_EQ(after.bottom - after.top, before.bottom - before.top + 40);
  EXPECT_EQ(ViewColourAt(10, 10), kBlue);
  EXPECT_EQ(ViewColourAt(290, 190), kGreen);
}

// An editor's save in steps (a temporary file written in two parts, then renamed over the
// layout) rebuilds once, from the finished file. A later save marks the end: by then any
// second rebuild of the first save would have come.
TEST_F(LiveViewTest, ASaveByRenameRebuildsOnceFromTheFinishedFile) {
  Open();
  ASSERT_TRUE(WaitFor(Kind::kLoaded, 1));
  SaveByRename(Layout("blue"));
  ASSERT_TRUE(WaitFor(Kind::kReloaded, 1));
  EXPECT_EQ(ViewColourAt(120, 100), kBlue);
  EXPECT_EQ(Count(Kind::kFailed), 0);
  Write(L"skin\\main.xml", Layout("green"));
  ASSERT_TRUE(WaitFor(Kind::kReloaded, 2));
  EXPECT_EQ(ViewColourAt(120, 100), kGreen);
  EXPECT_EQ(Count(Kind::kReloaded), 2);
  EXPECT_EQ(Count(Kind::kFailed), 0);
}

TEST_F(LiveViewTest, ABrokenSaveKeepsTheLastGoodWindowUnderABar) {
  Open();
  ASSERT_TRUE(WaitFor(Kind::kLoaded, 1));
  const HWND good = view_->View()->GetHWND();

  Write(L"skin\\main.xml", "<Window size=\"240,160\"><VBox bkcolor=\"blue\"</Window>");
  ASSERT_TRUE(WaitFor(Kind::kFailed, 1));
  EXPECT_EQ(view_->View()->GetHWND(), good);
  EXPECT_EQ(ViewColourAt(120, 100), kRed);
  ASSERT_TRUE(view_->Bar().IsShown());
  EXPECT_TRUE(::IsWindowVisible(view_->Bar().Handle()));
  const std::wstring line = CheckLine();
  EXPECT_NE(line.find(L": FAIL, Error while parsing attributes, at \"</Window>\""),
            std::wstring::npos)
      << kbase::WideToUtf8(line);
  EXPECT_EQ(view_->Bar().Text(), line);
  EXPECT_EQ(events_.back().failures, std::vector<std::wstring>{line});
  EXPECT_EQ(BarColourAt(2, 2), static_cast<uint32_t>(GetRValue(StatusBar::kFailureColor) << 16 |
                                                     GetGValue(StatusBar::kFailureColor) << 8 |
                                                     GetBValue(StatusBar::kFailureColor)));
  // The bar lies across the top of the visible window.
  RECT bar{};
  ::GetWindowRect(view_->Bar().Handle(), &bar);
  ui::Window* window = view_->View();
  RECT visible{};
  ::GetWindowRect(window->GetHWND(), &visible);
  const ui::UiRect band = window->GetShadow().GetCorner();
  EXPECT_EQ(bar.left, visible.left + band.left);
  EXPECT_EQ(bar.top, visible.top + band.top);

  Write(L"skin\\main.xml", Layout("green"));
  ASSERT_TRUE(WaitFor(Kind::kReloaded, 1));
  EXPECT_EQ(ViewColourAt(120, 100), kGreen);
  EXPECT_FALSE(view_->Bar().IsShown());
  EXPECT_FALSE(::IsWindowVisible(view_->Bar().Handle()));
}

// What the builder would not make (an unknown class, a missing image) is a failure too,
// with check's line; the image's arrival is a change of its own.
TEST_F(LiveViewTest, UnknownClassesAndMissingImagesAreFailures) {
  Open();
  ASSERT_TRUE(WaitFor(Kind::kLoaded, 1));
  Write(L"skin\\main.xml",
        "<Window size=\"240,160\"><VBox bkcolor=\"blue\"><Gizmo/></VBox></Window>");
  ASSERT_TRUE(WaitFor(Kind::kFailed, 1));
  EXPECT_EQ(view_->Bar().Text(), CheckLine());
  EXPECT_NE(view_->Bar().Text().find(L"unknown class \"Gizmo\""), std::wstring::npos);
  EXPECT_EQ(ViewColourAt(120, 100), kRed);

  Write(L"skin\\main.xml",
        "<Window size=\"240,160\"><VBox bkcolor=\"blue\" bkimage=\"dot.bmp\"/></Window>");
  ASSERT_TRUE(WaitFor(Kind::kFailed, 2));
  EXPECT_NE(view_->Bar().Text().find(L"missing image \"dot.bmp\""), std::wstring::npos);
  // A 1 x 1 green bitmap arrives.
  const unsigned char bmp[] = {'B', 'M', 58, 0, 0, 0, 0, 0, 0,  0, 54, 0, 0, 0, 40, 0,   0, 0, 1, 0,
                               0,   0,   1,  0, 0, 0, 1, 0, 24, 0, 0,  0, 0, 0, 4,  0,   0, 0, 0, 0,
                               0,   0,   0,  0, 0, 0, 0, 0, 0,  0, 0,  0, 0, 0, 0,  255, 0, 0};
  Write(L"skin\\dot.bmp", std::string(reinterpret_cast<const char*>(bmp), sizeof(bmp)));
  ASSERT_TRUE(WaitFor(Kind::kReloaded, 1));
  EXPECT_FALSE(view_->Bar().IsShown());
}

TEST_F(LiveViewTest, TheThemesGlobalStyleIsWatched) {
  Open();
  ASSERT_TRUE(WaitFor(Kind::kLoaded, 1));
  Write(L"skin\\main.xml", Layout("main"));
  ASSERT_TRUE(WaitFor(Kind::kReloaded, 1));
  EXPECT_EQ(ViewColourAt(120, 100), kRed);
  std::string global = kGlobal;
  global.replace(global.find("\"main\" value=\"#FFFF0000\""), 24, "\"main\" value=\"#FF0000FF\"");
  Write(L"global.xml", global);
  ASSERT_TRUE(WaitFor(Kind::kReloaded, 2));
  EXPECT_EQ(ViewColourAt(120, 100), kBlue);
}

TEST_F(LiveViewTest, CtrlOverAControlNamesIt) {
  Open();
  ASSERT_TRUE(WaitFor(Kind::kLoaded, 1));
  ui::Window* window = view_->View();
  const ui::UiRect band = window->GetShadow().GetCorner();
  const LPARAM overSwatch = MAKELPARAM(band.left + 10, band.top + 10);
  ::SendMessageW(window->GetHWND(), WM_MOUSEMOVE, MK_CONTROL, overSwatch);
  ASSERT_TRUE(view_->Bar().IsShown());
  EXPECT_EQ(view_->Bar().GetKind(), StatusBar::Kind::kInspection);
  EXPECT_EQ(view_->Bar().Text(), L"\"swatch\"  Control  0,0 - 40,30  (40 x 30)");
  const LPARAM overBody = MAKELPARAM(band.left + 120, band.top + 100);
  ::SendMessageW(window->GetHWND(), WM_MOUSEMOVE, MK_CONTROL, overBody);
  EXPECT_EQ(view_->Bar().Text(), L"\"body\"  VBox  0,0 - 240,160  (240 x 160)");
  ::SendMessageW(window->GetHWND(), WM_MOUSEMOVE, 0, overBody);
  EXPECT_FALSE(view_->Bar().IsShown());
}

TEST_F(LiveViewTest, ClosingTheWindowEndsTheView) {
  Open();
  ASSERT_TRUE(WaitFor(Kind::kLoaded, 1));
  ::PostMessageW(view_->View()->GetHWND(), WM_CLOSE, 0, 0);
  ASSERT_TRUE(WaitFor(Kind::kClosed, 1));
  EXPECT_EQ(view_->View(), nullptr);
}

// A layout that never loaded opens an empty window under the bar; its first good save
// brings the layout.
TEST_F(LiveViewTest, ALayoutBrokenFromTheStartShowsTheBar) {
  Write(L"skin\\main.xml", "<Window size=\"240,160\"><VBox</Window>");
  Open();
  ASSERT_EQ(Count(Kind::kFailed), 1);
  ASSERT_NE(view_->View(), nullptr);
  EXPECT_TRUE(view_->Bar().IsShown());
  EXPECT_EQ(view_->Bar().Text(), CheckLine());
  Write(L"skin\\main.xml", Layout("blue"));
  ASSERT_TRUE(WaitFor(Kind::kReloaded, 1));
  EXPECT_EQ(ViewColourAt(120, 100), kBlue);
  EXPECT_FALSE(view_->Bar().IsShown());
}

}  // namespace

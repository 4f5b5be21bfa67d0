// Window benchmark: real native windows driven by sent messages, beside the platform's own
// floor in the same run: a minimal Win32 window, direct GDI/GDI+ drawing, UpdateLayeredWindow.

#include <objidl.h>
#include <windows.h>

#include <gdiplus.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/allocation_counter.h"
#include "common/bench_timing.h"
#include "ui/core/tree/control_test_util.h"
#include "ui/core/tree/h_box.h"
#include "ui/core/tree/v_box.h"
#include "ui/core/window/window_test_util.h"
#include "ui/render/i_render_context.h"

namespace gp = Gdiplus::DllExports;

namespace {

using window_test::At;
using window_test::CreateShown;
using window_test::Drain;
using window_test::TestNativeWindow;

constexpr DWORD kCellColour = 0xFFDDE6F0;
constexpr DWORD kTextColour = 0xFF202020;

// A cell with a short text, painted for real.
class Cell : public ui::Control {
 public:
  explicit Cell(const std::wstring& text) : text_(text) {}
  void PaintText(ui::IRenderContext& context) override {
    context.PaintText(GetItemRect(), text_, kTextColour, L"", ui::kTextSingleLine);
  }
  const std::wstring& text() const { return text_; }

 private:
  std::wstring text_;
};

// Rows of cells; every other cell has a hot colour, so hovering it repaints it.
ui::Control* Grid(int rows, int columns, int rowHeight, std::vector<Cell*>* cells) {
  auto* root = new ui::VBox();
  root->SetAttribute(L"bkcolor", L"page");
  for (int r = 0; r < rows; ++r) {
    auto* row = new ui::HBox();
    row->SetFixedHeight(rowHeight);
    for (int c = 0; c < columns; ++c) {
      auto* cell = new Cell(L"cell " + std::to_wstring(r * columns + c));
      cell->SetAttribute(L"bkcolor", L"cell");
      if (c % 2 == 0) cell->SetAttribute(L"hotcolor", L"hot");
      cell->SetAttribute(L"margin", L"1,1,1,1");
      row->Add(cell);
      if (cells) cells->push_back(cell);
    }
    root->Add(row);
  }
  return root;
}

double Best(const std::function<void(int)>& work, int rounds, double roundSeconds) {
  const int count = bench::Calibrate(work, roundSeconds);
  double best = 1e30;
  for (int i = 0; i < rounds; ++i) best = std::min(best, bench::TimeRun(work, count) / count);
  return best;
}

LRESULT CALLBACK MinimalProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(hwnd, &ps);
    HBRUSH brush = ::CreateSolidBrush(RGB(0xF0, 0xE6, 0xDD));
    ::FillRect(dc, &ps.rcPaint, brush);
    ::DeleteObject(brush);
    ::EndPaint(hwnd, &ps);
    return 0;
  }
  return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

HWND CreateMinimal(const RECT& rect) {
  static const bool registered = [] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = MinimalProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = L"TarnwickMinimalWindow";
    return ::RegisterClassW(&wc) != 0;
  }();
  if (!registered) return nullptr;
  return ::CreateWindowExW(0, L"TarnwickMinimalWindow", L"minimal", WS_POPUP, rect.left, rect.top,
                           rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr,
                           ::GetModuleHandleW(nullptr), nullptr);
}

void MouseMove() {
  TestNativeWindow window;
  std::vector<Cell*> cells;
  const HWND hwnd =
      CreateShown(&window, ui::UiRect{0, 0, 1000, 700}, Grid(50, 10, 14, &cells), false);
  const HWND minimal = CreateMinimal(RECT{0, 0, 1000, 700});
  ::ShowWindow(minimal, SW_SHOWNOACTIVATE);
  Drain();
  auto moves = [](HWND target, int x, int y) {
    ::SendMessageW(target, WM_NCHITTEST, 0, At(x, y));
    ::SendMessageW(target, WM_SETCURSOR, reinterpret_cast<WPARAM>(target),
                   MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    ::SendMessageW(target, WM_MOUSEMOVE, 0, At(x, y));
  };
  // Within one control, the usual case: nothing changes.
  auto ours = [&](int i) { moves(hwnd, 30 + (i & 7), 300); };
  auto floor = [&](int i) { moves(minimal, 30 + (i & 7), 300); };
  const double oursSeconds = Best(ours, 15, 0.02);
  const double floorSeconds = Best(floor, 15, 0.02);
  ours(0);
  const long long before = bench::AllocationCount();
  for (int i = 0; i < 100; ++i) ours(i);
  const long long allocations = bench::AllocationCount() - before;
  // Across two plain cells: hover leaves one and enters the other.
  // Cells 1 and 3 of a row: neither has a hot look.
  auto across = [&](int i) { moves(hwnd, (i & 1) ? 150 : 350, 300); };
  const double acrossSeconds = Best(across, 15, 0.02);
  std::printf(
      "Mouse move (WM_NCHITTEST + WM_SETCURSOR + WM_MOUSEMOVE) over %u controls: "
      "%.2f us within a control, %.2f us from one control to another; a minimal "
      "window's default handling %.2f us (ratio %.2f); %lld allocations in 100 moves  %s\n",
      static_cast<unsigned>(cells.size() + 51), oursSeconds * 1e6, acrossSeconds * 1e6,
      floorSeconds * 1e6, oursSeconds / floorSeconds, allocations,
      oursSeconds < 50e-6 && acrossSeconds < 50e-6 && allocations == 0
          ? "ok"
          : "MISSED (target < 50 us, no allocation)");
  Drain();
  ::DestroyWindow(minimal);
}

void HoverRepaint() {
  TestNativeWindow window;
  std::vector<Cell*> cells;
  const HWND hwnd =
      CreateShown(&window, ui::UiRect{0, 0, 1000, 700}, Grid(50, 10, 14, &cells), false);
  Cell* button = cells[200];  // a cell with a hot colour
  Cell* plain = cells[201];
  const ui::UiRect b = button->GetPosition();
  const ui::UiRect p = plain->GetPosition();
  RECT update{};
  long long area = 0;
  auto hover = [&](int i) {
    const ui::UiRect& target = (i & 1) ? p : b;
    ::SendMessageW(hwnd, WM_MOUSEMOVE, 0, At(target.left + 2, target.top + 2));
    ::GetUpdateRect(hwnd, &update, FALSE);
    area = static_cast<long long>(update.right - update.left) * (update.bottom - update.top);
    ::UpdateWindow(hwnd);
  };
  // Each pair of moves enters and leaves the button: two repaints of it.
  const double seconds = Best(hover, 15, 0.05);
  // Off the button, then onto it: the second repaint is the button's alone.
  hover(1);
  hover(0);
  std::printf(
      "Hover repaint of one button (%dx%d): %.1f us per move and repaint; area "
      "repainted %lld pixels, the button's %d  %s\n",
      b.Width(), b.Height(), seconds * 1e6, area, b.Width() * b.Height(),
      area == static_cast<long long>(b.Width()) * b.Height() ? "ok (only the button)" : "MISSED");
}

// The grid's drawing with direct calls and nothing in between: one GDI+ graphics, font and
// format for the frame, the surface cleared and made opaque in one pass over its memory, and
// the copy to the layered window.
class DirectFrame {
 public:
  DirectFrame(HDC dc, void* bits, int width, int height, HFONT font)
      : dc_(dc),
        bits_(static_cast<unsigned char*>(bits)),
        width_(width),
        height_(height),
        font_(font) {}

  void Paint(const std::vector<Cell*>& cells, HWND hwnd) {
    std::memset(bits_, 0, static_cast<size_t>(width_) * height_ * 4);
    Gdiplus::GpGraphics* graphics = nullptr;
    gp::GdipCreateFromHDC(dc_, &graphics);
    Gdiplus::GpFont* font = nullptr;
    gp::GdipCreateFontFromDC(dc_, &font);
    Gdiplus::GpStringFormat* format = nullptr;
    gp::GdipCreateStringFormat(Gdiplus::StringFormatFlagsNoWrap, LANG_NEUTRAL, &format);
    Gdiplus::GpSolidFill* page = nullptr;
    Gdiplus::GpSolidFill* fill = nullptr;
    Gdiplus::GpSolidFill* ink = nullptr;
    gp::GdipCreateSolidFill(0xFFF4F4F4, &page);
    gp::GdipCreateSolidFill(kCellColour, &fill);
    gp::GdipCreateSolidFill(kTextColour, &ink);
    gp::GdipFillRectangleI(graphics, page, 0, 0, width_, height_);
    for (const Cell* cell : cells) {
      const ui::UiRect r = cell->GetPosition();
      gp::GdipFillRectangleI(graphics, fill, r.left, r.top, r.Width(), r.Height());
      const Gdiplus::RectF layout(float(r.left), float(r.top), float(r.Width()), float(r.Height()));
      gp::GdipDrawString(graphics, cell->text().c_str(), static_cast<INT>(cell->text().size()),
                         font, &layout, format, ink);
    }
    for (Gdiplus::GpSolidFill* brush : {page, fill, ink}) gp::GdipDeleteBrush(brush);
    gp::GdipDeleteStringFormat(format);
    gp::GdipDeleteFont(font);
    gp::GdipDeleteGraphics(graphics);
    ::GdiFlush();
    for (size_t i = 3; i < static_cast<size_t>(width_) * height_ * 4; i += 4) bits_[i] = 255;
    POINT position{0, 0};
    SIZE size{width_, height_};
    POINT source{0, 0};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    ::UpdateLayeredWindow(hwnd, nullptr, &position, &size, dc_, &source, 0, &blend, ULW_ALPHA);
  }

 private:
  HDC dc_;
  unsigned char* bits_;
  int width_;
  int height_;
  HFONT font_;
};

void LayeredRepaint() {
  TestNativeWindow window;
  std::vector<Cell*> cells;
  const int width = 1280;
  const int height = 720;
  const HWND hwnd =
      CreateShown(&window, ui::UiRect{0, 0, width, height}, Grid(10, 10, 72, &cells), true);
  auto full = [&](int) {
    ::InvalidateRect(hwnd, nullptr, FALSE);
    ::SendMessageW(hwnd, WM_PAINT, 0, 0);
  };
  ui::IRenderContext* surface = window.GetRenderContext();
  const HFONT font = ui::UiRegistry::GetFont(L"")->handle;
  const HGDIOBJ oldFont = ::SelectObject(surface->GetDc(), font);
  DirectFrame frame(surface->GetDc(), surface->GetPixelBits(), width, height, font);
  auto direct = [&](int) { frame.Paint(cells, hwnd); };
  auto copyOnly = [&](int) {
    POINT position{0, 0};
    SIZE size{width, height};
    POINT source{0, 0};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    ::UpdateLayeredWindow(hwnd, nullptr, &position, &size, surface->GetDc(), &source, 0, &blend,
                          ULW_ALPHA);
  };
  double ours = 1e30;
  double baseline = 1e30;
  for (int round = 0; round < 7; ++round) {
    ours = std::min(ours, bench::TimeRun(full, 3) / 3);
    baseline = std::min(baseline, bench::TimeRun(direct, 3) / 3);
  }
  const double copy = Best(copyOnly, 7, 0.05);
  ::SelectObject(surface->GetDc(), oldFont);
  std::printf(
      "Full repaint of a 1280 x 720 layered window of %u controls: %.2f ms; the same "
      "drawing with direct GDI/GDI+ calls %.2f ms (ratio %.3f)  %s; UpdateLayeredWindow "
      "alone %.2f ms\n",
      static_cast<unsigned>(cells.size() + 11), ours * 1e3, baseline * 1e3, ours / baseline,
      ours <= 1.1 * baseline ? "ok" : "OVER 1.1", copy * 1e3);
}

void FirstFrame() {
  const RECT rect{0, 0, 400, 300};
  auto ours = [&](int) {
    TestNativeWindow window;
    window.GetShadow().SetAttached(false);
    const HWND hwnd = window.CreateNativeWindow(nullptr, L"first", WS_POPUP, 0, false,
                                                ui::UiRect{0, 0, 400, 300});
    window.InitWindow(hwnd);
    auto* root = new ui::VBox();
    root->SetAttribute(L"bkcolor", L"cell");
    window.AttachRoot(root);
    ::ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    ::UpdateWindow(hwnd);
    ::DestroyWindow(hwnd);
    Drain();
  };
  auto minimal = [&](int) {
    const HWND hwnd = CreateMinimal(rect);
    ::ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    ::UpdateWindow(hwnd);
    ::DestroyWindow(hwnd);
    Drain();
  };
  double oursBest = 1e30;
  double minimalBest = 1e30;
  // One of each in turn, so that load from elsewhere falls on both alike.
  for (int round = 0; round < 40; ++round) {
    oursBest = std::min(oursBest, bench::TimeRun(ours, 1));
    minimalBest = std::min(minimalBest, bench::TimeRun(minimal, 1));
  }
  std::printf(
      "Create to first frame (400 x 300): %.2f ms; a minimal Win32 window (register, "
      "create, show, first WM_PAINT) %.2f ms (ratio %.3f)  %s\n",
      oursBest * 1e3, minimalBest * 1e3, oursBest / minimalBest,
      oursBest <= 1.2 * minimalBest ? "ok" : "OVER 1.2");
}

}  // namespace

int main() {
  control_test::UiScope ui;
  ui::UiRegistry::AddTextColor(L"page", L"#FFF4F4F4");
  ui::UiRegistry::AddTextColor(L"cell", L"#FFDDE6F0");
  ui::UiRegistry::AddTextColor(L"hot", L"#FFB0C8F0");
  ui::UiRegistry::AddFont(L"", L"system", 9, false, false, false, true);
  std::printf("Window benchmark (real native windows; best of several runs)\n");
  MouseMove();
  HoverRepaint();
  LayeredRepaint();
  FirstFrame();
  return 0;
}

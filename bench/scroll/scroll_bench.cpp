// Scrolling benchmark: 10,000 rows, each an image and a text in a box, in a scrollable box
// filling a 1280 x 720 window. Prints the paint time of the frames of one smooth wheel
// notch and the controls each frame paints, against a full repaint of the same window
// standing still (the baseline, same run), and the process's memory at the top, at the
// bottom and back at the top: every row shows an image file of its own, so memory stays
// flat only because rows far outside the view give their images back.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "common/bench_timing.h"
#include "common/committed_memory.h"
#include "common/message_pump.h"
#include "ui/controls/label.h"
#include "ui/controls/scroll_bar.h"
#include "ui/controls/scrollable_box.h"
#include "ui/core/resources/ui_registry.h"
#include "ui/core/tree/control_test_util.h"
#include "ui/core/tree/h_box.h"
#include "ui/core/tree/v_layout.h"
#include "ui/core/window/window_test_util.h"

namespace {

constexpr int kRows = 10000;
constexpr int kRowHeight = 40;
constexpr int kWidth = 1280;
constexpr int kHeight = 720;
constexpr int kStillFrames = 30;
constexpr double kFrameTargetMs = 4.0;

int g_paintedControls = 0;

// The parts of a row, counting every control that paints.
class Icon : public ui::Control {
 public:
  void PaintLayers(ui::IRenderContext& context, const ui::UiRect& paintRect) override {
    ++g_paintedControls;
    ui::Control::PaintLayers(context, paintRect);
  }
};

class Text : public ui::Label {
 public:
  void PaintLayers(ui::IRenderContext& context, const ui::UiRect& paintRect) override {
    ++g_paintedControls;
    ui::Label::PaintLayers(context, paintRect);
  }
};

class Row : public ui::HBox {
 public:
  void PaintLayers(ui::IRenderContext& context, const ui::UiRect& paintRect) override {
    ++g_paintedControls;
    ui::HBox::PaintLayers(context, paintRect);
  }
};

// Times every WM_PAINT of a window while it lives.
class PaintTimer {
 public:
  explicit PaintTimer(HWND window) : window_(window) {
    instance_ = this;
    previous_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Proc)));
  }
  ~PaintTimer() {
    SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous_));
    instance_ = nullptr;
  }
  PaintTimer(const PaintTimer&) = delete;
  PaintTimer& operator=(const PaintTimer&) = delete;

  struct Frame {
    double ms;
    int controls;
  };
  std::vector<Frame> frames;

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message != WM_PAINT) {
      return CallWindowProcW(instance_->previous_, window, message, wparam, lparam);
    }
    g_paintedControls = 0;
    const double start = bench::Seconds();
    const LRESULT result = CallWindowProcW(instance_->previous_, window, message, wparam, lparam);
    GdiFlush();
    instance_->frames.push_back(Frame{(bench::Seconds() - start) * 1000, g_paintedControls});
    return result;
  }

  static inline PaintTimer* instance_ = nullptr;
  HWND window_;
  WNDPROC previous_ = nullptr;
};

double CommittedMegabytes() {
  return test_memory::CommittedPrivateBytes() / (1024.0 * 1024.0);
}

// One copy of the picture per row, so that each row's image is decoded on its own.
std::vector<std::wstring> CopyImages(const std::wstring& folder) {
  CreateDirectoryW(folder.c_str(), nullptr);
  std::vector<std::wstring> files;
  for (int i = 0; i < kRows; ++i) {
    files.push_back(folder + L"\\row" + std::to_wstring(i) + L".png");
    CopyFileW(TARNWICK_BENCH_IMAGE, files.back().c_str(), FALSE);
  }
  return files;
}

void RemoveImages(const std::wstring& folder, const std::vector<std::wstring>& files) {
  for (const std::wstring& file : files) DeleteFileW(file.c_str());
  RemoveDirectoryW(folder.c_str());
}

ui::ScrollableBox* MakeRows(const std::vector<std::wstring>& images) {
  auto* box = new ui::ScrollableBox(new ui::VLayout());
  box->SetAttribute(L"bkcolor", L"page");
  box->EnableScrollBar(true, false);
  for (int i = 0; i < kRows; ++i) {
    auto* row = new Row();
    row->SetFixedHeight(kRowHeight);
    auto* icon = new Icon();
    icon->SetFixedWidth(kRowHeight);
    icon->SetBkImage(images[i]);
    auto* text = new Text();
    text->SetText(L"row " + std::to_wstring(i));
    text->SetAttribute(L"textpadding", L"8,0,0,0");
    row->Add(icon);
    row->Add(text);
    box->Add(row);
  }
  return box;
}

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

void ScrollThrough(ui::ScrollableBox* box, HWND hwnd, bool down) {
  const int range = box->GetScrollRange().cy;
  for (int y = 0; y <= range; y += kHeight) {
    box->SetScrollPosY(down ? y : range - y);
    UpdateWindow(hwnd);
  }
  box->SetScrollPosY(down ? range : 0);
  UpdateWindow(hwnd);
}

}  // namespace

int main() {
  control_test::UiScope ui;
  ui::UiRegistry::AddTextColor(L"page", L"#FFFFFFFF");
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring folder = std::wstring(temp) + L"tarnwick-scroll-bench";
  const std::vector<std::wstring> images = CopyImages(folder);

  window_test::TestNativeWindow window;
  ui::ScrollableBox* box = MakeRows(images);
  const double buildStart = bench::Seconds();
  const HWND hwnd =
      window_test::CreateShown(&window, ui::UiRect{0, 0, kWidth, kHeight}, box, false);
  std::printf("%d rows of %d px in a %d x %d window: built and laid out in %.0f ms\n", kRows,
              kRowHeight, kWidth, kHeight, (bench::Seconds() - buildStart) * 1000);
  if (!hwnd) {
    std::printf("the window could not be made\n");
    return 1;
  }
  const int visibleRows = kHeight / kRowHeight + 1;
  const int visibleControls = visibleRows * 3;

  // Baseline: the same window repainted whole while standing still.
  std::vector<double> still;
  {
    PaintTimer timer(hwnd);
    for (int i = 0; i < kStillFrames; ++i) {
      InvalidateRect(hwnd, nullptr, FALSE);
      UpdateWindow(hwnd);
    }
    for (const auto& frame : timer.frames) still.push_back(frame.ms);
  }

  // One wheel notch down, smoothly, from the middle of the list.
  box->SetScrollPosY(box->GetScrollRange().cy / 2);
  UpdateWindow(hwnd);
  std::vector<double> scrolling;
  int mostControls = 0;
  {
    PaintTimer timer(hwnd);
    const int from = box->GetScrollPos().cy;
    SendMessageW(hwnd, WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), MAKELPARAM(100, 100));
    if (!test_messages::PumpUntil(
            [&] {
              return box->GetScrollPos().cy == from + ui::ScrollableBox::kDefaultUnit &&
                     !box->GetScrollAnimation().IsRunning();
            },
            30000)) {
      std::printf("the wheel notch did not finish\n");
    }
    UpdateWindow(hwnd);
    for (const auto& frame : timer.frames) {
      scrolling.push_back(frame.ms);
      mostControls = std::max(mostControls, frame.controls);
    }
  }
  const double worst =
      scrolling.empty() ? 0 : *std::max_element(scrolling.begin(), scrolling.end());
  std::printf("one wheel notch (%d px, smooth): %zu frames painted\n",
              ui::ScrollableBox::kDefaultUnit, scrolling.size());
  std::printf("  per frame: median %.2f ms, worst %.2f ms (target under %.0f ms: %s)\n",
              Median(scrolling), worst, kFrameTargetMs, worst < kFrameTargetMs ? "met" : "MISSED");
  std::printf("  full repaint standing still (baseline): median %.2f ms; ratio %.2f\n",
              Median(still), Median(scrolling) / std::max(Median(still), 1e-9));
  std::printf(
      "  controls painted per frame: at most %d (the %d visible rows and their parts: "
      "%d; target met: %s)\n",
      mostControls, visibleRows, visibleControls,
      mostControls <= visibleControls + 3 ? "yes" : "NO");

  box->SetScrollPosY(0);
  UpdateWindow(hwnd);
  const double top = CommittedMegabytes();
  ScrollThrough(box, hwnd, true);
  const double bottom = CommittedMegabytes();
  ScrollThrough(box, hwnd, false);
  const double backAtTop = CommittedMegabytes();
  std::printf("committed private memory scrolling through all %d rows, each with its own image\n",
              kRows);
  std::printf(
      "  at the top %.1f MB, at the bottom %.1f MB, back at the top %.1f MB "
      "(target flat: growth %.1f MB, %s)\n",
      top, bottom, backAtTop, backAtTop - top, backAtTop - top < 0.1 * top + 5 ? "met" : "MISSED");

  DestroyWindow(hwnd);
  RemoveImages(folder, images);
  return 0;
}

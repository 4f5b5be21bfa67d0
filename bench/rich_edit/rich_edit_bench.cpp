// Rich edit benchmark: the control's cost over the text engine it hosts. Each figure is
// measured through the control in a real 600 x 400 window and, as the baseline of the same
// run, straight on a text engine of its own that draws into a surface of the same size and
// shows it in a plain window of its own, as any host of the engine must:
// - a keystroke to the repainted character (WM_CHAR through the window to the painted frame);
// - loading 1 MB of text, then scrolling it page by page;
// - the natural size of a 10-line text.
#include <windows.h>

#include <richedit.h>
#include <textserv.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "common/bench_timing.h"
#include "common/message_pump.h"
#include "ui/controls/c_txt_win_host.h"
#include "ui/controls/rich_edit.h"
#include "ui/core/resources/ui_registry.h"
#include "ui/core/tree/control_test_util.h"
#include "ui/core/tree/v_box.h"
#include "ui/core/window/window_test_util.h"

namespace {

constexpr int kWidth = 600;
constexpr int kHeight = 400;
constexpr int kKeystrokes = 200;
constexpr int kPages = 100;
constexpr double kKeystrokeTargetMs = 2.0;
constexpr double kRatioTarget = 1.2;

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

std::wstring Megabyte() {
  std::wstring text;
  const std::wstring line = L"The quick brown fox jumps over the lazy dog; 0123456789.\r";
  while (text.size() < 1024 * 1024 / sizeof(wchar_t)) text += line;
  return text;
}

std::wstring TenLines() {
  std::wstring text;
  for (int i = 0; i < 10; ++i) text += L"Line " + std::to_wstring(i) + L" of the message\r";
  return text;
}

// A text engine of the benchmark's own, with the control's formats and a memory surface of
// the window's size, for the baseline figures.
class BareEngine {
 public:
  BareEngine() : edit_(new ui::RichEdit()) {
    CHARFORMAT2W cf{};
    cf.cbSize = sizeof(cf);
    cf.dwMask = CFM_SIZE | CFM_FACE | CFM_COLOR | CFM_CHARSET;
    cf.yHeight = 180;
    cf.bCharSet = DEFAULT_CHARSET;
    wcscpy(cf.szFaceName, L"Tahoma");
    PARAFORMAT2 pf{};
    pf.cbSize = sizeof(pf);
    pf.dwMask = PFM_ALIGNMENT;
    pf.wAlignment = PFA_LEFT;
    host_ = ui::CTxtWinHost::Create(edit_, cf, pf, ES_MULTILINE | WS_VSCROLL,
                                    ui::CTxtWinHost::kWordWrap | ui::CTxtWinHost::kTransparent |
                                        ui::CTxtWinHost::kInPlaceActive,
                                    0x7FFFFFFF, L"");
    HDC screen = GetDC(nullptr);
    dc_ = CreateCompatibleDC(screen);
    bitmap_ = CreateCompatibleBitmap(screen, kWidth, kHeight);
    ReleaseDC(nullptr, screen);
    old_ = SelectObject(dc_, bitmap_);
    window_ = CreateWindowExW(0, L"STATIC", L"engine alone", WS_POPUP | WS_VISIBLE, kWidth, 0,
                              kWidth, kHeight, nullptr, nullptr, nullptr, nullptr);
    if (host_) {
      host_->SetClientRect(RECT{0, 0, kWidth, kHeight});
      host_->GetTextServices()->OnTxInPlaceActivate(&host_->GetClientRect());
    }
  }
  ~BareEngine() {
    if (host_) {
      host_->Shutdown();
      host_->Release();
    }
    delete edit_;
    DestroyWindow(window_);
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  bool ok() const { return host_ != nullptr; }
  ITextServices* services() const { return host_->GetTextServices(); }
  LRESULT Send(UINT message, WPARAM wParam, LPARAM lParam) {
    return host_->SendMessageToEngine(message, wParam, lParam);
  }
  void Draw() {
    PatBlt(dc_, 0, 0, kWidth, kHeight, WHITENESS);
    const RECTL bounds{0, 0, kWidth, kHeight};
    RECT update{0, 0, kWidth, kHeight};
    services()->TxDraw(DVASPECT_CONTENT, 0, nullptr, nullptr, dc_, nullptr, &bounds, nullptr,
                       &update, nullptr, 0, TXTVIEW_ACTIVE);
    HDC screen = GetDC(window_);
    BitBlt(screen, 0, 0, kWidth, kHeight, dc_, 0, 0, SRCCOPY);
    ReleaseDC(window_, screen);
    GdiFlush();
  }
  SIZE NaturalSize(int width) {
    LONG w = width;
    LONG h = 0;
    const SIZEL extent{-1, -1};
    services()->TxGetNaturalSize(DVASPECT_CONTENT, dc_, nullptr, nullptr, TXTNS_FITTOCONTENT,
                                 &extent, &w, &h);
    return SIZE{w, h};
  }

 private:
  ui::RichEdit* edit_;
  ui::CTxtWinHost* host_ = nullptr;
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
  HWND window_ = nullptr;
};

void PrintPair(const char* what, double control, double bare, double targetMs,
               const char* unit = "ms") {
  const double ratio = control / std::max(bare, 1e-9);
  std::printf(
      "%s: control %.3f %s, engine alone %.3f %s (baseline); ratio %.2f (target within "
      "%.1fx: %s)",
      what, control, unit, bare, unit, ratio, kRatioTarget,
      ratio <= kRatioTarget ? "met" : "MISSED");
  if (targetMs > 0) {
    std::printf("; target under %.0f ms: %s", targetMs, control < targetMs ? "met" : "MISSED");
  }
  std::printf("\n");
}

void Repaint(HWND hwnd) {
  RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

}  // namespace

int main() {
  control_test::UiScope ui;
  ui::UiRegistry::AddFont(L"", L"Tahoma", 12, false, false, false, true);
  ui::UiRegistry::AddTextColor(L"white", L"#FFFFFFFF");
  window_test::TestNativeWindow window;
  auto* root = new ui::VBox();
  root->SetAttribute(L"bkcolor", L"white");
  auto* edit = new ui::RichEdit();
  edit->ApplyAttributeList(L"vscrollbar=\"true\"");
  root->Add(edit);
  const HWND hwnd =
      window_test::CreateShown(&window, ui::UiRect{0, 0, kWidth, kHeight}, root, false);
  BareEngine bare;
  if (!hwnd || !edit->HasEngine() || !bare.ok()) {
    std::printf("no text engine could be made: nothing measured\n");
    return 1;
  }
  edit->SetFocus();
  test_messages::Drain();

  // A keystroke: the character through the window, then the frame that shows it.
  std::vector<double> typed;
  std::vector<double> typedBare;
  for (int i = 0; i < kKeystrokes; ++i) {
    const wchar_t c = static_cast<wchar_t>(L'a' + i % 26);
    double start = bench::Seconds();
    SendMessageW(hwnd, WM_CHAR, c, 1);
    UpdateWindow(hwnd);
    GdiFlush();
    typed.push_back((bench::Seconds() - start) * 1000);
    start = bench::Seconds();
    bare.Send(WM_CHAR, c, 1);
    bare.Draw();
    typedBare.push_back((bench::Seconds() - start) * 1000);
  }
  // Where the control's time goes: the window repainting the same line with nothing typed.
  std::vector<double> lineRepaint;
  for (int i = 0; i < kKeystrokes; ++i) {
    const ui::UiRect caret = edit->GetCaretRect();
    const RECT line{0, caret.top, kWidth, caret.bottom};
    const double start = bench::Seconds();
    InvalidateRect(hwnd, &line, FALSE);
    UpdateWindow(hwnd);
    GdiFlush();
    lineRepaint.push_back((bench::Seconds() - start) * 1000);
  }
  std::printf("%d keystrokes in a %d x %d edit (median of each)\n", kKeystrokes, kWidth, kHeight);
  PrintPair("  keystroke to the painted character", Median(typed), Median(typedBare),
            kKeystrokeTargetMs);
  std::printf("  of which the window's repaint of the line alone, nothing typed: %.3f ms\n",
              Median(lineRepaint));

  // 1 MB of text.
  const std::wstring big = Megabyte();
  double start = bench::Seconds();
  edit->SetText(big);
  Repaint(hwnd);
  const double loaded = (bench::Seconds() - start) * 1000;
  start = bench::Seconds();
  bare.services()->TxSetText(big.c_str());
  bare.Draw();
  const double loadedBare = (bench::Seconds() - start) * 1000;
  std::printf("1 MB of text (%zu characters)\n", big.size());
  PrintPair("  loaded and drawn", loaded, loadedBare, 0);

  edit->HomeUp();
  UpdateWindow(hwnd);
  const int firstPage = edit->GetScrollPos().cy;
  std::vector<double> pages;
  std::vector<double> pagesBare;
  for (int i = 0; i < kPages; ++i) {
    start = bench::Seconds();
    edit->PageDown();
    UpdateWindow(hwnd);
    GdiFlush();
    pages.push_back((bench::Seconds() - start) * 1000);
    start = bench::Seconds();
    bare.Send(WM_VSCROLL, SB_PAGEDOWN, 0);
    bare.Draw();
    pagesBare.push_back((bench::Seconds() - start) * 1000);
  }
  std::printf("  %d pages down: from %d px to %d px of %d\n", kPages, firstPage,
              edit->GetScrollPos().cy, edit->GetScrollRange().cy);
  PrintPair("  one page down, drawn (median)", Median(pages), Median(pagesBare), 0);

  // The natural size of ten lines.
  const std::wstring ten = TenLines();
  edit->SetText(ten);
  bare.services()->TxSetText(ten.c_str());
  const auto measure = [&](int) { edit->GetNaturalSize(300); };
  const auto measureBare = [&](int) { bare.NaturalSize(300); };
  const int count = bench::Calibrate(measure, 0.3);
  const double natural = bench::TimeRun(measure, count) * 1e6 / count;
  const double naturalBare = bench::TimeRun(measureBare, count) * 1e6 / count;
  std::printf("natural size of a 10-line text at 300 px: %d px high\n",
              edit->GetNaturalSize(300).cy);
  PrintPair("  per call", natural, naturalBare, 0, "us");
  return 0;
}

// Image benchmark: what a cache hit costs against decoding the same file, and the time to
// draw a nine-grid image over a 1920 x 1080 surface against the same image drawn as one
// stretched piece.

#include <objidl.h>
#include <windows.h>

#include <gdiplus.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include "ui/core/image_attributes/i_image_host.h"
#include "ui/core/image_attributes/image_attribute.h"
#include "ui/core/image_attributes/image_drawing.h"
#include "ui/core/resources/ui_registry.h"
#include "ui/render/render_context_gdiplus.h"

#include "common/bench_timing.h"
#include "common/gdiplus_session.h"

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr int kRounds = 15;
constexpr double kRoundSeconds = 0.05;

struct Pair {
  double measured;  // seconds per operation, best round
  double baseline;
};

// Rounds alternate between the two so that drift in the machine's speed hits both alike.
// Each side may prepare its round first (outside the timing).
Pair Compare(
    const std::function<void()>& measured, const std::function<void()>& baseline,
    const std::function<void()>& beforeMeasured = [] {},
    const std::function<void()>& beforeBaseline = [] {}) {
  const auto measuredRun = [&measured](int) { measured(); };
  const auto baselineRun = [&baseline](int) { baseline(); };
  beforeMeasured();
  const int measuredCount = bench::Calibrate(measuredRun, kRoundSeconds);
  beforeBaseline();
  const int baselineCount = bench::Calibrate(baselineRun, kRoundSeconds);
  Pair best{1e30, 1e30};
  for (int round = 0; round < kRounds; ++round) {
    beforeBaseline();
    best.baseline =
        std::min(best.baseline, bench::TimeRun(baselineRun, baselineCount) / baselineCount);
    beforeMeasured();
    best.measured =
        std::min(best.measured, bench::TimeRun(measuredRun, measuredCount) / measuredCount);
  }
  return best;
}

std::wstring BenchImagePath() {
  wchar_t full[MAX_PATH];
  const DWORD length = GetFullPathNameW(TARNWICK_BENCH_IMAGE, MAX_PATH, full, nullptr);
  return length > 0 && length < MAX_PATH ? full : TARNWICK_BENCH_IMAGE;
}

// A control covering the whole surface, with no animation.
class SurfaceHost : public ui::IImageHost {
 public:
  std::wstring GetResourceSubFolder() const override { return std::wstring(); }
  ui::UiRect GetItemRect() const override { return ui::UiRect{0, 0, kWidth, kHeight}; }
  ui::UiRect GetPaintRect() const override { return GetItemRect(); }
  void Invalidate() override {}
  bool IsHotFadeEnabled() const override { return false; }
  int GetHotAlpha() const override { return 0; }
  ui::ImageAttribute& GetBkImage() override { return bk_; }
  bool IsBkImageAnimationAllowed() const override { return false; }
  void SetBkImageAnimationAllowed(bool) override {}
  kbase::WeakCallbackFlag& GetBkImageAnimationFlag() override { return flag_; }
  void OnBkImageAnimationFinished() override {}

 private:
  ui::ImageAttribute bk_;
  kbase::WeakCallbackFlag flag_;
};

bool RunCacheBenchmark(const std::wstring& path) {
  // A miss decodes (and the entry leaves again as the result is dropped); a hit finds the
  // image that is held meanwhile.
  if (!ui::UiRegistry::GetImage(path)) {
    std::printf("cannot decode %ls\n", path.c_str());
    return false;
  }
  std::shared_ptr<ui::ImageInfo> held;
  const Pair decode =
      Compare([&] { ui::UiRegistry::GetImage(path); }, [&] { ui::UiRegistry::GetImage(path); },
              [&] { held.reset(); }, [&] { held = ui::UiRegistry::GetImage(path); });
  held.reset();
  std::printf("decode of the 96 x 96 PNG (cache miss)   %10.1f us\n", decode.measured * 1e6);
  std::printf("cache hit of the same path               %10.3f us\n", decode.baseline * 1e6);
  std::printf("decode / hit ratio                       %10.0f\n",
              decode.measured / decode.baseline);
  return true;
}

bool RunDrawBenchmark(const std::wstring& path) {
  ui::RenderContext_GdiPlus context;
  if (!context.Resize(kWidth, kHeight, true)) {
    std::printf("cannot make the %d x %d surface\n", kWidth, kHeight);
    return false;
  }
  SurfaceHost host;
  ui::ImageAttribute nineGrid;
  nineGrid.SetImageString(L"file='" + path + L"' corner='24,24,24,24'");
  ui::ImageAttribute stretched;
  stretched.SetImageString(path);
  if (!ui::DrawImage(host, context, &nineGrid) || !ui::DrawImage(host, context, &stretched)) {
    std::printf("cannot draw %ls\n", path.c_str());
    return false;
  }
  const Pair draw = Compare([&] { ui::DrawImage(host, context, &nineGrid); },
                            [&] { ui::DrawImage(host, context, &stretched); });
  std::printf("nine-grid draw over %d x %d          %10.2f ms\n", kWidth, kHeight,
              draw.measured * 1e3);
  std::printf("one stretched piece over the same area   %10.2f ms\n", draw.baseline * 1e3);
  std::printf("nine-grid / one piece ratio              %10.3f\n", draw.measured / draw.baseline);
  return true;
}

}  // namespace

int main() {
  bench::GdiplusSession gdiplus;
  if (!gdiplus.Started()) return 1;
  const std::wstring path = BenchImagePath();
  std::printf("image benchmark, best of %d rounds\n", kRounds);
  const bool ok = RunCacheBenchmark(path) && RunDrawBenchmark(path);
  return ok ? 0 : 1;
}

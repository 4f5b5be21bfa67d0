// Image limits benchmark: what refusing a hostile file costs, and what the largest files
// within the limits cost to load (time, and memory left behind), each against decoding a
// 96 x 96 PNG in the same run.

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>

#include "ui/core/images/image_loader.h"

#include "common/bench_timing.h"
#include "common/committed_memory.h"
#include "common/gdiplus_session.h"

namespace {

constexpr int kRounds = 5;
// A refusal reads the file and walks its headers; it should cost about as much as decoding
// a small image, far from the seconds the decoder took.
constexpr double kRefusalTargetRatio = 20;

std::wstring FullPath(const wchar_t* folder, const wchar_t* file) {
  const std::wstring given = std::wstring(folder) + file;
  wchar_t full[MAX_PATH];
  const DWORD length = GetFullPathNameW(given.c_str(), MAX_PATH, full, nullptr);
  return length > 0 && length < MAX_PATH ? full : given;
}

struct Load {
  double seconds = 1e30;  // best round
  bool loaded = false;
  int frames = 0;
};

Load TimeLoads(const std::wstring& path, int rounds) {
  Load best;
  for (int i = 0; i < rounds; ++i) {
    const double start = bench::Seconds();
    std::unique_ptr<ui::ImageInfo> image = ui::LoadImageFromFile(path);
    best.seconds = std::min(best.seconds, bench::Seconds() - start);
    best.loaded = image != nullptr;
    best.frames = image ? image->FrameCount() : 0;
  }
  return best;
}

bool RunRefusals(double baseline) {
  const wchar_t* const files[] = {L"text_chunks.png", L"frames_20000.gif", L"frames_65536.gif",
                                  L"frames_2500x512.gif"};
  bool ok = true;
  std::printf("refusing a hostile file                  ms   / decode   target\n");
  for (const wchar_t* file : files) {
    const Load load = TimeLoads(FullPath(TARNWICK_HOSTILE_IMAGES, file), kRounds);
    const double ratio = load.seconds / baseline;
    const bool met = !load.loaded && ratio <= kRefusalTargetRatio;
    std::printf("  %-28ls %10.2f %10.1f   <= %.0f %s\n", file, load.seconds * 1e3, ratio,
                kRefusalTargetRatio,
                load.loaded ? "LOADED"
                : met       ? "met"
                            : "MISSED");
    ok = ok && !load.loaded;
  }
  return ok;
}

bool RunLimits(double baseline) {
  const wchar_t* const files[] = {L"limit_frames_512.gif", L"limit_frames_64x512.gif",
                                  L"limit_4096.png", L"limit_text_chunks.png",
                                  L"limit_data_chunks.png"};
  bool ok = true;
  std::printf("loading the largest accepted file         ms   / decode   frames   MB kept after\n");
  for (const wchar_t* file : files) {
    const std::wstring path = FullPath(TARNWICK_HOSTILE_IMAGES, file);
    TimeLoads(path, 1);  // warms the heap, so that only what each load leaves counts
    const size_t before = test_memory::CommittedPrivateBytes();
    const Load load = TimeLoads(path, 2);
    const double kept =
        (double(test_memory::CommittedPrivateBytes()) - double(before)) / 2 / 1048576;
    std::printf("  %-28ls %10.1f %10.0f %8d %10.1f%s\n", file, load.seconds * 1e3,
                load.seconds / baseline, load.frames, kept, load.loaded ? "" : "  REFUSED");
    ok = ok && load.loaded;
  }
  return ok;
}

}  // namespace

int main() {
  bench::GdiplusSession gdiplus;
  if (!gdiplus.Started()) return 1;
  std::printf("image limits benchmark, best of %d rounds\n", kRounds);
  const Load baseline = TimeLoads(FullPath(TARNWICK_TEST_IMAGES, L"bench_ninegrid.png"), 20);
  std::printf("baseline: decoding the 96 x 96 PNG      %10.3f ms\n", baseline.seconds * 1e3);
  const bool ok = baseline.loaded && RunRefusals(baseline.seconds) && RunLimits(baseline.seconds);
  return ok ? 0 : 1;
}

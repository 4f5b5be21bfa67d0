// Render benchmark: each drawing operation of the render context on a 1920 x 1080 surface
// beside the same work done with direct GDI/GDI+ calls, and the time of a typical frame.

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

#include "direct_painter.h"
#include "ui/render/pixel_kernels.h"
#include "ui/render/render_context_gdiplus.h"
#include "ui/render/render_lookup.h"

#include "common/bench_timing.h"

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr int kRounds = 60;
constexpr double kRoundSeconds = 0.02;

struct Result {
  double ours;  // seconds per operation, best round
  double direct;
};

// Rounds alternate between the two so that drift in the machine's speed and other load hit
// both alike; the best round of each counts.
Result Compare(const std::function<void(int)>& ours, const std::function<void(int)>& direct,
               int rounds = kRounds) {
  const int count = bench::Calibrate(direct, kRoundSeconds);
  Result best{1e30, 1e30};
  for (int round = 0; round < rounds; ++round) {
    // Each goes first in every other round, so that neither always meets the caches and the
    // allocator as the other left them.
    if (round % 2 == 0) {
      best.direct = std::min(best.direct, bench::TimeRun(direct, count) / count);
      best.ours = std::min(best.ours, bench::TimeRun(ours, count) / count);
    } else {
      best.ours = std::min(best.ours, bench::TimeRun(ours, count) / count);
      best.direct = std::min(best.direct, bench::TimeRun(direct, count) / count);
    }
  }
  return best;
}

// Time ratio ours / direct: at most 1 is the target; up to 1.1 is within the noise of a
// shared machine for operations that take the same path as the direct calls.
bool Print(const char* name, const Result& r) {
  const double ratio = r.ours / r.direct;
  const char* verdict = ratio <= 1.0 ? "ok" : ratio <= 1.1 ? "ok (within noise)" : "SLOWER";
  std::printf("%-36s %12.0f %12.0f %8.3f %8.1fx  %s\n", name, 1.0 / r.ours, 1.0 / r.direct, ratio,
              r.direct / r.ours, verdict);
  return ratio <= 1.1;
}

// The best of several timed runs of work.
double Best(const std::function<void()>& work, int rounds) {
  double best = 1e30;
  for (int round = 0; round < rounds; ++round) {
    const double start = bench::Seconds();
    work();
    GdiFlush();
    best = std::min(best, bench::Seconds() - start);
  }
  return best;
}

// Rectangles of one size spread over the surface.
RECT RectAt(int i, int width, int height) {
  const int x = (i * 97) % (kWidth - width);
  const int y = (i * 53) % (kHeight - height);
  return RECT{x, y, x + width, y + height};
}

ui::UiRect ToUi(const RECT& r) {
  return ui::UiRect{r.left, r.top, r.right, r.bottom};
}

// A top-down premultiplied image; opaque unless translucent is set.
HBITMAP MakeImage(int width, int height, bool translucent) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  auto* p = static_cast<unsigned char*>(bits);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x, p += 4) {
      const int alpha = translucent ? 128 + (x + y) % 128 : 255;
      p[0] = static_cast<unsigned char>((x * 4) * alpha / 255);
      p[1] = static_cast<unsigned char>((y * 4) * alpha / 255);
      p[2] = static_cast<unsigned char>(128 * alpha / 255);
      p[3] = static_cast<unsigned char>(alpha);
    }
  }
  return bitmap;
}

const wchar_t* const kTexts[] = {L"Start game", L"Settings", L"Server 12 - Tarnwick",
                                 L"Account",    L"Log out",  L"\x767B\x5F55"};

struct Frame {
  ui::IRenderContext* context;
  DirectPainter* direct;
  HBITMAP button;
  HFONT font;

  void Ours() {
    for (int i = 0; i < 200; ++i) {
      context->FillColor(ToUi(RectAt(i, 60 + i % 5 * 80, 20 + i % 7 * 30)), 0xFF203040 + i, 255);
    }
    for (int i = 0; i < 100; ++i) {
      context->PaintBitmap({0, 0, kWidth, kHeight}, button, true, ToUi(RectAt(i, 120, 32)),
                           {0, 0, 30, 30}, {10, 10, 10, 10}, 255, false, false);
    }
    for (int i = 0; i < 100; ++i) {
      context->PaintText(ToUi(RectAt(i, 200, 24)), kTexts[i % 6], 0xFF000000, L"",
                         ui::kTextSingleLine | ui::kTextVCenter, 255, false);
    }
  }
  void Direct() {
    for (int i = 0; i < 200; ++i) {
      direct->FillColor(RectAt(i, 60 + i % 5 * 80, 20 + i % 7 * 30), 0xFF203040 + i);
    }
    for (int i = 0; i < 100; ++i) direct->NineGrid(button, RectAt(i, 120, 32), {0, 0, 30, 30}, 10);
    for (int i = 0; i < 100; ++i) {
      direct->DrawText(RectAt(i, 200, 24), kTexts[i % 6], 0xFE000000, font);
    }
  }
};

}  // namespace

int main() {
  ULONG_PTR token = 0;
  Gdiplus::GdiplusStartupInput input;
  if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) {
    std::printf("GDI+ did not start\n");
    return 1;
  }
  HFONT font =
      CreateFontW(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma");
  ui::RenderLookup::SetFontLookup([font](const std::wstring&, ui::RenderFont* entry) {
    entry->handle = font;
    entry->faceName = L"Tahoma";
    entry->size = 12;
    return true;
  });
  {
    auto context = std::make_unique<ui::RenderContext_GdiPlus>();
    context->Resize(kWidth, kHeight, true);
    DirectPainter direct(context->GetDc(), context->GetPixelBits(), kWidth, kHeight);
    HBITMAP photo = MakeImage(64, 64, false);
    HBITMAP button = MakeImage(30, 30, true);
    HBITMAP tile = MakeImage(12, 12, true);
    // A second surface to blend from, as a control painted with an alpha is.
    auto panel = std::make_unique<ui::RenderContext_GdiPlus>();
    panel->Resize(400, 300, true);
    {
      HBITMAP picture = MakeImage(400, 300, true);
      HDC memory = CreateCompatibleDC(panel->GetDc());
      HGDIOBJ old = SelectObject(memory, picture);
      BitBlt(panel->GetDc(), 0, 0, 400, 300, memory, 0, 0, SRCCOPY);
      SelectObject(memory, old);
      DeleteDC(memory);
      DeleteObject(picture);
    }

    const ui::UiRect whole{0, 0, kWidth, kHeight};

    std::printf("render benchmark, %d x %d surface, best of %d rounds\n", kWidth, kHeight, kRounds);
    std::printf("row operations: %s\n", ui::PixelKernels::Sse2() ? "SSE2" : "plain C++");
    std::printf("%-36s %12s %12s %8s %9s\n", "operation", "ours op/s", "direct op/s", "ratio",
                "speed-up");
    bool ok = true;
    ok &=
        Print("FillColor 300x40 opaque",
              Compare([&](int i) { context->FillColor(ToUi(RectAt(i, 300, 40)), 0xFF336699, 255); },
                      [&](int i) { direct.FillColor(RectAt(i, 300, 40), 0xFF336699); }));
    ok &=
        Print("FillColor 300x40, alpha 200",
              Compare([&](int i) { context->FillColor(ToUi(RectAt(i, 300, 40)), 0xFF336699, 200); },
                      [&](int i) { direct.FillColor(RectAt(i, 300, 40), 0xC8336699); }));
    ok &=
        Print("FillGradient 300x40",
              Compare(
                  [&](int i) {
                    context->FillGradient(ToUi(RectAt(i, 300, 40)), 0xFFFFFFFF, 0xFF808080, 255);
                  },
                  [&](int i) { direct.FillGradient(RectAt(i, 300, 40), 0xFFFFFFFF, 0xFF808080); }));
    ok &= Print("PaintBitmap stretched 64->400x300",
                Compare(
                    [&](int i) {
                      context->PaintBitmap(whole, photo, false, ToUi(RectAt(i, 400, 300)),
                                           {0, 0, 64, 64}, {}, 255, false, false);
                    },
                    [&](int i) {
                      direct.StretchBitmap(photo, RectAt(i, 400, 300), {0, 0, 64, 64});
                    }));
    ok &= Print("FillColor whole surface opaque",
                Compare([&](int) { context->FillColor(whole, 0xFF336699, 255); },
                        [&](int) {
                          direct.FillColor({0, 0, kWidth, kHeight}, 0xFF336699);
                        },
                        15));
    ok &= Print("PaintBitmap unscaled 30x30",
                Compare(
                    [&](int i) {
                      context->PaintBitmap(whole, button, true, ToUi(RectAt(i, 30, 30)),
                                           {0, 0, 30, 30}, {}, 255, false, false);
                    },
                    [&](int i) {
                      direct.Blend(button, RectAt(i, 30, 30), {0, 0, 30, 30});
                    }));
    ok &=
        Print("BlendBits unscaled 120x32",
              Compare(
                  [&](int i) {
                    const RECT r = RectAt(i, 120, 32);
                    context->BlendBits(r.left, r.top, 120, 32, panel->GetDc(), 0, 0, 120, 32, 255);
                  },
                  [&](int i) {
                    direct.BlendDc(panel->GetDc(), RectAt(i, 120, 32), {0, 0, 120, 32}, 255);
                  }));
    ok &= Print("BlendBits unscaled 400x300, alpha 200",
                Compare(
                    [&](int i) {
                      const RECT r = RectAt(i, 400, 300);
                      context->BlendBits(r.left, r.top, 400, 300, panel->GetDc(), 0, 0, 400, 300,
                                         200);
                    },
                    [&](int i) {
                      direct.BlendDc(panel->GetDc(), RectAt(i, 400, 300), {0, 0, 400, 300}, 200);
                    }));
    ok &= Print("PaintBitmap tiled 12->400x300",
                Compare(
                    [&](int i) {
                      context->PaintBitmap(whole, tile, true, ToUi(RectAt(i, 400, 300)),
                                           {0, 0, 12, 12}, {}, 255, true, true);
                    },
                    [&](int i) { direct.Tile(tile, RectAt(i, 400, 300), 12); }));
    ok &= Print("PaintBitmap nine-grid 30->120x32",
                Compare(
                    [&](int i) {
                      context->PaintBitmap(whole, button, true, ToUi(RectAt(i, 120, 32)),
                                           {0, 0, 30, 30}, {10, 10, 10, 10}, 255, false, false);
                    },
                    [&](int i) {
                      direct.NineGrid(button, RectAt(i, 120, 32), {0, 0, 30, 30}, 10);
                    }));
    ok &= Print(
        "PaintText short, single line",
        Compare(
            [&](int i) {
              context->PaintText(ToUi(RectAt(i, 200, 24)), kTexts[i % 6], 0xFF000000, L"",
                                 ui::kTextSingleLine | ui::kTextVCenter, 255, false);
            },
            [&](int i) { direct.DrawText(RectAt(i, 200, 24), kTexts[i % 6], 0xFE000000, font); }));
    ok &= Print("Clear, whole",
                Compare([&](int) { context->Clear(); }, [&](int) { direct.Clear(); }));
    ok &= Print("ResetPixels + MakeOpaque, whole",
                Compare(
                    [&](int) {
                      context->ResetPixels(whole, 0);
                      context->MakeOpaque(whole, {8, 8, 8, 8}, 0);
                    },
                    [&](int) {
                      direct.ResetAndMakeOpaque({0, 0, kWidth, kHeight}, 8);
                    }));

    // The floor: storing every byte of the surface once.
    const double floor =
        Best([&] { std::memset(context->GetPixelBits(), 0, kWidth * kHeight * 4); }, 30);
    const double sse2Floor = Best([&] { context->Clear(); }, 30);
    std::printf("memset of the whole surface: %.3f ms (our clearing loop: %.3f ms)\n", floor * 1e3,
                sse2Floor * 1e3);

    Frame frame{context.get(), &direct, button, font};
    const Result r = Compare([&](int) { frame.Ours(); }, [&](int) { frame.Direct(); }, 25);
    // Cold: a new context each time, so that no text run and no image is known yet.
    double coldBest = 1e30;
    for (int round = 0; round < 7; ++round) {
      ui::RenderContext_GdiPlus fresh;
      fresh.Resize(kWidth, kHeight, true);
      Frame coldFrame{&fresh, &direct, button, font};
      const double start = bench::Seconds();
      coldFrame.Ours();
      GdiFlush();
      coldBest = std::min(coldBest, bench::Seconds() - start);
    }
    std::printf("typical frame (200 fills, 100 nine-grids, 100 texts), 1920 x 1080:\n");
    std::printf("  warm: ours %.2f ms, direct %.2f ms, ratio %.3f (%.1fx faster), %.1f memsets\n",
                r.ours * 1e3, r.direct * 1e3, r.ours / r.direct, r.direct / r.ours, r.ours / floor);
    std::printf("  cold: ours %.2f ms, ratio to direct %.3f\n", coldBest * 1e3,
                coldBest / r.direct);
    std::printf("  target: warm frame at most 8 ms: %s\n", r.ours <= 0.008 ? "met" : "MISSED");
    std::printf("%s\n", ok ? "every operation within 1.1x of the direct calls"
                           : "some operation is over 1.1x of the direct calls");
    DeleteObject(photo);
    DeleteObject(button);
    DeleteObject(tile);
  }
  ui::RenderLookup::SetFontLookup(nullptr);
  DeleteObject(font);
  Gdiplus::GdiplusShutdown(token);
  return 0;
}

// Drawing straight into the surface's memory against the GDI+/GDI drawing it replaces, and
// the plain and SSE2 row operations against each other. Solid fills and per-pixel alpha
// blends are exact on this platform (the same integer rounding), so every comparison here
// asks for equal pixels.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "ui/render/gdi_bitmap.h"
#include "ui/render/pixel_kernels.h"
#include "ui/render/pixel_surface.h"
#include "ui/render/render_context_gdiplus.h"
#include "ui/render/render_lookup.h"

namespace {

using ui::PixelKernels;
using ui::RenderContext_GdiPlus;
using ui::UiColor;
using ui::UiPoint;
using ui::UiRect;

constexpr int kWidth = 64;
constexpr int kHeight = 48;

// A valid premultiplied pixel; runs of fully transparent and fully opaque pixels included,
// as images have them.
uint32_t RandomPixel(std::mt19937& random) {
  const uint32_t kind = random() % 4;  // NOLINT
  const uint32_t alpha = kind == 0 ? 0 : kind == 1 ? 255 : random() % 256;
  uint32_t pixel = alpha << 24;
  for (int shift = 0; shift < 24; shift += 8) pixel |= (random() % (alpha + 1)) << shift;
  return pixel;
}

void FillRandom(uint32_t* bits, size_t count, unsigned seed) {
  std::mt19937 random(seed);
  for (size_t i = 0; i < count; ++i) bits[i] = RandomPixel(random);
}

bool Near(uint32_t a, uint32_t b, int tolerance) {
  for (int shift = 0; shift < 32; shift += 8) {
    if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > tolerance) return false;
  }
  return true;
}

// A 32-bit DIB section with random premultiplied pixels.
class Image {
 public:
  Image(int width, int height, bool topDown, unsigned seed) {
    HDC dc = CreateCompatibleDC(nullptr);
    if (bitmap_.Create(dc, width, height, topDown)) {
      FillRandom(static_cast<uint32_t*>(bitmap_.GetPixelBits()), size_t(width) * height, seed);
    }
    DeleteDC(dc);
  }
  HBITMAP Get() const { return bitmap_.GetHandle(); }

 private:
  ui::GdiBitmap bitmap_;
};

enum class Clip { kNone, kRect, kNested, kRound, kEmpty };

struct Placement {
  UiPoint origin;
  Clip clip = Clip::kNone;
};

// The same random surface twice: drawn by the platform only, and with memory drawing.
class Pair {
 public:
  Pair(const PixelKernels& kernels, const Placement& placement) {
    platform_.SetMemoryDrawing(false);
    memory_.UsePixelKernels(kernels);
    for (RenderContext_GdiPlus* context : {&platform_, &memory_}) {
      context->Resize(kWidth, kHeight, true);
      FillRandom(static_cast<uint32_t*>(context->GetPixelBits()), size_t(kWidth) * kHeight, 7);
      Prepare(context, placement);
    }
  }

  template <typename Draw>
  void Run(Draw draw) {
    draw(platform_);
    draw(memory_);
  }

  // Positions of pixels differing by more than tolerance in a byte, with both values.
  std::string Differences(int tolerance = 0) {
    const auto* a = static_cast<const uint32_t*>(platform_.GetPixelBits());
    const auto* b = static_cast<const uint32_t*>(memory_.GetPixelBits());
    std::string out;
    int count = 0;
    for (int i = 0; i < kWidth * kHeight; ++i) {
      if (a[i] == b[i] || Near(a[i], b[i], tolerance)) continue;
      if (++count <= 5) {
        char line[96];
        std::snprintf(line, sizeof(line), " (%d,%d) platform %08x memory %08x;", i % kWidth,
                      i / kWidth, unsigned(a[i]), unsigned(b[i]));
        out += line;
      }
    }
    return count == 0 ? std::string() : std::to_string(count) + " pixels differ:" + out;
  }

  RenderContext_GdiPlus& Memory() { return memory_; }

 private:
  static void Prepare(RenderContext_GdiPlus* context, const Placement& placement) {
    switch (placement.clip) {
      case Clip::kNone:
        break;
      case Clip::kRect:
        context->PushClip({5, 3, 50, 40});
        break;
      case Clip::kNested:
        context->PushClip({5, 3, 50, 40});
        context->PushClip({-10, 10, 30, 100});
        break;
      case Clip::kRound:
        context->PushRoundClip({4, 4, 60, 44}, 20, 20);
        break;
      case Clip::kEmpty:
        context->PushClip({10, 10, 10, 20});
        break;
    }
    // Clips are pushed before the origin moves, as windows do it.
    context->SetOrigin(placement.origin);
  }

  RenderContext_GdiPlus platform_;
  RenderContext_GdiPlus memory_;
};

const Placement kPlacements[] = {
    {{0, 0}, Clip::kNone},     {{0, 0}, Clip::kRect},  {{-7, 5}, Clip::kRect},
    {{13, -4}, Clip::kNested}, {{3, 2}, Clip::kRound}, {{0, 0}, Clip::kEmpty},
};

std::vector<const PixelKernels*> AllKernels() {
  std::vector<const PixelKernels*> kernels{&PixelKernels::Plain()};
  if (PixelKernels::Sse2()) kernels.push_back(PixelKernels::Sse2());
  return kernels;
}

const char* KernelName(const PixelKernels* kernels) {
  return kernels == &PixelKernels::Plain() ? "plain" : "sse2";
}

// Runs the drawing under every placement with every set of row operations.
template <typename Draw>
void ExpectSameAsPlatform(const char* what, Draw draw, int tolerance = 0) {
  for (const PixelKernels* kernels : AllKernels()) {
    for (const Placement& placement : kPlacements) {
      Pair pair(*kernels, placement);
      pair.Run(draw);
      EXPECT_EQ("", pair.Differences(tolerance))
          << what << ", " << KernelName(kernels) << " rows, origin (" << placement.origin.x << ", "
          << placement.origin.y << "), clip kind " << int(placement.clip);
    }
  }
}

struct FillCase {
  const char* name;
  UiRect rect;
  UiColor color;
  unsigned char alpha;
};

const FillCase kFillCases[] = {
    {"opaque", {3, 2, 40, 30}, 0xFF336699, 255},
    {"opaque scaled to translucent", {3, 2, 40, 30}, 0xFF336699, 200},
    {"translucent", {0, 0, 64, 48}, 0x80FF0000, 255},
    {"translucent scaled", {1, 1, 18, 9}, 0x64102030, 51},
    {"nearly transparent", {2, 2, 9, 9}, 0x01FFFFFF, 255},
    {"nearly opaque", {2, 2, 9, 9}, 0xFEFFFFFF, 255},
    {"alpha 0 draws nothing", {2, 2, 9, 9}, 0xFFFFFFFF, 0},
    {"one pixel", {5, 5, 6, 6}, 0xC8123456, 255},
    {"three pixels wide (row tail)", {7, 1, 10, 20}, 0x7F00FF00, 255},
    {"empty", {5, 5, 5, 9}, 0xFF000000, 255},
    {"inverted", {20, 20, 10, 10}, 0xFF0000FF, 255},
    {"partly off the surface", {-20, -5, 20, 100}, 0xA0A0B0C0, 255},
    {"wholly off the surface", {100, 100, 140, 120}, 0xFF00FF00, 255},
    {"far away", {-2000000000, 0, 2000000000, 10}, 0x40FFFFFF, 255},
};

class FillEqualityTest : public testing::TestWithParam<FillCase> {};

TEST_P(FillEqualityTest, MatchesGdiPlusExactly) {
  const FillCase& c = GetParam();
  ExpectSameAsPlatform(
      c.name, [&](RenderContext_GdiPlus& context) { context.FillColor(c.rect, c.color, c.alpha); });
}

std::string CaseName(const char* name) {
  std::string out = name;
  for (char& ch : out) ch = isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
  return out;
}

INSTANTIATE_TEST_SUITE_P(Cases, FillEqualityTest, testing::ValuesIn(kFillCases),
                         [](const auto& info) { return CaseName(info.param.name); });

struct BitmapCase {
  const char* name;
  int imageWidth;
  int imageHeight;
  bool topDown;
  bool hasAlpha;
  UiRect dest;
  UiRect source;
  UiRect corners;
  unsigned char fade;
  bool tileX;
  bool tileY;
  bool alphaExact;
};

// One case a line: name, image width and height, top-down, alpha, dest, source, corners,
// fade, tiled across, tiled down, exact alpha.
// clang-format off
const BitmapCase kBitmapCases[] = {
    {"nine-grid", 30, 30, true, true, {4, 6, 124 - 64, 38}, {0, 0, 30, 30}, {10, 10, 10, 10}, 255, false, false, false},
    {"nine-grid faded", 30, 30, true, true, {2, 3, 50, 40}, {0, 0, 30, 30}, {10, 10, 10, 10}, 128, false, false, false},
    {"unscaled", 20, 12, true, true, {7, 9, 27, 21}, {0, 0, 20, 12}, {}, 255, false, false, false},
    {"unscaled bottom-up", 20, 12, false, true, {7, 9, 27, 21}, {0, 0, 20, 12}, {}, 255, false, false, false},
    {"source area", 40, 40, true, true, {1, 1, 18, 15}, {5, 7, 22, 21}, {}, 200, false, false, false},
    {"enlarged", 7, 5, true, true, {0, 0, 61, 47}, {0, 0, 7, 5}, {}, 255, false, false, false},
    {"shrunk", 64, 64, true, true, {3, 3, 40, 20}, {0, 0, 64, 64}, {}, 255, false, false, false},
    {"stretched one way, shrunk the other", 16, 60, true, true, {2, 2, 60, 30}, {0, 0, 16, 60}, {}, 255, false, false, false},
    {"one-pixel image", 1, 1, true, true, {3, 4, 20, 30}, {0, 0, 1, 1}, {}, 255, false, false, false},
    {"one-pixel image at its size", 1, 1, true, true, {3, 4, 4, 5}, {0, 0, 1, 1}, {}, 77, false, false, false},
    {"tiled both ways", 12, 12, true, true, {0, 0, 60, 45}, {0, 0, 12, 12}, {3, 3, 3, 3}, 255, true, true, false},
    {"tiled across", 12, 12, true, true, {0, 0, 60, 45}, {0, 0, 12, 12}, {3, 3, 3, 3}, 180, true, false, false},
    {"tiled down", 12, 12, true, true, {0, 0, 60, 45}, {0, 0, 12, 12}, {3, 3, 3, 3}, 255, false, true, false},
    {"corners larger than the target", 30, 30, true, true, {10, 10, 25, 22}, {0, 0, 30, 30}, {10, 10, 10, 10}, 255, false, false, false},
    {"opaque stretched (copied by the platform)", 16, 16, true, false, {2, 2, 50, 40}, {0, 0, 16, 16}, {4, 4, 4, 4}, 255, false, false, false},
    {"opaque stretched with exact alpha", 16, 16, true, false, {2, 2, 50, 40}, {0, 0, 16, 16}, {4, 4, 4, 4}, 255, false, false, true},
    {"source outside the image", 10, 10, true, true, {2, 2, 30, 30}, {5, 5, 20, 20}, {}, 255, false, false, false},
    {"off the surface", 10, 10, true, true, {70, 2, 90, 30}, {0, 0, 10, 10}, {}, 255, false, false, false},
    {"partly off the surface", 10, 10, true, true, {-15, 40, 30, 70}, {0, 0, 10, 10}, {2, 2, 2, 2}, 255, false, false, false},
    {"fade 0", 10, 10, true, true, {2, 2, 30, 30}, {0, 0, 10, 10}, {}, 0, false, false, false},
};
// clang-format on

class BitmapEqualityTest : public testing::TestWithParam<BitmapCase> {};

TEST_P(BitmapEqualityTest, MatchesAlphaBlendExactly) {
  const BitmapCase& c = GetParam();
  Image image(c.imageWidth, c.imageHeight, c.topDown, 11);
  ExpectSameAsPlatform(c.name, [&](RenderContext_GdiPlus& context) {
    context.SetAlphaExact(c.alphaExact);
    context.PaintBitmap({-100, -100, 200, 200}, image.Get(), c.hasAlpha, c.dest, c.source,
                        c.corners, c.fade, c.tileX, c.tileY);
  });
}

INSTANTIATE_TEST_SUITE_P(Cases, BitmapEqualityTest, testing::ValuesIn(kBitmapCases),
                         [](const auto& info) { return CaseName(info.param.name); });

// Every pairing of source and destination lengths up to a size, one row each, so that the
// choice of source pixels in a stretch is checked everywhere rather than at a few sizes.
TEST(BitmapEqualityTest, StretchPicksTheSamePixelsAtEveryLength) {
  Image row(40, 1, true, 5);
  Image column(1, 40, true, 5);
  for (int sourceLength = 1; sourceLength <= 40; sourceLength += 3) {
    for (int destLength = 1; destLength <= 48; ++destLength) {
      Pair pair(PixelKernels::Best(), Placement{});
      pair.Run([&](RenderContext_GdiPlus& context) {
        context.PaintBitmap({0, 0, 64, 48}, row.Get(), true, {0, 0, destLength, 1},
                            {0, 0, sourceLength, 1}, {}, 255, false, false);
        context.PaintBitmap({0, 0, 64, 48}, column.Get(), true, {5, 0, 6, destLength},
                            {0, 0, 1, sourceLength}, {}, 255, false, false);
      });
      ASSERT_EQ("", pair.Differences()) << sourceLength << " to " << destLength;
    }
  }
}

struct BlendBitsCase {
  const char* name;
  UiRect dest;
  UiRect source;  // in the source's logical coordinates
  UiPoint sourceOrigin;
  unsigned char alpha;
};

const BlendBitsCase kBlendBitsCases[] = {
    {"at its size", {3, 4, 33, 24}, {0, 0, 30, 20}, {0, 0}, 255},
    {"with constant alpha", {3, 4, 33, 24}, {5, 5, 35, 25}, {0, 0}, 128},
    {"source origin moved", {0, 0, 30, 20}, {10, 10, 40, 30}, {6, 3}, 200},
    {"stretched", {1, 1, 60, 45}, {2, 2, 20, 12}, {0, 0}, 255},
    {"shrunk", {1, 1, 25, 15}, {0, 0, 40, 30}, {0, 0}, 255},
    {"partly off the surface", {-10, 30, 50, 70}, {0, 0, 40, 30}, {0, 0}, 255},
    {"source outside its surface", {0, 0, 30, 20}, {30, 30, 60, 50}, {0, 0}, 255},
    {"empty", {0, 0, 0, 20}, {0, 0, 10, 10}, {0, 0}, 255},
    {"inverted", {20, 0, 0, 20}, {0, 0, 10, 10}, {0, 0}, 255},
};

class BlendBitsEqualityTest : public testing::TestWithParam<BlendBitsCase> {};

TEST_P(BlendBitsEqualityTest, MatchesAlphaBlendExactly) {
  const BlendBitsCase& c = GetParam();
  RenderContext_GdiPlus source;
  source.Resize(40, 30, true);
  FillRandom(static_cast<uint32_t*>(source.GetPixelBits()), 40 * 30, 3);
  source.SetOrigin(c.sourceOrigin);
  // The platform's answer for the first context drawn is the one the second must give.
  int answers = 0;
  bool platformDrew = false;
  ExpectSameAsPlatform(c.name, [&](RenderContext_GdiPlus& context) {
    const bool drawn = context.BlendBits(c.dest.left, c.dest.top, c.dest.Width(), c.dest.Height(),
                                         source.GetDc(), c.source.left, c.source.top,
                                         c.source.Width(), c.source.Height(), c.alpha);
    if (answers++ % 2 == 0) {
      platformDrew = drawn;
    } else {
      EXPECT_EQ(platformDrew, drawn);
    }
  });
}

INSTANTIATE_TEST_SUITE_P(Cases, BlendBitsEqualityTest, testing::ValuesIn(kBlendBitsCases),
                         [](const auto& info) { return CaseName(info.param.name); });

struct TextCase {
  const char* name;
  UiRect rect;
  const wchar_t* text;
  const wchar_t* fontId;
  ui::TextStyle style;
  UiColor color;
  unsigned char alpha;
  bool lineLimit;
};

const TextCase kTextCases[] = {
    {"single line",
     {2, 3, 62, 27},
     L"Start game",
     L"tahoma",
     ui::kTextSingleLine | ui::kTextVCenter,
     0xFF000000,
     255,
     false},
    {"centred, translucent colour",
     {0, 0, 64, 48},
     L"Settings",
     L"tahoma",
     ui::kTextCenter | ui::kTextVCenter | ui::kTextSingleLine,
     0x80FF2040,
     255,
     false},
    {"right and bottom, faded",
     {5, 5, 60, 45},
     L"Log out",
     L"tahoma",
     ui::kTextRight | ui::kTextBottom | ui::kTextSingleLine,
     0xFF2080FF,
     128,
     false},
    {"cut with an ellipsis",
     {1, 1, 40, 20},
     L"Server 12 - Tarnwick",
     L"tahoma",
     ui::kTextSingleLine | ui::kTextEndEllipsis,
     0xFF000000,
     255,
     false},
    {"wrapped, line limit",
     {0, 0, 45, 40},
     L"Account settings and more",
     L"tahoma",
     0,
     0xFF004000,
     255,
     true},
    {"longer than its rectangle",
     {10, 10, 30, 22},
     L"Tarnwick client",
     L"tahoma",
     ui::kTextSingleLine,
     0xFF000000,
     255,
     false},
    {"unknown font",
     {0, 0, 64, 24},
     L"Account",
     L"nothing",
     ui::kTextSingleLine,
     0xFF000000,
     255,
     false},
    {"east Asian",
     {0, 0, 64, 24},
     L"\x767B\x5F55",
     L"tahoma",
     ui::kTextSingleLine,
     0xFF000000,
     255,
     false},
    {"not clipped (drawn by GDI+)",
     {10, 10, 30, 22},
     L"Tarnwick client",
     L"tahoma",
     ui::kTextSingleLine | ui::kTextNoClip,
     0xFF000000,
     255,
     false},
};

class TextEqualityTest : public testing::TestWithParam<TextCase> {
 protected:
  void SetUp() override {
    font_ = CreateFontW(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma");
    HFONT font = font_;
    ui::RenderLookup::SetFontLookup([font](const std::wstring& id, ui::RenderFont* entry) {
      if (id != L"tahoma") return false;
      entry->handle = font;
      entry->faceName = L"Tahoma";
      entry->size = 12;
      return true;
    });
  }
  void TearDown() override {
    ui::RenderLookup::SetFontLookup(nullptr);
    DeleteObject(font_);
  }

  HFONT font_ = nullptr;
};

// GDI+ blends each glyph of a text separately; a run has its glyphs blended among
// themselves first and then laid over the surface once, so where two glyphs overlap the
// roundings happen in another order. Text is therefore compared within 2 per byte. The text is
// drawn three times: the first builds the run, the others (one of them moved) reuse it.
TEST_P(TextEqualityTest, MatchesGdiPlusWithinOne) {
  const TextCase& c = GetParam();
  ExpectSameAsPlatform(
      c.name,
      [&](RenderContext_GdiPlus& context) {
        for (int round = 0; round < 2; ++round) {
          context.PaintText(c.rect, c.text, c.color, c.fontId, c.style, c.alpha, c.lineLimit);
        }
        UiRect moved = c.rect;
        moved.Offset(7, 11);
        context.PaintText(moved, c.text, c.color, c.fontId, c.style, c.alpha, c.lineLimit);
      },
      2);
}

INSTANTIATE_TEST_SUITE_P(Cases, TextEqualityTest, testing::ValuesIn(kTextCases),
                         [](const auto& info) { return CaseName(info.param.name); });

// The surface's pixel operations with plain and SSE2 rows, on random pixels.
TEST(PixelOperationsTest, PlainAndSse2RowsGiveTheSamePixels) {
  if (!PixelKernels::Sse2()) GTEST_SKIP() << "no SSE2 on this processor";
  struct Operation {
    const char* name;
    void (*run)(RenderContext_GdiPlus&);
  };
  const Operation operations[] = {
      {"Clear", [](RenderContext_GdiPlus& c) { c.Clear(); }},
      {"ResetPixels",
       [](RenderContext_GdiPlus& c) {
         c.ResetPixels({3, -2, 41, 30}, 0x5A);
       }},
      {"ResetPixels whole rows",
       [](RenderContext_GdiPlus& c) {
         c.ResetPixels({0, 5, 64, 9}, 0);
       }},
      {"MakeOpaque",
       [](RenderContext_GdiPlus& c) {
         c.MakeOpaque({1, 1, 63, 47}, {8, 8, 8, 8}, 0);
       }},
      {"MakeOpaque keyed",
       [](RenderContext_GdiPlus& c) {
         c.MakeOpaque({0, 0, 64, 48}, {3, 5, 7, 2}, 200);
       }},
  };
  for (const Operation& operation : operations) {
    std::vector<uint32_t> results[2];
    const PixelKernels* kernels[2] = {&PixelKernels::Plain(), PixelKernels::Sse2()};
    for (int k = 0; k < 2; ++k) {
      RenderContext_GdiPlus context;
      context.UsePixelKernels(*kernels[k]);
      context.Resize(kWidth, kHeight, true);
      auto* bits = static_cast<uint32_t*>(context.GetPixelBits());
      FillRandom(bits, size_t(kWidth) * kHeight, 9);
      // A key alpha that occurs.
      for (int i = 0; i < kWidth * kHeight; i += 3) bits[i] = (bits[i] & 0xFFFFFF) | 0xC8000000u;
      operation.run(context);
      results[k].assign(bits, bits + kWidth * kHeight);
    }
    EXPECT_TRUE(results[0] == results[1]) << operation.name;
  }
}

// The row operations against the platform's blend formula written out, over every source
// alpha and colour byte pairing with a spread of destinations and constant alphas.
TEST(PixelOperationsTest, RowsRoundLikeThePlatformBlend) {
  auto expected = [](uint32_t d, uint32_t s, unsigned k) {
    uint32_t scaled = 0;
    for (int shift = 0; shift < 32; shift += 8) {
      const uint32_t byte = (s >> shift) & 0xFF;
      scaled |= (k == 255 ? byte : (byte * k + 127) / 255) << shift;
    }
    const uint32_t keep = 255 - (scaled >> 24);
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
      out |= (((scaled >> shift) & 0xFF) + (((d >> shift) & 0xFF) * keep + 127) / 255) << shift;
    }
    return out;
  };
  std::vector<uint32_t> sources;
  for (uint32_t a = 0; a < 256; ++a) {
    for (uint32_t c = 0; c <= a; c += 1 + a / 16)
      sources.push_back(a << 24 | c << 16 | (a - c) << 8 | c / 2);
  }
  std::mt19937 random(1);
  for (const PixelKernels* kernels : AllKernels()) {
    for (unsigned k : {255u, 254u, 200u, 128u, 1u, 0u}) {
      std::vector<uint32_t> row(sources.size());
      for (uint32_t& d : row) d = RandomPixel(random);
      const std::vector<uint32_t> before = row;
      kernels->blendRow(row.data(), sources.data(), int(row.size()), k);
      int wrong = 0;
      for (size_t i = 0; i < row.size(); ++i) wrong += row[i] != expected(before[i], sources[i], k);
      EXPECT_EQ(0, wrong) << KernelName(kernels) << " rows, constant alpha " << k;
    }
  }
}

// A source colour above its own alpha is no premultiplied pixel; the platform lets such a
// byte carry into the next one, the rows keep it at 255 instead, both alike: red 255 over
// white stays 255, green and blue keep 239/255 of the white.
TEST(PixelOperationsTest, BytesPastTheirRangeStayAt255) {
  const uint32_t sources[5] = {0x10FF0000u, 0x10FF0000u, 0x10FF0000u, 0x10FF0000u, 0x10FF0000u};
  for (const PixelKernels* kernels : AllKernels()) {
    uint32_t row[5] = {0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0x00000000u};
    kernels->blendRow(row, sources, 5, 255);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(0xFFFFEFEFu, row[i]) << KernelName(kernels);
    EXPECT_EQ(0x10FF0000u, row[4]) << KernelName(kernels);
    uint32_t solid[3] = {0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu};
    kernels->blendSolid(solid, 3, 0x10FF0000u);
    for (uint32_t pixel : solid) EXPECT_EQ(0xFFFFEFEFu, pixel) << KernelName(kernels);
  }
}

}  // namespace

#include "ui/core/images/image_loader.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "common/committed_memory.h"
#include "runtime/string_util.h"
#include "ui/core/image_attributes/image_test_util.h"
#include "ui/core/resources/ui_registry.h"
#include "ui/render/render_test_util.h"

namespace ui {
namespace {

using image_test::ImagePath;
using render_test::Pixel;

Pixel Rgb(int r, int g, int b) {
  return Pixel{uint8_t(b), uint8_t(g), uint8_t(r), 255};
}

const Pixel kRed = Rgb(255, 0, 0);
const Pixel kGreen = Rgb(0, 255, 0);
const Pixel kBlue = Rgb(0, 0, 255);
const Pixel kWhite = Rgb(255, 255, 255);

// Draws a frame 1:1 onto a transparent surface of its size and reads the pixels back.
class FrameSurface {
 public:
  FrameSurface(const ImageInfo& image, int frame)
      : context_(render_test::MakeContext(image.width, image.height)) {
    const UiRect all{0, 0, image.width, image.height};
    context_->PaintBitmap(all, image.Frame(frame), image.alpha, all, all, UiRect{}, 255, false,
                          false);
  }
  Pixel At(int x, int y) { return render_test::PixelAt(*context_, x, y); }

 private:
  std::unique_ptr<IRenderContext> context_;
};

bool Near(const Pixel& a, const Pixel& b, int tolerance) {
  return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
         std::abs(a.b - b.b) <= tolerance && a.a == b.a;
}

struct FormatCase {
  const wchar_t* file;
  int width;
  int height;
  bool alpha;
  int frames;
};

TEST(ImageLoaderTest, DecodesEachFormatWithItsSizeAlphaAndFrames) {
  const FormatCase cases[] = {
      {L"grid.png", 30, 30, false, 1},       // 24-bit: the format has no alpha
      {L"opaque_rgba.png", 8, 8, false, 1},  // 32-bit, every pixel opaque
      {L"half_pixel.png", 8, 8, true, 1},    // 32-bit, one pixel at alpha 128
      {L"transparent.png", 8, 8, true, 1},   // 32-bit, half the pixels clear
      {L"quadrants.jpg", 16, 16, false, 1},  {L"columns.bmp", 6, 4, false, 1},
      {L"single.gif", 8, 8, false, 1},       {L"delays.gif", 4, 4, false, 6},
      {L"three_frames.gif", 4, 4, false, 3},
  };
  for (const FormatCase& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.file));
    const std::wstring path = ImagePath(c.file);
    std::unique_ptr<ImageInfo> image = LoadImageFromFile(path);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->path, path);
    EXPECT_EQ(image->width, c.width);
    EXPECT_EQ(image->height, c.height);
    EXPECT_EQ(image->alpha, c.alpha);
    EXPECT_EQ(image->FrameCount(), c.frames);
    EXPECT_EQ(image->frameDelays.size(), c.frames > 1 ? size_t(c.frames) : 0u);
    EXPECT_FALSE(image->cached);
    for (int i = 0; i < image->FrameCount(); ++i) EXPECT_NE(image->Frame(i), nullptr) << i;
  }
}

TEST(ImageLoaderTest, BadFilesGiveNothing) {
  const wchar_t* files[] = {L"missing.png", L"empty.png", L"truncated.png", L"text.png"};
  for (const wchar_t* file : files) {
    EXPECT_EQ(LoadImageFromFile(ImagePath(file)), nullptr) << testing::PrintToString(file);
    // Through the cache nothing is remembered either.
    EXPECT_EQ(UiRegistry::GetImage(ImagePath(file)), nullptr);
    EXPECT_EQ(UiRegistry::FindCachedImage(ImagePath(file)), nullptr);
  }
  EXPECT_EQ(LoadImageFromFile(L""), nullptr);
}

std::wstring HostilePath(const wchar_t* file, bool large) {
  return large ? image_test::LargeImagePath(file) : ImagePath(file);
}

struct HostileCase {
  const wchar_t* file;
  bool large;
};

const HostileCase kHostileImages[] = {
    {L"no_colour_table.gif", false},  // crashed the decoder
    {L"huge_frame.jpg", false},       // 40000 x 40000: crashed the decoder
    {L"huge_header.png", false},     {L"huge_columns.bmp", false},
    {L"text_chunks.png", true},  // 100,000 text chunks: seconds to decode
    {L"frames_20000.gif", true},     {L"frames_65536.gif", true},
    {L"frames_2500x512.gif", true},  // hundreds of megabytes left behind by each decode
};

TEST(ImageLoaderTest, HostileFilesFailCleanlyAndQuickly) {
  using Clock = std::chrono::steady_clock;
  for (const HostileCase& c : kHostileImages) {
    const std::wstring path = HostilePath(c.file, c.large);
    ASSERT_NE(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES) << kbase::WideToUtf8(path);
    const Clock::time_point start = Clock::now();
    const bool refused = LoadImageFromFile(path) == nullptr;
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    std::printf("  %-22s %s in %.1f ms\n", kbase::WideToUtf8(c.file).c_str(),
                refused ? "refused" : "LOADED", ms);
    EXPECT_TRUE(refused) << kbase::WideToUtf8(c.file);
    EXPECT_EQ(UiRegistry::GetImage(path), nullptr);
  }
}

TEST(ImageLoaderTest, RefusedAnimationsLeaveMemoryFlat) {
  const std::wstring path = HostilePath(L"frames_2500x512.gif", true);
  // Warm up, so that buffers the file system and the heap keep do not count.
  EXPECT_EQ(LoadImageFromFile(path), nullptr);
  const size_t before = test_memory::CommittedPrivateBytes();
  for (int i = 0; i < 3; ++i) EXPECT_EQ(LoadImageFromFile(path), nullptr) << i;
  const size_t after = test_memory::CommittedPrivateBytes();
  std::printf("  committed private memory %.1f MB before, %.1f MB after three loads\n",
              before / 1048576.0, after / 1048576.0);
  EXPECT_GT(before, 0u);
  EXPECT_LT(after, before + (16u << 20));
  auto normal = LoadImageFromFile(ImagePath(L"delays.gif"));
  ASSERT_NE(normal, nullptr);
  EXPECT_EQ(normal->FrameCount(), 6);
}

TEST(ImageLoaderTest, PixelsArriveInPlace) {
  auto bmp = LoadImageFromFile(ImagePath(L"columns.bmp"));
  ASSERT_NE(bmp, nullptr);
  FrameSurface columns(*bmp, 0);
  // Rows stored bottom-up come out top-down.
  EXPECT_EQ(columns.At(0, 0), kRed);
  EXPECT_EQ(columns.At(3, 1), kGreen);
  EXPECT_EQ(columns.At(5, 0), kBlue);
  EXPECT_EQ(columns.At(2, 3), kWhite);

  auto jpeg = LoadImageFromFile(ImagePath(L"quadrants.jpg"));
  ASSERT_NE(jpeg, nullptr);
  FrameSurface quadrants(*jpeg, 0);
  EXPECT_PRED3(Near, quadrants.At(3, 3), kRed, 4);
  EXPECT_PRED3(Near, quadrants.At(12, 3), kGreen, 4);
  EXPECT_PRED3(Near, quadrants.At(3, 12), kBlue, 4);
  EXPECT_PRED3(Near, quadrants.At(12, 12), kWhite, 4);

  auto png = LoadImageFromFile(ImagePath(L"grid.png"));
  ASSERT_NE(png, nullptr);
  FrameSurface grid(*png, 0);
  EXPECT_EQ(grid.At(5, 5), Rgb(40, 40, 200));
  EXPECT_EQ(grid.At(25, 15), Rgb(200, 120, 200));

  // Premultiplied, as the surface and blending want it: clear pixels stay clear.
  auto clear = LoadImageFromFile(ImagePath(L"transparent.png"));
  ASSERT_NE(clear, nullptr);
  FrameSurface halves(*clear, 0);
  EXPECT_EQ(halves.At(1, 4), (Pixel{0, 0, 0, 0}));
  EXPECT_EQ(halves.At(6, 4), kRed);
  auto half = LoadImageFromFile(ImagePath(L"half_pixel.png"));
  ASSERT_NE(half, nullptr);
  FrameSurface halfPixel(*half, 0);
  EXPECT_EQ(halfPixel.At(5, 2).a, 128);
  EXPECT_LE(std::abs(halfPixel.At(5, 2).b - 128), 1);
  EXPECT_EQ(halfPixel.At(4, 2), Rgb(0, 128, 255));
}

TEST(ImageLoaderTest, GifKeepsEveryFrameAndItsDelay) {
  auto gif = LoadImageFromFile(ImagePath(L"delays.gif"));
  ASSERT_NE(gif, nullptr);
  EXPECT_EQ(gif->frameDelays, (std::vector<uint32_t>{0, 2, 3, 4, 5, 7}));
  const Pixel colours[] = {kRed, kGreen, kBlue, kWhite, Rgb(255, 255, 0), Rgb(0, 255, 255)};
  for (int i = 0; i < gif->FrameCount(); ++i) {
    EXPECT_EQ(FrameSurface(*gif, i).At(2, 2), colours[i]) << "frame " << i;
  }
}

TEST(ImageLoaderTest, FrameDelaysFollowThePlaybackRules) {
  auto gif = LoadImageFromFile(ImagePath(L"delays.gif"));
  ASSERT_NE(gif, nullptr);
  // Stored 0 and 2 play at 100 ms, 3 and 4 at 50 ms, 5 at 50 ms, 7 at 70 ms.
  const int expected[] = {100, 100, 50, 50, 50, 70};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(gif->FrameDelayMs(i), expected[i]) << "frame " << i;
  EXPECT_EQ(gif->FrameDelayMs(6), 0);
  EXPECT_EQ(gif->FrameDelayMs(-1), 0);

  auto single = LoadImageFromFile(ImagePath(L"single.gif"));
  ASSERT_NE(single, nullptr);
  EXPECT_EQ(single->FrameDelayMs(0), 0);
}

TEST(ImageLoaderTest, TheRegistryDecodesEachPathOnceWhileItIsHeld) {
  image_test::DecodeCounter counter;
  const std::wstring path = ImagePath(L"grid.png");
  std::wstring slashed = path;
  for (wchar_t& c : slashed) {
    if (c == L'\\') c = L'/';
  }
  auto first = UiRegistry::GetImage(path);
  auto second = UiRegistry::GetImage(slashed);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first, second);
  EXPECT_EQ(counter.total(), 1);
  EXPECT_EQ(first->width, 30);
  EXPECT_TRUE(first->cached);

  first.reset();
  second.reset();
  EXPECT_EQ(UiRegistry::FindCachedImage(path), nullptr);
  EXPECT_NE(UiRegistry::GetImage(path), nullptr);
  EXPECT_EQ(counter.total(), 2);
}

}  // namespace
}  // namespace ui

// The frame decoder: pixels come out as BGRX rows, top-down; bad input changes nothing.

#include "engine/devtools/jpeg_decoder.h"

#include <gtest/gtest.h>

#include <cstdlib>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#include <stb_image_write.h>
#pragma GCC diagnostic pop

namespace {

struct Rgb {
  int r, g, b;
};

// A JPEG of four quadrants, by default red, green / blue, white.
std::string QuadrantJpeg(int width, int height,
                         const Rgb (&colours)[4] = {
                             {255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}}) {
  std::vector<unsigned char> rgb;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const Rgb& c = colours[(y >= height / 2) * 2 + (x >= width / 2)];
      rgb.insert(rgb.end(), {static_cast<unsigned char>(c.r), static_cast<unsigned char>(c.g),
                             static_cast<unsigned char>(c.b)});
    }
  }
  std::string out;
  stbi_write_jpg_to_func(
      [](void* context, void* data, int size) {
        static_cast<std::string*>(context)->append(static_cast<const char*>(data), size);
      },
      &out, width, height, 3, rgb.data(), 90);
  return out;
}

bool Near(uint32_t pixel, const Rgb& c) {
  const int tolerance = 40;
  return std::abs(static_cast<int>((pixel >> 16) & 0xFF) - c.r) <= tolerance &&
         std::abs(static_cast<int>((pixel >> 8) & 0xFF) - c.g) <= tolerance &&
         std::abs(static_cast<int>(pixel & 0xFF) - c.b) <= tolerance;
}

TEST(JpegDecoder, GivesBgrxRowsTopDown) {
  engine::JpegDecoder decoder;
  std::vector<uint32_t> pixels;
  int width = 0;
  int height = 0;
  ASSERT_TRUE(decoder.Decode(QuadrantJpeg(64, 48), pixels, width, height));
  ASSERT_EQ(width, 64);
  ASSERT_EQ(height, 48);
  ASSERT_EQ(pixels.size(), 64u * 48u);
  auto at = [&](int x, int y) { return pixels[static_cast<size_t>(y) * width + x]; };
  EXPECT_TRUE(Near(at(8, 8), {255, 0, 0})) << std::hex << at(8, 8);
  EXPECT_TRUE(Near(at(56, 8), {0, 255, 0})) << std::hex << at(56, 8);
  EXPECT_TRUE(Near(at(8, 40), {0, 0, 255})) << std::hex << at(8, 40);
  EXPECT_TRUE(Near(at(56, 40), {255, 255, 255})) << std::hex << at(56, 40);
}

TEST(JpegDecoder, BadInputFailsAndChangesNothing) {
  const std::string good = QuadrantJpeg(32, 32);
  const std::string cases[] = {
      std::string(), "not a picture at all", good.substr(0, 20),
      std::string("\xFF\xD8\xFF\xC0\x00\x11\x08\xFF\xFF\xFF\xFF\x03", 12),  // 65535 x 65535
  };
  engine::JpegDecoder decoder;
  for (const std::string& bytes : cases) {
    std::vector<uint32_t> pixels(3, 7u);
    int width = 5;
    int height = 6;
    EXPECT_FALSE(decoder.Decode(bytes, pixels, width, height)) << bytes.size() << " bytes";
    EXPECT_EQ(pixels, std::vector<uint32_t>(3, 7u));
    EXPECT_EQ(width, 5);
    EXPECT_EQ(height, 6);
  }
}

// Frames follow each other through the same buffers: each comes out whole, whatever the
// frame before it showed or measured, and a bad frame between them changes nothing.
TEST(JpegDecoder, FramesInARowComeOutRightFromReusedBuffers) {
  const Rgb first[4] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
  const Rgb second[4] = {{0, 0, 0}, {255, 255, 0}, {0, 255, 255}, {255, 0, 255}};
  const std::string a = QuadrantJpeg(320, 240, first);
  const std::string b = QuadrantJpeg(320, 240, second);
  const std::string large = QuadrantJpeg(1280, 720, second);
  const struct {
    const std::string* bytes;
    int width;
    const Rgb* colours;
  } frames[] = {{&a, 320, first}, {&b, 320, second}, {&large, 1280, second},
                {&a, 320, first}, {&b, 320, second}, {&a, 320, first}};
  engine::JpegDecoder decoder;
  std::vector<uint32_t> pixels;
  int width = 0;
  int height = 0;
  for (size_t i = 0; i < sizeof(frames) / sizeof(frames[0]); ++i) {
    ASSERT_TRUE(decoder.Decode(*frames[i].bytes, pixels, width, height)) << "frame " << i;
    ASSERT_EQ(width, frames[i].width);
    ASSERT_EQ(pixels.size(), static_cast<size_t>(width) * height);
    EXPECT_TRUE(Near(pixels[8 * width + 8], frames[i].colours[0])) << "frame " << i;
    EXPECT_TRUE(Near(pixels[(height - 10) * width + width - 10], frames[i].colours[3]))
        << "frame " << i;
    const std::vector<uint32_t> shown = pixels;
    EXPECT_FALSE(decoder.Decode(frames[i].bytes->substr(0, 200), pixels, width, height));
    EXPECT_EQ(pixels, shown) << "frame " << i;
  }
}

}  // namespace

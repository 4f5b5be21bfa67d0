#include "ui/render/text_run_cache.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

using ui::TextRun;
using ui::TextRunCache;
using ui::TextRunKey;

class TextRunCacheTest : public testing::Test {
 protected:
  void SetUp() override { dc_ = CreateCompatibleDC(nullptr); }
  void TearDown() override { DeleteDC(dc_); }

  static TextRunKey Key(const std::wstring& text) {
    TextRunKey key;
    key.text = text;
    key.color = 0xFE000000;
    key.style = ui::kTextSingleLine;
    key.width = 80;
    key.height = 20;
    return key;
  }

  HDC dc_ = nullptr;
};

TEST_F(TextRunCacheTest, KeepsTheInkedPixelsOfTheText) {
  TextRunCache cache;
  const TextRun* run = cache.Find(dc_, Key(L"Settings"));
  ASSERT_NE(nullptr, run);
  ASSERT_FALSE(run->inked.IsEmpty());
  EXPECT_EQ(size_t(run->inked.Width()) * run->inked.Height(), run->pixels.size());
  EXPECT_LT(run->inked.Width(), 80);
  // Premultiplied: no colour byte above its alpha, and some pixel is inked.
  bool inked = false;
  for (uint32_t pixel : run->pixels) {
    const uint32_t alpha = pixel >> 24;
    EXPECT_LE(pixel & 0xFF, alpha);
    inked |= alpha != 0;
  }
  EXPECT_TRUE(inked);
  const TextRun* blank = cache.Find(dc_, Key(L" "));
  ASSERT_NE(nullptr, blank);
  EXPECT_TRUE(blank->inked.IsEmpty());
}

TEST_F(TextRunCacheTest, ReusesARunOnlyForTheSameKey) {
  TextRunCache cache;
  cache.Find(dc_, Key(L"Log out"));
  cache.Find(dc_, Key(L"Log out"));
  EXPECT_EQ(1u, cache.Size());
  TextRunKey other = Key(L"Log out");
  other.color = 0xFEFF0000;
  cache.Find(dc_, other);
  other.width = 81;
  cache.Find(dc_, other);
  other.style |= ui::kTextCenter;
  cache.Find(dc_, other);
  EXPECT_EQ(4u, cache.Size());
}

TEST_F(TextRunCacheTest, StaysWithinItsBudget) {
  TextRunCache cache;
  for (size_t i = 0; i < TextRunCache::kMaxRuns + 40; ++i) {
    ASSERT_NE(nullptr, cache.Find(dc_, Key(L"Server " + std::to_wstring(i))));
  }
  EXPECT_EQ(TextRunCache::kMaxRuns, cache.Size());
  // Rectangles too large for a run are left to direct drawing.
  TextRunKey huge = Key(L"x");
  huge.width = TextRunCache::kMaxSide + 1;
  EXPECT_EQ(nullptr, cache.Find(dc_, huge));
  TextRunKey empty = Key(L"x");
  empty.height = 0;
  EXPECT_EQ(nullptr, cache.Find(dc_, empty));
}

}  // namespace

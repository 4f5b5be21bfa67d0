#include "ui/core/images/image_cache.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <set>
#include <string>

#include "ui/core/resources/ui_registry.h"

namespace ui {
namespace {

// Stands in for the decoder: files in `present` load, and every load is counted.
class ImageCacheTest : public ::testing::Test {
 protected:
  ImageCacheTest() {
    UiRegistry::SetImageLoader([this](const std::wstring& path) -> std::unique_ptr<ImageInfo> {
      ++loads_[path];
      if (!present_.count(path)) return nullptr;
      return std::make_unique<ImageInfo>();
    });
  }
  ~ImageCacheTest() override { UiRegistry::SetImageLoader(nullptr); }

  std::set<std::wstring> present_ = {L"C:\\skin\\btn\\close.png", L"C:\\skin\\bk.png"};
  std::map<std::wstring, int> loads_;
};

TEST_F(ImageCacheTest, TwoHoldersShareOneImageThatLeavesWithTheLast) {
  const std::wstring path = L"C:\\skin\\bk.png";
  auto first = UiRegistry::GetImage(path);
  auto second = UiRegistry::GetImage(path);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first.get(), second.get());
  EXPECT_EQ(loads_[path], 1);
  EXPECT_TRUE(first->cached);
  EXPECT_EQ(first->path, path);

  first.reset();
  EXPECT_EQ(UiRegistry::FindCachedImage(path), second);
  second.reset();
  EXPECT_EQ(UiRegistry::FindCachedImage(path), nullptr);

  auto again = UiRegistry::GetImage(path);
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(loads_[path], 2);
}

TEST_F(ImageCacheTest, SlashVariantsMapToOneEntry) {
  const std::wstring key = L"C:\\skin\\btn\\close.png";
  auto held = UiRegistry::GetImage(L"C:/skin/btn/close.png");
  ASSERT_NE(held, nullptr);
  EXPECT_EQ(held->path, key);
  const wchar_t* variants[] = {L"C:\\skin\\btn\\close.png", L"C://skin//btn//close.png",
                               L"C:\\\\skin\\\\btn\\close.png", L"C:\\skin/btn\\\\close.png"};
  for (const wchar_t* variant : variants) {
    EXPECT_EQ(UiRegistry::FindCachedImage(variant), held) << testing::PrintToString(variant);
    EXPECT_EQ(UiRegistry::GetImage(variant), held) << testing::PrintToString(variant);
  }
  EXPECT_EQ(loads_.size(), 1u);
  EXPECT_EQ(loads_[key], 1);
}

TEST_F(ImageCacheTest, FileThatDoesNotLoadIsNotCached) {
  const std::wstring path = L"C:\\skin\\missing.png";
  EXPECT_EQ(UiRegistry::GetImage(path), nullptr);
  EXPECT_EQ(UiRegistry::FindCachedImage(path), nullptr);
  EXPECT_EQ(UiRegistry::GetImage(path), nullptr);
  EXPECT_EQ(loads_[path], 2);
}

TEST_F(ImageCacheTest, FindingNeverLoads) {
  EXPECT_EQ(UiRegistry::FindCachedImage(L"C:\\skin\\bk.png"), nullptr);
  EXPECT_TRUE(loads_.empty());
}

TEST(ImageCacheLifetimeTest, ImageOutlivingItsCacheDiesQuietly) {
  std::shared_ptr<ImageInfo> survivor;
  {
    ImageCache cache;
    cache.SetLoader([](const std::wstring&) { return std::make_unique<ImageInfo>(); });
    survivor = cache.GetImage(L"C:\\a.png");
    ASSERT_NE(survivor, nullptr);
    EXPECT_EQ(cache.size(), 1u);
  }
  EXPECT_FALSE(survivor->cached);
  survivor.reset();  // must not reach the destroyed cache
}

struct NormalizeCase {
  const wchar_t* input;
  const wchar_t* expected;
};

TEST(NormalizeFilePathTest, MapsSeparators) {
  const NormalizeCase cases[] = {
      {L"C:/a/b.png", L"C:\\a\\b.png"},
      {L"C:\\a\\b.png", L"C:\\a\\b.png"},
      {L"C:\\\\a//b.png", L"C:\\a\\b.png"},
      {L"C:\\a/\\b.png", L"C:\\a\\b.png"},
      // One pass: three separators leave two.
      {L"C:\\a\\\\\\b.png", L"C:\\a\\\\b.png"},
      {L"a.png", L"a.png"},
      {L"", L""},
      // A network path keeps its opening pair.
      {L"\\\\server\\share\\a.png", L"\\\\server\\share\\a.png"},
      {L"//server/share//a.png", L"\\\\server\\share\\a.png"},
  };
  for (const NormalizeCase& c : cases) {
    EXPECT_EQ(NormalizeFilePath(c.input), c.expected) << testing::PrintToString(c.input);
  }
}

TEST(ImagePathLessTest, OrdersByLengthThenFromTheEnd) {
  const ImagePathLess less;
  EXPECT_TRUE(less(L"zz.png", L"a\\a.png"));  // shorter first, whatever the letters
  EXPECT_FALSE(less(L"a\\a.png", L"zz.png"));
  EXPECT_TRUE(less(L"b\\a.png", L"a\\b.png"));  // the last differing character decides
  EXPECT_FALSE(less(L"a\\b.png", L"b\\a.png"));
  EXPECT_TRUE(less(L"a1.gif", L"a1.png"));
  EXPECT_FALSE(less(L"same.png", L"same.png"));
}

}  // namespace
}  // namespace ui

#include "ui/core/image_attributes/image_attribute.h"

#include <gtest/gtest.h>

#include <string>

#include "ui/core/resources/dpi_scaler.h"
#include "ui/core/resources/ui_registry.h"
#include "ui/render/render_test_util.h"

namespace ui {
namespace {

const UiRect kUnset{-1, -1, -1, -1};
const UiRect kNoCorner{0, 0, 0, 0};

// What a parsed attribute string holds. Unlisted fields of a case keep their defaults.
struct Expected {
  std::wstring file;
  UiRect dest = kUnset;
  UiRect source = kUnset;
  UiRect corner = kNoCorner;
  int fade = 255;
  bool xTiled = false;
  bool yTiled = false;
  int playCount = -1;
};

struct ParseCase {
  const wchar_t* text;
  Expected expected;
};

void ExpectAttribute(const ImageAttribute& a, const Expected& e, const std::wstring& text) {
  SCOPED_TRACE(testing::PrintToString(text));
  EXPECT_EQ(a.imageString, text);
  EXPECT_EQ(a.file, e.file);
  EXPECT_EQ(a.dest, e.dest);
  EXPECT_EQ(a.source, e.source);
  EXPECT_EQ(a.corner, e.corner);
  EXPECT_EQ(a.fade, e.fade);
  EXPECT_EQ(a.xTiled, e.xTiled);
  EXPECT_EQ(a.yTiled, e.yTiled);
  EXPECT_EQ(a.playCount, e.playCount);
  EXPECT_EQ(a.image, nullptr);
  EXPECT_EQ(a.frameIndex, 0);
  EXPECT_FALSE(a.playing);
  EXPECT_EQ(a.cyclesDone, 0);
}

Expected FileOnly(const wchar_t* file) {
  Expected e;
  e.file = file;
  return e;
}

Expected WithFade(const wchar_t* file, int fade) {
  Expected e = FileOnly(file);
  e.fade = fade;
  return e;
}

TEST(ImageAttributeTest, ParsesStringsAndKeepsWhatCameBeforeAFault) {
  Expected every;
  every.file = L"bk.png";
  every.dest = {1, 2, 3, 4};
  every.source = {5, 6, 7, 8};
  every.corner = {9, 10, 11, 12};
  every.fade = 128;
  every.xTiled = true;
  every.yTiled = true;
  every.playCount = 3;
  Expected shortRect = FileOnly(L"a.png");
  shortRect.dest = {1, 2, 0, 0};
  shortRect.source = {7, 0, 0, 0};
  Expected tiledCase = FileOnly(L"a.png");
  tiledCase.yTiled = true;
  Expected negative = FileOnly(L"a.png");
  negative.playCount = 0;
  negative.corner = {-3, 4, 5, 6};

  const ParseCase cases[] = {
      // A bare file name has no "=", so it applies nothing and stays the file.
      {L"bk.png", FileOnly(L"bk.png")},
      {L"skin\\btn close.png", FileOnly(L"skin\\btn close.png")},
      {L"", FileOnly(L"")},
      {L"file='bk.png' dest='1,2,3,4' source='5,6,7,8' corner='9,10,11,12' fade='128' "
       L"xtiled='true' ytiled='true' playcount='3'",
       every},
      {L"res='r.png'", FileOnly(L"r.png")},
      // Unknown names, names in another case and empty values are skipped, parsing goes on.
      {L"file='a.png' colour='red' fade='10'", WithFade(L"a.png", 10)},
      {L"file='a.png' Fade='10'", FileOnly(L"a.png")},
      {L"file='a.png' fade='' fade='20'", WithFade(L"a.png", 20)},
      {L"file='' fade='20'", WithFade(L"file='' fade='20'", 20)},
      // Blanks around "=" and before the first item are allowed.
      {L"  file = 'a.png' fade=  '30'", WithFade(L"a.png", 30)},
      // Exactly one blank between items: two end the string after the first.
      {L"file='a.png'  fade='10'", FileOnly(L"a.png")},
      {L"file='a.png'\tfade='10'", FileOnly(L"a.png")},
      {L"file='a.png' ", FileOnly(L"a.png")},
      // Double quotes, a missing "=" or a missing closing apostrophe end parsing.
      {L"file=\"a.png\" fade='10'", FileOnly(L"file=\"a.png\" fade='10'")},
      {L"file 'a.png'", FileOnly(L"file 'a.png'")},
      {L"fade='10' file='a.png", WithFade(L"fade='10' file='a.png", 10)},
      {L"file='a.png'fade='10'", FileOnly(L"a.png")},
      // Booleans are true exactly for "true".
      {L"file='a.png' xtiled='True' ytiled='true'", tiledCase},
      // Fade is kept as a byte; missing numbers of a rectangle read as 0.
      {L"file='a.png' fade='300'", WithFade(L"a.png", 44)},
      {L"file='a.png' dest='1,2' source='7'", shortRect},
      {L"file='a.png' playcount='0' corner='-3;4;5;6'", negative},
  };
  for (const ParseCase& c : cases) {
    ImageAttribute attribute;
    attribute.SetImageString(c.text);
    ExpectAttribute(attribute, c.expected, c.text);
  }
}

TEST(ImageAttributeTest, SettingAStringResetsEverythingFirst) {
  ImageAttribute attribute;
  attribute.SetImageString(L"file='a.png' fade='10' corner='1,1,1,1' playcount='2'");
  attribute.frameIndex = 3;
  attribute.playing = true;
  attribute.cyclesDone = 1;
  attribute.image = std::make_shared<ImageInfo>();

  attribute.SetImageString(L"b.png");
  ExpectAttribute(attribute, FileOnly(L"b.png"), L"b.png");
}

TEST(ImageAttributeTest, ModificationChangesOnlyWhatItNames) {
  ImageAttribute attribute;
  attribute.SetImageString(L"file='a.png' source='0,0,8,8' fade='100' xtiled='true'");
  ImageAttribute copy = attribute;
  ParseImageAttribute(&copy, L"destscale='false' dest='1,2,3,4' fade='50'");

  EXPECT_EQ(copy.dest, (UiRect{1, 2, 3, 4}));
  EXPECT_EQ(copy.fade, 50);
  EXPECT_EQ(copy.source, (UiRect{0, 0, 8, 8}));
  EXPECT_TRUE(copy.xTiled);
  EXPECT_EQ(copy.file, L"a.png");
  EXPECT_EQ(copy.imageString, attribute.imageString);
  // The attribute itself is untouched.
  EXPECT_EQ(attribute.dest, kUnset);
  EXPECT_EQ(attribute.fade, 100);
}

// Scaling on at 200 % for one test.
class DestScaleTest : public ::testing::Test {
 protected:
  DestScaleTest() {
    scaler_.SetEnabled(true);
    scaler_.SetPercent(200);
  }
  ~DestScaleTest() override {
    scaler_.SetPercent(100);
    scaler_.SetEnabled(false);
  }

  DpiScaler& scaler_ = UiRegistry::GetDpiScaler();
};

TEST_F(DestScaleTest, DestIsScaledUnlessDestscaleFalseComesFirst) {
  const UiRect scaled{2, 4, 22, 44};
  const UiRect plain{1, 2, 11, 22};
  const struct {
    const wchar_t* text;
    UiRect dest;
  } cases[] = {
      {L"file='a.png' dest='1,2,11,22'", scaled},
      {L"file='a.png' destscale='true' dest='1,2,11,22'", scaled},
      // The flag is read in order: after "dest" it comes too late.
      {L"file='a.png' dest='1,2,11,22' destscale='false'", scaled},
      {L"file='a.png' destscale='false' dest='1,2,11,22'", plain},
      {L"destscale='TRUE' dest='1,2,11,22'", plain},
  };
  for (const auto& c : cases) {
    ImageAttribute attribute;
    attribute.SetImageString(c.text);
    EXPECT_EQ(attribute.dest, c.dest) << testing::PrintToString(c.text);
  }
  // Other rectangles are never scaled.
  ImageAttribute attribute;
  attribute.SetImageString(L"source='1,2,11,22' corner='1,2,3,4'");
  EXPECT_EQ(attribute.source, plain);
  EXPECT_EQ(attribute.corner, (UiRect{1, 2, 3, 4}));
}

}  // namespace
}  // namespace ui

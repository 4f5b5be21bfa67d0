// Whether the client follows the screen's DPI: the "service.ini" setting, the percentage a
// DPI gives, and what it does to the framework's scaler.

#include "app/display_scale.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "common/temp_folder.h"
#include "ui/core/resources/dpi_scaler.h"

namespace {

struct SettingCase {
  const char* name;
  std::string file;  // empty: no file at all
  bool enabled;
};

class DisplayScaleSettingTest : public ::testing::TestWithParam<SettingCase> {};

TEST_P(DisplayScaleSettingTest, ReadsTheSwitchAndKeepsScalingOnForAnythingElse) {
  test_files::TempFolder folder(L"display_");
  const std::wstring path = GetParam().file.empty() ? folder.Path() + L"service.ini"
                                                    : folder.Write(L"service.ini", GetParam().file);
  EXPECT_EQ(DisplayScale::Read(path).Enabled(), GetParam().enabled);
}

INSTANTIATE_TEST_SUITE_P(
    Files, DisplayScaleSettingTest,
    ::testing::Values(SettingCase{"NoFile", "", true},
                      SettingCase{"NoSection", "[service]\nsite=x\n", true},
                      SettingCase{"NoKey", "[display]\nother=off\n", true},
                      SettingCase{"Off", "[display]\ndpiscaling=off\n", false},
                      SettingCase{"OffInCapitals", "[Display]\nDpiScaling=OFF\n", false},
                      SettingCase{"Zero", "[display]\ndpiscaling=0\n", false},
                      SettingCase{"False", "[display]\ndpiscaling = false\n", false},
                      SettingCase{"No", "[display]\ndpiscaling=no\n", false},
                      SettingCase{"On", "[display]\ndpiscaling=on\n", true},
                      SettingCase{"One", "[display]\ndpiscaling=1\n", true},
                      SettingCase{"Empty", "[display]\ndpiscaling=\n", true},
                      SettingCase{"Garbage", "[display]\ndpiscaling=150%\n", true},
                      SettingCase{"Binary",
                                  std::string("[display]\ndpiscaling=\x01\xff\x00off\n", 28), true},
                      SettingCase{"OtherSectionOff", "[service]\ndpiscaling=off\n", true}),
    [](const ::testing::TestParamInfo<SettingCase>& info) { return info.param.name; });

struct DpiCase {
  int dpi;
  int percent;
};

class DisplayScalePercentTest : public ::testing::TestWithParam<DpiCase> {};

TEST_P(DisplayScalePercentTest, GivesTheDpiAsAPercentageOfNinetySix) {
  EXPECT_EQ(DisplayScale::PercentForDpi(GetParam().dpi), GetParam().percent);
}

INSTANTIATE_TEST_SUITE_P(Dpis, DisplayScalePercentTest,
                         ::testing::Values(DpiCase{96, 100}, DpiCase{120, 125}, DpiCase{144, 150},
                                           DpiCase{168, 175}, DpiCase{192, 200}, DpiCase{480, 500},
                                           DpiCase{72, 75},
                                           // No screen has these: left unscaled.
                                           DpiCase{0, 100}, DpiCase{-96, 100}, DpiCase{20, 100},
                                           DpiCase{100000, 100}));

TEST(DisplayScaleTest, SwitchesTheScalerOnAtTheDpisPercentage) {
  ui::DpiScaler scaler;
  DisplayScale().ApplyTo(scaler, 144);
  EXPECT_TRUE(scaler.enabled());
  EXPECT_EQ(scaler.percent(), 150);
  EXPECT_EQ(scaler.ScaleLength(200), 300);
  // A later DPI change of a window now follows the screen.
  scaler.OnDpiChanged(192);
  EXPECT_EQ(scaler.ScaleLength(200), 400);
}

TEST(DisplayScaleTest, TheUnscaledSettingKeepsEveryLengthAtItsLayoutSize) {
  test_files::TempFolder folder(L"display_");
  const std::wstring path = folder.Write(L"service.ini", "[display]\ndpiscaling=off\n");
  ui::DpiScaler scaler;
  DisplayScale::Read(path).ApplyTo(scaler, 144);
  EXPECT_FALSE(scaler.enabled());
  EXPECT_EQ(scaler.percent(), 100);
  EXPECT_EQ(scaler.ScaleLength(200), 200);
  scaler.OnDpiChanged(192);
  EXPECT_EQ(scaler.ScaleLength(200), 200);
}

TEST(DisplayScaleTest, ReadsTheSystemDpiOfThisScreen) {
  const HDC screen = GetDC(nullptr);
  ASSERT_NE(screen, nullptr);
  const int screenDpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  EXPECT_EQ(DisplayScale::SystemDpi(), screenDpi);
}

}  // namespace

// Reading "config.ini" and "service.ini", and the login address built from them.

#include "app/launch_settings.h"

#include <gtest/gtest.h>

#include <string>

#include "app/service_settings.h"
#include "common/temp_folder.h"

namespace {

// A UTF-16 file with its byte-order mark: how an ini file carries text beyond ANSI.
std::string Utf16File(const std::wstring& text) {
  std::string bytes = "\xFF\xFE";
  for (wchar_t c : text) {
    bytes.push_back(static_cast<char>(c & 0xFF));
    bytes.push_back(static_cast<char>((c >> 8) & 0xFF));
  }
  return bytes;
}

// A literal with the NULs inside it.
template <size_t N>
std::string Bytes(const char (&text)[N]) {
  return std::string(text, N - 1);
}

constexpr wchar_t kAccess[] = L"http://www.vexmor.test/game/s/wdAccess/?name=vexmor";

struct ConfigCase {
  const char* name;
  std::string file;  // empty: no file at all
  LaunchSettings expected;
};

class LaunchSettingsTest : public ::testing::TestWithParam<ConfigCase> {};

TEST_P(LaunchSettingsTest, ReadsTheThreeValuesAndBuildsTheLoginAddress) {
  test_files::TempFolder folder(L"config_");
  const std::wstring path = GetParam().file.empty() ? folder.Path() + L"config.ini"
                                                    : folder.Write(L"config.ini", GetParam().file);
  const LaunchSettings read = LaunchSettings::Read(path);
  const LaunchSettings& expected = GetParam().expected;
  EXPECT_EQ(read.uid, expected.uid);
  EXPECT_EQ(read.filename, expected.filename);
  EXPECT_EQ(read.token, expected.token);
  EXPECT_EQ(read.LoginAddress(kAccess), std::wstring(kAccess) + L"&uid=" + expected.uid +
                                            L"&suid=" + expected.filename + L"&token=" +
                                            expected.token);
}

const std::string kLong(300, 'x');

INSTANTIATE_TEST_SUITE_P(
    Files, LaunchSettingsTest,
    ::testing::Values(
        ConfigCase{"Missing", "", {}}, ConfigCase{"Empty", "\n", {}},
        ConfigCase{"OtherSection", "[other]\nuid=7\n", {}},
        ConfigCase{
            "AllThree", "[vexmor]\nuid=42\nfilename=s7\ntoken=abc\n", {L"42", L"s7", L"abc"}},
        ConfigCase{"SomeMissing", "[vexmor]\ntoken=t\n", {L"", L"", L"t"}},
        ConfigCase{
            "LongCutTo259", "[vexmor]\nuid=" + kLong + "\n", {std::wstring(259, L'x'), L"", L""}},
        ConfigCase{"AsItStands",
                   "[vexmor]\nuid=a&b#c d\nfilename=%41+\ntoken=x=y\n",
                   {L"a&b#c d", L"%41+", L"x=y"}},
        ConfigCase{"Binary", Bytes("\x00\xFF\xFE[vexmor\x01\n\x00uid=\x80"), {}},
        ConfigCase{"NonAscii",
                   Utf16File(L"[vexmor]\r\nuid=\u738b\u4e94\r\nfilename=\u00e9t\u00e9\r\n"),
                   {L"\u738b\u4e94", L"\u00e9t\u00e9", L""}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LaunchSettingsFileTest, AHugeFileIsNotReadAndTheStartGoesOn) {
  test_files::TempFolder folder(L"config_huge_");
  std::string huge = "[vexmor]\nuid=1\n";
  huge.append(8 * 1024 * 1024, ';');
  const LaunchSettings read = LaunchSettings::Read(folder.Write(L"config.ini", huge));
  EXPECT_TRUE(read.uid.empty());
  EXPECT_EQ(read.LoginAddress(L"a"), L"a&uid=&suid=&token=");
}

struct ServiceCase {
  const char* name;
  std::string file;
  std::wstring site, siteHost, payment, gameHost;
};

class ServiceSettingsTest : public ::testing::TestWithParam<ServiceCase> {};

TEST_P(ServiceSettingsTest, GivesTheServiceOrTheDemoDefaults) {
  test_files::TempFolder folder(L"service_");
  const std::wstring path = GetParam().file.empty() ? folder.Path() + L"service.ini"
                                                    : folder.Write(L"service.ini", GetParam().file);
  const ServiceSettings service = ServiceSettings::Read(path);
  EXPECT_EQ(service.Site(), GetParam().site);
  EXPECT_EQ(service.SiteHost(), GetParam().siteHost);
  EXPECT_EQ(service.PaymentHost(), GetParam().payment);
  EXPECT_EQ(service.GameHost(), GetParam().gameHost);
  EXPECT_EQ(service.AccessUrl(), GetParam().site + L"/game/s/wdAccess/?name=vexmor");
}

#define DEMO \
  L"http://www.vexmor.test", L"www.vexmor.test", L"pay.vexmor.test", L"vexmor.vexmor.test"

INSTANTIATE_TEST_SUITE_P(
    Files, ServiceSettingsTest,
    ::testing::Values(
        ServiceCase{"Missing", "", DEMO},
        ServiceCase{"Empty", "[service]\nsite=\npayment=\ndomain=\n", DEMO},
        ServiceCase{"Given",
                    "[service]\nsite=https://www.example.test:8443/\npayment=pay.example.test\n"
                    "domain=example.test\n",
                    L"https://www.example.test:8443", L"www.example.test:8443", L"pay.example.test",
                    L"vexmor.example.test"},
        ServiceCase{"NoScheme", "[service]\nsite=www.example.test\n", DEMO},
        ServiceCase{"OtherScheme", "[service]\nsite=file://server/share\n", DEMO},
        ServiceCase{"WithPath", "[service]\nsite=http://a.test/x?y\n", DEMO},
        ServiceCase{"Garbage", "[service]\nsite=http://a b\npayment=p&q#\ndomain=.test\n", DEMO},
        ServiceCase{"Binary", Bytes("[service]\nsite=http://\x01\xFF\n\0x"), DEMO},
        ServiceCase{"NonAscii", Utf16File(L"[service]\r\ndomain=\u4f8b\u5b50.test\r\n"), DEMO},
        ServiceCase{"DomainWithPort", "[service]\ndomain=example.test:80\n", DEMO}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace

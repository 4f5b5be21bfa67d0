#include "runtime/string_util.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using kbase::FormatNarrow;
using kbase::Utf8ToWide;
using kbase::WideToUtf8;

struct Utf8Case {
  const char* name;
  std::string bytes;
  std::wstring expected;  // empty: the input is ill-formed
};

class Utf8ToWideTest : public ::testing::TestWithParam<Utf8Case> {};

TEST_P(Utf8ToWideTest, DecodesWellFormedAndRejectsIllFormedWhole) {
  EXPECT_EQ(Utf8ToWide(GetParam().bytes), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, Utf8ToWideTest,
    ::testing::Values(
        Utf8Case{"Empty", "", L""}, Utf8Case{"Ascii", "abc", L"abc"},
        Utf8Case{"TwoBytes", "\xC3\xA9", L"\u00E9"},
        Utf8Case{"ThreeBytes", "\xE4\xB8\xAD", L"\u4E2D"},
        Utf8Case{"FourBytesBecomePair", "\xF0\x9F\x98\x80",
                 std::wstring{wchar_t(0xD83D), wchar_t(0xDE00)}},
        Utf8Case{"HighestCodePoint", "\xF4\x8F\xBF\xBF",
                 std::wstring{wchar_t(0xDBFF), wchar_t(0xDFFF)}},
        Utf8Case{"LastBeforeSurrogates", "\xED\x9F\xBF", L"\uD7FF"},
        Utf8Case{"FirstAfterSurrogates", "\xEE\x80\x80", L"\uE000"},
        Utf8Case{"Nul", std::string("a\0b", 3), std::wstring(L"a\0b", 3)},
        Utf8Case{"OverlongSlash", "\xC0\xAF", L""}, Utf8Case{"OverlongC1", "\xC1\xBF", L""},
        Utf8Case{"OverlongThree", "\xE0\x80\xAF", L""},
        Utf8Case{"OverlongFour", "\xF0\x80\x80\xAF", L""},
        Utf8Case{"EncodedHighSurrogate", "\xED\xA0\x80", L""},
        Utf8Case{"EncodedLowSurrogate", "\xED\xBF\xBF", L""},
        Utf8Case{"AboveMaximum", "\xF4\x90\x80\x80", L""},
        Utf8Case{"LeadF5", "\xF5\x80\x80\x80", L""}, Utf8Case{"LoneContinuation", "a\x80", L""},
        Utf8Case{"CutOffThree", "\xE6\x97", L""}, Utf8Case{"CutOffFour", "x\xF0\x9F\x98", L""},
        Utf8Case{"BadContinuation", "\xE6\x41\x41", L""}, Utf8Case{"ByteFF", "ok\xFF", L""},
        Utf8Case{"GoodThenBad", "\xC3\xA9\xC3", L""}),
    [](const ::testing::TestParamInfo<Utf8Case>& info) { return std::string(info.param.name); });

TEST(Utf8ToWideLongTest, InputsLongerThanOneChunkConvertWhole) {
  std::string bytes;
  std::wstring expected;
  for (int i = 0; i < 10000; ++i) {
    bytes += "a\xC3\xA9\xF0\x9F\x98\x80";
    expected += L"a\u00E9";
    expected += wchar_t(0xD83D);
    expected += wchar_t(0xDE00);
  }
  EXPECT_EQ(Utf8ToWide(bytes), expected);
}

TEST(Utf8ToWideLongTest, FaultAfterFirstChunkStillGivesEmpty) {
  std::string bytes(20000, 'x');
  bytes += "\xE6\x97";
  EXPECT_TRUE(Utf8ToWide(bytes).empty());
}

struct WideCase {
  const char* name;
  std::wstring units;
  std::string expected;
};

class WideToUtf8Test : public ::testing::TestWithParam<WideCase> {};

TEST_P(WideToUtf8Test, Encodes) {
  EXPECT_EQ(WideToUtf8(GetParam().units), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Units, WideToUtf8Test,
    ::testing::Values(
        WideCase{"Empty", L"", ""}, WideCase{"Ascii", L"abc", "abc"},
        WideCase{"TwoBytes", L"\u00E9", "\xC3\xA9"},
        WideCase{"ThreeBytes", L"\u4E2D", "\xE4\xB8\xAD"},
        WideCase{"Pair", std::wstring{wchar_t(0xD83D), wchar_t(0xDE00)}, "\xF0\x9F\x98\x80"},
        WideCase{"LoneLow", std::wstring{wchar_t(0xDC00)}, "\xED\xB0\x80"},
        WideCase{"HighThenLetter", std::wstring{wchar_t(0xD83D), L'a'},
                 "\xED\xA0\xBD"
                 "a"},
        WideCase{"TwoHighsThenLow", std::wstring{wchar_t(0xD800), wchar_t(0xD83D), wchar_t(0xDE00)},
                 "\xED\xA0\x80\xF0\x9F\x98\x80"},
        WideCase{"EndsWithHigh", std::wstring{L'a', wchar_t(0xD83D)}, ""}),
    [](const ::testing::TestParamInfo<WideCase>& info) { return std::string(info.param.name); });

TEST(WideToUtf8LongTest, RoundTripsLongerThanOneChunk) {
  std::wstring text;
  for (int i = 0; i < 5000; ++i) {
    text += L"\u4E2Dz";
    text += wchar_t(0xD83D);
    text += wchar_t(0xDE00);
  }
  const std::string bytes = WideToUtf8(text);
  EXPECT_EQ(bytes.size(), 5000u * (3 + 1 + 4));
  EXPECT_EQ(Utf8ToWide(bytes), text);
}

TEST(FormatNarrowTest, FormatsShortText) {
  EXPECT_EQ(FormatNarrow("%s=%d, %.2f", "x", 42, 1.5), "x=42, 1.50");
  EXPECT_EQ(FormatNarrow("plain"), "plain");
}

TEST(FormatNarrowTest, ReturnsWholeTextPastTheFirstBuffer) {
  const std::string long_text(5000, 'q');
  const std::string result = FormatNarrow("<%s>", long_text.c_str());
  EXPECT_EQ(result.size(), 5002u);
  EXPECT_EQ(result, "<" + long_text + ">");
}

TEST(FormatNarrowTest, TextOfExactlyTheBufferSize) {
  const std::string text(1024, 'b');
  EXPECT_EQ(FormatNarrow("%s", text.c_str()), text);
}

}  // namespace

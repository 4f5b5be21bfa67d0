#include "ui/core/markup/utf8_decoder.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/string_util.h"
#include "xml_mutator.h"

namespace {

std::wstring SystemDecode(const std::string& bytes) {
  if (bytes.empty()) return std::wstring();
  std::vector<wchar_t> out(bytes.size());
  const int length =
      MultiByteToWideChar(CP_UTF8, 0, bytes.data(), int(bytes.size()), out.data(), int(out.size()));
  return std::wstring(out.data(), size_t(length));
}

std::wstring Decode(const std::string& bytes) {
  std::vector<wchar_t> out(bytes.size() + 1);
  return std::wstring(out.data(), ui::DecodeUtf8(bytes.data(), bytes.size(), out.data()));
}

std::wstring DecodePlain(const std::string& bytes) {
  std::vector<wchar_t> out(bytes.size() + 1);
  return std::wstring(out.data(), ui::DecodeUtf8Plain(bytes.data(), bytes.size(), out.data()));
}

const wchar_t R = 0xFFFD;

struct DecodeCase {
  const char* name;
  std::string bytes;
  std::wstring expected;
};

class Utf8DecoderTest : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(Utf8DecoderTest, ReplacesEachMaximalIllFormedPart) {
  EXPECT_EQ(Decode(GetParam().bytes), GetParam().expected);
  EXPECT_EQ(DecodePlain(GetParam().bytes), GetParam().expected);
}

// The same sequences inside long ASCII runs, at every offset within a sixteen-byte block,
// so that the SSE2 path meets them at each place where a block can end.
TEST_P(Utf8DecoderTest, SameInsideAsciiRunsAtEveryOffset) {
  EXPECT_TRUE(ui::DecodeUtf8UsesSse2()) << "this processor has SSE2; the fast path is expected";
  const std::string ascii = "<Window size=\"800,600\">abcdefghijklmnopqrstuvwxyz";
  for (size_t offset = 0; offset < 20; ++offset) {
    const std::string before = ascii.substr(0, offset);
    const std::string bytes = before + GetParam().bytes + ascii;
    const std::wstring expected = std::wstring(before.begin(), before.end()) + GetParam().expected +
                                  std::wstring(ascii.begin(), ascii.end());
    ASSERT_EQ(Decode(bytes), expected) << "offset " << offset;
    ASSERT_EQ(DecodePlain(bytes), expected) << "offset " << offset;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, Utf8DecoderTest,
    ::testing::Values(
        DecodeCase{"Empty", "", L""},
        DecodeCase{"AllLengths", "a\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80z",
                   std::wstring{L'a', 0xE9, 0x4E2D, 0xD83D, 0xDE00, L'z'}},
        DecodeCase{"CutAtTheEnd", "<a>\xE4\xB8", std::wstring{L'<', L'a', L'>', R}},
        DecodeCase{"CutBeforeMarkup", "\xE4<\xF0\x9F\x98>", std::wstring{R, L'<', R, L'>'}},
        DecodeCase{"StrayContinuations", "\x80\xBF", std::wstring{R, R}},
        DecodeCase{"BytesThatNeverLead", "\xC0\xC1\xF5\xFF", std::wstring{R, R, R, R}},
        DecodeCase{"Overlong", "\xE0\x80\xAF", std::wstring{R, R, R}},
        DecodeCase{"EncodedSurrogate", "\xED\xA0\x80", std::wstring{R, R, R}},
        DecodeCase{"PastLastCodePoint", "\xF4\x90\x80\x80", std::wstring{R, R, R, R}},
        DecodeCase{"LastCodePoint", "\xF4\x8F\xBF\xBF", std::wstring{0xDBFF, 0xDFFF}},
        // The example of the Unicode standard's recommended practice.
        DecodeCase{"StandardExample", "\x61\xF1\x80\x80\xE1\x80\xC2\x62\x80\x63\x80\xBF\x64",
                   std::wstring{L'a', R, R, R, L'b', R, L'c', R, R, L'd'}},
        DecodeCase{"Terminator", std::string("a\0b", 3), std::wstring(L"a\0b", 3)}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Utf8DecoderRandomTest, WellFormedTextDecodesAsTheSystemDecodesIt) {
  ui_test::XmlMutator random(11);
  for (int i = 0; i < 500; ++i) {
    std::wstring text;
    for (uint32_t n = random.Below(30); n > 0; --n) {
      const wchar_t samples[] = {L'<', L'a', 0xE9, 0x4E2D, 0xFFFD, 0x7FF, 0x800};
      if (random.Below(8) == 0) {
        text += {static_cast<wchar_t>(0xD800 + random.Below(0x400)),
                 static_cast<wchar_t>(0xDC00 + random.Below(0x400))};
      } else {
        text += samples[random.Below(7)];
      }
    }
    const std::string bytes = kbase::WideToUtf8(text);
    ASSERT_EQ(Decode(bytes), text);
    ASSERT_EQ(Decode(bytes), SystemDecode(bytes));
  }
}

// Random bytes, mostly ASCII with damaged and whole sequences mixed in at random places and
// lengths: both paths give the same text, and well-formed input what the system gives.
TEST(Utf8DecoderRandomTest, Sse2AndPlainPathsAgree) {
  ui_test::XmlMutator random(23);
  for (int i = 0; i < 20000; ++i) {
    std::string bytes(random.Below(80), '\0');
    const uint32_t damage = random.Below(4);
    for (char& byte : bytes) {
      byte = static_cast<char>(random.Below(16) < damage ? 0x80 + random.Below(0x80)
                                                         : random.Below(0x80));
    }
    if (random.Below(2) == 0)
      bytes.insert(random.Below(uint32_t(bytes.size()) + 1), "\xE4\xB8\xAD");
    const std::wstring fast = Decode(bytes);
    ASSERT_EQ(fast, DecodePlain(bytes)) << i;
    if (damage == 0) {
      ASSERT_EQ(fast, SystemDecode(bytes)) << i;
    }
  }
}

// Whatever the other bytes are, every ASCII byte comes through in place and in order.
TEST(Utf8DecoderRandomTest, AsciiSurvivesAnyDamage) {
  ui_test::XmlMutator random(7);
  for (int i = 0; i < 2000; ++i) {
    std::string bytes(random.Below(40), '\0');
    for (char& byte : bytes) {
      byte =
          static_cast<char>(random.Below(3) == 0 ? random.Below(0x80) : 0x80 + random.Below(0x80));
    }
    std::wstring asciiIn, asciiOut;
    for (char byte : bytes) {
      if (static_cast<unsigned char>(byte) < 0x80) asciiIn += static_cast<wchar_t>(byte);
    }
    const std::wstring decoded = Decode(bytes);
    ASSERT_LE(decoded.size(), bytes.size());
    for (wchar_t unit : decoded) {
      if (unit < 0x80) asciiOut += unit;
    }
    ASSERT_EQ(asciiOut, asciiIn) << i;
  }
}

}  // namespace

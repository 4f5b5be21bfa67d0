// Encodings and byte-order marks: the same document read from bytes and from text.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "runtime/string_util.h"
#include "ui/core/markup/xml_document.h"
#include "xml_test_util.h"

namespace {

using ui::XmlDocument;
using ui_test::DescribeTree;

const wchar_t kMarkup[] = L"<Label text=\"\u63d0\u793a \u00e9\">\U0001F600</Label>";
const wchar_t kTree[] = L"Label text=\u63d0\u793a \u00e9 [\U0001F600]\n";

const wchar_t kLittle16[] = L"Unsupported encoding: UTF-16 little-endian (layout files are UTF-8)";
const wchar_t kBig16[] = L"Unsupported encoding: UTF-16 big-endian (layout files are UTF-8)";
const wchar_t kLittle32[] = L"Unsupported encoding: UTF-32 little-endian (layout files are UTF-8)";
const wchar_t kBig32[] = L"Unsupported encoding: UTF-32 big-endian (layout files are UTF-8)";
const wchar_t kSwapped[] =
    L"Unsupported encoding: the text's byte order is reversed (its mark reads U+FFFE)";

enum class Encoding { kUtf8, kUtf16Little, kUtf16Big, kUtf32Little, kUtf32Big };

std::vector<char32_t> CodePoints(const std::wstring& text) {
  std::vector<char32_t> points;
  for (size_t i = 0; i < text.size(); ++i) {
    const char32_t unit = static_cast<char16_t>(text[i]);
    if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < text.size()) {
      points.push_back(0x10000 + ((unit - 0xD800) << 10) +
                       (static_cast<char16_t>(text[++i]) - 0xDC00));
    } else {
      points.push_back(unit);
    }
  }
  return points;
}

void Append(std::string* out, uint32_t value, int bytes, bool bigEndian) {
  for (int i = 0; i < bytes; ++i) {
    const int shift = bigEndian ? 8 * (bytes - 1 - i) : 8 * i;
    out->push_back(static_cast<char>((value >> shift) & 0xFF));
  }
}

// The text in the encoding, with the mark written first when asked for.
std::string Encode(const std::wstring& text, Encoding encoding, bool mark) {
  const std::wstring marked = mark ? L"\uFEFF" + text : text;
  if (encoding == Encoding::kUtf8) return kbase::WideToUtf8(marked);
  std::string out;
  const bool big = encoding == Encoding::kUtf16Big || encoding == Encoding::kUtf32Big;
  if (encoding == Encoding::kUtf16Little || encoding == Encoding::kUtf16Big) {
    for (wchar_t unit : marked) Append(&out, static_cast<char16_t>(unit), 2, big);
  } else {
    for (char32_t point : CodePoints(marked)) Append(&out, point, 4, big);
  }
  return out;
}

struct EncodingCase {
  const char* name;
  Encoding encoding;
  bool mark;
  // Null when the bytes load as the document.
  const wchar_t* bytesFailure;
};

// Each file as bytes; and the same file as the text a reader gets who takes its 16-bit
// units in this machine's order, which is where a mark of the other order reads U+FFFE.
const EncodingCase kEncodingCases[] = {
    {"Utf8", Encoding::kUtf8, false, nullptr},
    {"Utf8WithMark", Encoding::kUtf8, true, nullptr},
    {"Utf16Little", Encoding::kUtf16Little, false, kLittle16},
    {"Utf16LittleWithMark", Encoding::kUtf16Little, true, kLittle16},
    {"Utf16Big", Encoding::kUtf16Big, false, kBig16},
    {"Utf16BigWithMark", Encoding::kUtf16Big, true, kBig16},
    {"Utf32Little", Encoding::kUtf32Little, false, kLittle32},
    {"Utf32LittleWithMark", Encoding::kUtf32Little, true, kLittle32},
    {"Utf32Big", Encoding::kUtf32Big, false, kBig32},
    {"Utf32BigWithMark", Encoding::kUtf32Big, true, kBig32},
};

class XmlEncodingTest : public ::testing::TestWithParam<EncodingCase> {};

TEST_P(XmlEncodingTest, BytesLoadOrFailWithTheEncodingNamed) {
  const EncodingCase& c = GetParam();
  const std::string bytes = Encode(kMarkup, c.encoding, c.mark);
  XmlDocument document;
  const bool loaded = document.LoadFromBytes(bytes.data(), bytes.size());
  if (c.bytesFailure == nullptr) {
    ASSERT_TRUE(loaded) << kbase::WideToUtf8(document.LastErrorMessage());
    EXPECT_EQ(DescribeTree(document.GetRoot()), kTree);
    return;
  }
  EXPECT_FALSE(loaded);
  EXPECT_STREQ(document.LastErrorMessage(), c.bytesFailure);
  EXPECT_STREQ(document.LastErrorLocation(), L"");
  EXPECT_FALSE(document.GetRoot().IsValid());
}

TEST_P(XmlEncodingTest, FileLoadsAsItsBytesDo) {
  const EncodingCase& c = GetParam();
  const std::string bytes = Encode(kMarkup, c.encoding, c.mark);
  wchar_t temp[MAX_PATH];
  ::GetTempPathW(MAX_PATH, temp);
  const std::wstring path = std::wstring(temp) + L"tarnwick_encoding_" +
                            std::to_wstring(::GetCurrentProcessId()) + L".xml";
  FILE* out = _wfopen(path.c_str(), L"wb");
  ASSERT_NE(out, nullptr);
  std::fwrite(bytes.data(), 1, bytes.size(), out);
  std::fclose(out);
  XmlDocument fromFile, fromBytes;
  const bool fileLoaded = fromFile.LoadFromFile(path);
  ::DeleteFileW(path.c_str());
  EXPECT_EQ(fileLoaded, fromBytes.LoadFromBytes(bytes.data(), bytes.size()));
  EXPECT_STREQ(fromFile.LastErrorMessage(), fromBytes.LastErrorMessage());
  EXPECT_EQ(DescribeTree(fromFile.GetRoot()), DescribeTree(fromBytes.GetRoot()));
}

TEST_P(XmlEncodingTest, TextHonoursTheMarkAsBytesDo) {
  const EncodingCase& c = GetParam();
  if (c.encoding != Encoding::kUtf16Little && c.encoding != Encoding::kUtf16Big) {
    GTEST_SKIP() << "only 16-bit units can be read as a text";
  }
  // The units as this (little-endian) machine reads them.
  const std::string bytes = Encode(kMarkup, c.encoding, c.mark);
  std::wstring text(bytes.size() / 2, L'\0');
  for (size_t i = 0; i < text.size(); ++i) {
    text[i] = static_cast<wchar_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                   (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
  }
  XmlDocument document;
  const bool loaded = document.LoadFromText(text.c_str());
  if (c.encoding == Encoding::kUtf16Little) {
    // Read in its own order the text is the document, mark or not: the mark is skipped as
    // the UTF-8 mark is skipped from bytes.
    ASSERT_TRUE(loaded) << kbase::WideToUtf8(document.LastErrorMessage());
    EXPECT_EQ(DescribeTree(document.GetRoot()), kTree);
  } else if (c.mark) {
    EXPECT_FALSE(loaded);
    EXPECT_STREQ(document.LastErrorMessage(), kSwapped);
  } else {
    // Without a mark, swapped units are foreign characters where markup must begin.
    EXPECT_FALSE(loaded);
    EXPECT_STREQ(document.LastErrorMessage(), L"Expected start tag");
  }
}

INSTANTIATE_TEST_SUITE_P(Encodings, XmlEncodingTest, ::testing::ValuesIn(kEncodingCases),
                         [](const ::testing::TestParamInfo<EncodingCase>& info) {
                           return std::string(info.param.name);
                         });

// The mark in both forms: the UTF-8 mark in bytes and U+FEFF in a text give the document
// that the unmarked form gives, and a mark alone is an empty document either way.
struct MarkCase {
  const char* name;
  const wchar_t* text;
};

const MarkCase kMarkCases[] = {
    {"Document", kMarkup},
    {"BlanksAndComment", L" <!-- only a comment --> "},
    {"Empty", L""},
};

class XmlMarkTest : public ::testing::TestWithParam<MarkCase> {};

TEST_P(XmlMarkTest, BytesAndTextAgree) {
  const std::wstring plain = GetParam().text;
  const std::wstring marked = L"\uFEFF" + plain;
  XmlDocument reference;
  const bool referenceLoaded = reference.LoadFromText(plain.c_str());
  const std::wstring referenceTree = DescribeTree(reference.GetRoot());
  for (const std::wstring& text : {plain, marked}) {
    const std::string bytes = kbase::WideToUtf8(text);
    XmlDocument fromBytes, fromText;
    EXPECT_EQ(fromText.LoadFromText(text.c_str()), referenceLoaded);
    EXPECT_EQ(fromBytes.LoadFromBytes(bytes.data(), bytes.size()), referenceLoaded);
    EXPECT_EQ(DescribeTree(fromText.GetRoot()), referenceTree);
    EXPECT_EQ(DescribeTree(fromBytes.GetRoot()), referenceTree);
    EXPECT_EQ(fromText.ElementCount(), fromBytes.ElementCount());
  }
}

INSTANTIATE_TEST_SUITE_P(Marks, XmlMarkTest, ::testing::ValuesIn(kMarkCases),
                         [](const ::testing::TestParamInfo<MarkCase>& info) {
                           return std::string(info.param.name);
                         });

// Only the first mark is a mark: a second one is a character where markup must begin.
TEST(XmlMarkTest, OnlyTheFirstMarkIsSkipped) {
  XmlDocument fromText, fromBytes;
  EXPECT_FALSE(fromText.LoadFromText(L"\uFEFF\uFEFF<a/>"));
  const std::string bytes = "\xEF\xBB\xBF\xEF\xBB\xBF<a/>";
  EXPECT_FALSE(fromBytes.LoadFromBytes(bytes.data(), bytes.size()));
  EXPECT_STREQ(fromText.LastErrorMessage(), L"Expected start tag");
  EXPECT_STREQ(fromBytes.LastErrorMessage(), L"Expected start tag");
}

// Two bytes are enough to name the encoding; NULs that show none (all NUL) stay an empty
// text, and a NUL later in the text keeps ending it.
TEST(XmlMarkTest, ShortAndLateNuls) {
  XmlDocument document;
  EXPECT_TRUE(document.LoadFromBytes("\0", 1));
  EXPECT_FALSE(document.GetRoot().IsValid());
  EXPECT_TRUE(document.LoadFromBytes("\0\0\0\0\0", 5));
  EXPECT_FALSE(document.GetRoot().IsValid());
  EXPECT_FALSE(document.LoadFromBytes("\0<", 2));
  EXPECT_STREQ(document.LastErrorMessage(), kBig16);
  EXPECT_FALSE(document.LoadFromBytes("<\0", 2));
  EXPECT_STREQ(document.LastErrorMessage(), kLittle16);
  EXPECT_TRUE(document.LoadFromBytes("<a/>\0\0", 6));
  EXPECT_EQ(document.ElementCount(), 1u);
}

}  // namespace

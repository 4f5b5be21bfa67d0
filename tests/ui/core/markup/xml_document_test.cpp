#include "ui/core/markup/xml_document.h"

#include <gtest/gtest.h>

#include <string>

#include "runtime/string_util.h"
#include "xml_test_util.h"
#include "xml_tree_check.h"

namespace {

using ui::XmlDocument;
using ui::XmlNode;
using ui_test::DescribeTree;

std::string Utf8(const std::wstring& text) {
  return kbase::WideToUtf8(text);
}

// ---------------------------------------------------------------------------------------
// Texts that load, described as trees.

struct LoadCase {
  const char* name;
  const wchar_t* text;
  const wchar_t* tree;  // DescribeTree of the root
};

class XmlLoadTest : public ::testing::TestWithParam<LoadCase> {};

TEST_P(XmlLoadTest, BuildsTheTree) {
  XmlDocument document;
  ASSERT_TRUE(document.LoadFromText(GetParam().text)) << Utf8(document.LastErrorMessage());
  EXPECT_EQ(DescribeTree(document.GetRoot()), GetParam().tree);
  EXPECT_EQ(ui_test::CheckLoadedTree(document), "");
  EXPECT_STREQ(document.LastErrorMessage(), L"");
  EXPECT_STREQ(document.LastErrorLocation(), L"");
}

INSTANTIATE_TEST_SUITE_P(
    Texts, XmlLoadTest,
    ::testing::Values(
        LoadCase{"NestedWithAttributes",
                 L"<Window size=\"1,2\">\n <VBox name=\"v\"><Label text=\"hi\"/></VBox>\n</Window>",
                 L"Window size=1,2 [\n ]\n.VBox name=v\n..Label text=hi\n"},
        LoadCase{"BlanksAroundEqualsAndInEndTag", L"<a  x =  \"1\"\ty=\"2\" ></a >",
                 L"a x=1 y=2\n"},
        LoadCase{"ReferencesInValuesAndText",
                 L"<a v=\"&lt;b&gt; &amp; &quot;c&quot; &apos;d&apos;\">x &lt; y</a>",
                 L"a v=<b> & \"c\" 'd' [x < y]\n"},
        LoadCase{"UnknownReferencesStayAsWritten",
                 L"<a v=\"&nbsp; &#60; &lt &amp\" w=\"a&&amp;b&\">&copy;</a>",
                 L"a v=&nbsp; &#60; &lt &amp w=a&&b& [&copy;]\n"},
        LoadCase{"TextOnlyBeforeFirstChild", L"<a>head<b/></a>", L"a [head]\n.b\n"},
        LoadCase{"TextKeepsBlanks", L"<a> two  spaces\t</a>", L"a [ two  spaces\t]\n"},
        LoadCase{"EmptyElementWithAttributes", L"<r><a x=\"1\"/><b x=\"2\" /><c/><d /></r>",
                 L"r\n.a x=1\n.b x=2\n.c\n.d\n"},
        LoadCase{"CommentsAndInstructionsSkipped",
                 L"<?xml version=\"1.0\"?><!-- top --><r><!-- in --><a/><? pi ?><b/><!--x--></r>"
                 L"<!-- after -->",
                 L"r\n.a\n.b\n"},
        LoadCase{"CommentEndsAtFirstDashArrow", L"<r><!- x -><a/></r>", L"r\n.a\n"},
        LoadCase{"TopLevelSiblings", L"<a/><b>t</b>", L"a\nb [t]\n"},
        LoadCase{"StrayEndTagEndsTheText", L"<a/></b><c/> anything < at all", L"a\n"},
        LoadCase{"CutInsideFirstElement", L"<root><child>", L"root\n.child\n"},
        LoadCase{"CutInsideFirstElementText", L"<root><child x=\"1\">te&amp;xt",
                 L"root\n.child x=1 [te&xt]\n"},
        LoadCase{"CutAfterClosedChild", L"<root><a></a>", L"root\n.a\n"},
        LoadCase{"NamesWithColonUnderscoreDigits", L"<ns:tag_1 a:b_2=\"v\"/>",
                 L"ns:tag_1 a:b_2=v\n"},
        LoadCase{"EmptyValueAndEmptyAttributeName", L"<a x=\"\" =\"v\"/>", L"a x= =v\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(XmlDocumentTest, BlanksCommentsAndInstructionsHaveNoRoot) {
  const wchar_t* texts[] = {L"", L" \r\n\t ", L"<!-- only a comment -->",
                            L"<?xml version=\"1.0\"?>\n<!-- a -->\n<!-- b -->  ",
                            L"<!-- never closed <a/>"};
  for (const wchar_t* text : texts) {
    XmlDocument document;
    EXPECT_TRUE(document.LoadFromText(text)) << Utf8(text);
    EXPECT_FALSE(document.GetRoot().IsValid()) << Utf8(text);
    EXPECT_EQ(document.ElementCount(), 0u);
  }
  XmlDocument never_loaded;
  EXPECT_FALSE(never_loaded.GetRoot().IsValid());
}

// ---------------------------------------------------------------------------------------
// Texts that fail, with the message and the text where parsing stopped.

struct FailCase {
  const char* name;
  const wchar_t* text;
  const wchar_t* message;
  const wchar_t* location;
};

class XmlFailTest : public ::testing::TestWithParam<FailCase> {};

TEST_P(XmlFailTest, ReportsMessageAndLocation) {
  XmlDocument document;
  ASSERT_TRUE(document.LoadFromText(L"<previous/>"));
  EXPECT_FALSE(document.LoadFromText(GetParam().text));
  EXPECT_STREQ(document.LastErrorMessage(), GetParam().message);
  EXPECT_STREQ(document.LastErrorLocation(), GetParam().location);
  EXPECT_FALSE(document.GetRoot().IsValid());
  EXPECT_EQ(ui_test::CheckFailedLoad(document), "");
}

INSTANTIATE_TEST_SUITE_P(
    Texts, XmlFailTest,
    ::testing::Values(
        FailCase{"TextBeforeFirstElement", L"junk<a/>", L"Expected start tag", L"junk<a/>"},
        FailCase{"MixedContent", L"<r><a/>tail</r>", L"Expected start tag", L"tail</r>"},
        FailCase{"TextAfterComment", L"<r>x<!-- c -->y</r>", L"Expected start tag", L"y</r>"},
        FailCase{"EndTwoLevelsDown", L"<r><a><b/>", L"Expected start tag", L""},
        FailCase{"EndInTextTwoLevelsDown", L"<r><a><b>text", L"Expected end-tag start", L""},
        FailCase{"EndAfterName", L"<abc", L"Error parsing element name", L""},
        FailCase{"LoneOpenBracket", L"  <", L"Error parsing element name", L""},
        FailCase{"AttributeWithoutEquals", L"<a x/>", L"Error while parsing attributes", L"/>"},
        FailCase{"DashIsNoNameCharacter", L"<a-b/>", L"Error while parsing attributes", L"/>"},
        FailCase{"SingleQuotedValue", L"<a x='1'/>", L"Expected attribute value", L"1'/>"},
        FailCase{"UnquotedValue", L"<a x=12/>", L"Expected attribute value", L"2/>"},
        FailCase{"ValueCutOff", L"<a x=\"12", L"Error while parsing attribute string", L""},
        FailCase{"ValueCutAfterAmpersand", L"<a x=\"1&", L"Error while parsing attribute string",
                 L""},
        FailCase{"QuestionMarkInTag", L"<a x=\"1\" ?>", L"Error while parsing attributes", L"?>"},
        FailCase{"SlashNotFollowedByBracket", L"<a x=\"1\" / >", L"Expected start-tag closing",
                 L"/ >"},
        FailCase{"CutAfterAttributes", L"<a x=\"1\"", L"Expected start-tag closing", L""},
        FailCase{"OtherEndTagName", L"<r><a></b></r>", L"Unmatched closing tag", L"b></r>"},
        FailCase{"EndTagNameDiffersInCase", L"<r><a></A></r>", L"Unmatched closing tag", L"A></r>"},
        FailCase{"EndTagNameLonger", L"<r><a></ab></r>", L"Unmatched closing tag", L"></r>"},
        FailCase{"EndTagWithAttribute", L"<r><a></a x></r>", L"Unmatched closing tag", L"></r>"},
        FailCase{"LocationCutTo49",
                 L"0123456789012345678901234567890123456789012345678901234567890123456789",
                 L"Expected start tag", L"0123456789012345678901234567890123456789012345678"}),
    [](const auto& info) { return std::string(info.param.name); });

// At the end of the text there is nothing after the offending character; the location is
// empty and nothing past the terminator is read.
TEST(XmlDocumentTest, FailuresAtTheVeryEndHaveEmptyLocations) {
  const struct {
    const wchar_t* text;
    const wchar_t* message;
  } cases[] = {{L"<a x=", L"Expected attribute value"},
               {L"<a x=  ", L"Expected attribute value"},
               {L"<r><a></a", L"Unmatched closing tag"},
               {L"<r><a></a  ", L"Unmatched closing tag"}};
  for (const auto& c : cases) {
    XmlDocument document;
    EXPECT_FALSE(document.LoadFromText(c.text));
    EXPECT_STREQ(document.LastErrorMessage(), c.message) << Utf8(c.text);
    EXPECT_STREQ(document.LastErrorLocation(), L"") << Utf8(c.text);
  }
}

TEST(XmlDocumentTest, SuccessfulLoadClearsTheLastError) {
  XmlDocument document;
  ASSERT_FALSE(document.LoadFromText(L"<a x='1'/>"));
  ASSERT_TRUE(document.LoadFromText(L"<b/>"));
  EXPECT_STREQ(document.LastErrorMessage(), L"");
  EXPECT_STREQ(document.LastErrorLocation(), L"");
  EXPECT_STREQ(document.GetRoot().Name(), L"b");
}

// ---------------------------------------------------------------------------------------
// The buffer after a parse: names and values terminated in place, compaction filled with
// blanks, "=" and closing quotes blanked.

TEST(XmlDocumentTest, ParsesInPlace) {
  XmlDocument document;
  ASSERT_TRUE(document.LoadFromText(L"<a x=\"1\" y=\"p&amp;q\">t&lt;u</a>"));
  const std::wstring buffer(document.Buffer(), document.BufferSize());
  EXPECT_EQ(buffer, std::wstring(L"\0a\0x\0\"1\0 y\0\"p&q\0    >t<u\0  \0/a>\0", 32));
}

TEST(XmlDocumentTest, WithoutPreserveWhitespaceRunsAfterASpaceCollapse) {
  XmlDocument document;
  EXPECT_TRUE(document.PreserveWhitespace());
  document.SetPreserveWhitespace(false);
  ASSERT_TRUE(document.LoadFromText(L"<a v=\"x  \t y\">p \r\n q  r\t\ts</a>"));
  EXPECT_STREQ(document.GetRoot().AttributeValue(0), L"x y");
  EXPECT_STREQ(document.GetRoot().Text(), L"p q r\t\ts");
}

// ---------------------------------------------------------------------------------------
// Bytes: UTF-8 with or without a byte-order mark; other encodings fail by name.

TEST(XmlDocumentTest, ByteOrderMarkGivesTheSameDocument) {
  const std::string bytes = Utf8(L"<Label text=\"提示 \u00e9\">标签</Label>");
  XmlDocument plain, marked;
  ASSERT_TRUE(plain.LoadFromBytes(bytes.data(), bytes.size()));
  const std::string withMark = "\xEF\xBB\xBF" + bytes;
  ASSERT_TRUE(marked.LoadFromBytes(withMark.data(), withMark.size()));
  EXPECT_EQ(DescribeTree(plain.GetRoot()), L"Label text=提示 \u00e9 [标签]\n");
  EXPECT_EQ(DescribeTree(marked.GetRoot()), DescribeTree(plain.GetRoot()));
}

TEST(XmlDocumentTest, ByteOrderMarkAloneIsAnEmptyText) {
  XmlDocument document;
  EXPECT_TRUE(document.LoadFromBytes("\xEF\xBB\xBF", 3));
  EXPECT_FALSE(document.GetRoot().IsValid());
  // Two bytes are too short to be a mark and are text.
  EXPECT_FALSE(document.LoadFromBytes("\xEF\xBB", 2));
  EXPECT_STREQ(document.LastErrorMessage(), L"Expected start tag");
}

TEST(XmlDocumentTest, Utf16FailsWithOrWithoutByteOrderMark) {
  const std::string little = std::string("<\0a\0/\0>\0", 8);
  XmlDocument document;
  EXPECT_FALSE(document.LoadFromBytes(little.data(), little.size()));
  EXPECT_STREQ(document.LastErrorMessage(),
               L"Unsupported encoding: UTF-16 little-endian (layout files are UTF-8)");
  const std::string marked = "\xFF\xFE" + little;
  EXPECT_FALSE(document.LoadFromBytes(marked.data(), marked.size()));
  EXPECT_STREQ(document.LastErrorMessage(),
               L"Unsupported encoding: UTF-16 little-endian (layout files are UTF-8)");
  // Big-endian without a mark begins with a NUL, which once read as an empty document.
  const std::string big = std::string("\0<\0a\0/\0>", 8);
  EXPECT_FALSE(document.LoadFromBytes(big.data(), big.size()));
  EXPECT_STREQ(document.LastErrorMessage(),
               L"Unsupported encoding: UTF-16 big-endian (layout files are UTF-8)");
  EXPECT_FALSE(document.GetRoot().IsValid());
}

TEST(XmlDocumentTest, NulByteEndsTheText) {
  XmlDocument document;
  ASSERT_TRUE(document.LoadFromBytes("<a/>\0<<<", 8));
  EXPECT_EQ(document.ElementCount(), 1u);
  EXPECT_FALSE(document.LoadFromBytes("<a x=\"\0\">", 8));
  EXPECT_STREQ(document.LastErrorMessage(), L"Error while parsing attribute string");
}

TEST(XmlDocumentTest, BytesNeedNoTerminator) {
  const char bytes[] = {'<', 'a', '>', 'x', '<', '/', 'a', '>', 'J', 'U', 'N', 'K'};
  XmlDocument document;
  ASSERT_TRUE(document.LoadFromBytes(bytes, 8));
  EXPECT_STREQ(document.GetRoot().Text(), L"x");
}

// ---------------------------------------------------------------------------------------
// Nesting and size.

TEST(XmlDocumentTest, DeepNestingLoadsWithoutRecursion) {
  const int depth = 300000;
  std::wstring text;
  for (int i = 0; i < depth; ++i) text += L"<d>";
  for (int i = 0; i < depth; ++i) text += L"</d>";
  XmlDocument document;
  ASSERT_TRUE(document.LoadFromText(text.c_str()));
  EXPECT_EQ(document.ElementCount(), uint32_t(depth));
  XmlNode node = document.GetRoot();
  int levels = 1;
  while (node.HasChildren()) {
    node = node.FirstChild();
    ++levels;
  }
  EXPECT_EQ(levels, depth);
  EXPECT_EQ(node.Parent().Parent().Index(), uint32_t(depth - 2));
}

TEST(XmlDocumentTest, ManySiblingsGrowTheTable) {
  std::wstring text = L"<r>";
  for (int i = 0; i < 5000; ++i) text += L"<c i=\"" + std::to_wstring(i) + L"\"/>";
  text += L"</r>";
  XmlDocument document;
  ASSERT_TRUE(document.LoadFromText(text.c_str()));
  EXPECT_EQ(document.ElementCount(), 5001u);
  EXPECT_EQ(ui_test::CheckLoadedTree(document), "");
  XmlNode last = document.GetRoot().FirstChild();
  for (int i = 1; i < 5000; ++i) last = last.NextSibling();
  EXPECT_STREQ(last.AttributeValue(0), L"4999");
  EXPECT_FALSE(last.NextSibling().IsValid());
}

TEST(XmlDocumentTest, ReleaseEmptiesTheDocument) {
  XmlDocument document;
  ASSERT_TRUE(document.LoadFromText(L"<a/>"));
  document.Release();
  EXPECT_FALSE(document.GetRoot().IsValid());
  EXPECT_EQ(document.ElementCount(), 0u);
  EXPECT_EQ(document.Buffer(), nullptr);
}

}  // namespace

#include "ui/core/markup/xml_node.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>

#include "ui/core/markup/xml_document.h"

namespace {

using ui::XmlDocument;
using ui::XmlNode;

std::wstring ManyAttributes(int count) {
  std::wstring text = L"<a";
  for (int i = 0; i < count; ++i) {
    text += L" n" + std::to_wstring(i) + L"=\"v" + std::to_wstring(i) + L"\"";
  }
  return text + L">text</a>";
}

TEST(XmlNodeTest, LinksFollowTheTree) {
  XmlDocument document;
  ASSERT_TRUE(document.LoadFromText(L"<r><a><a1/><a2/></a><b/></r>"));
  const XmlNode root = document.GetRoot();
  EXPECT_STREQ(root.Name(), L"r");
  EXPECT_FALSE(root.Parent().IsValid());
  EXPECT_FALSE(root.NextSibling().IsValid());
  const XmlNode a = root.FirstChild();
  EXPECT_STREQ(a.Name(), L"a");
  EXPECT_TRUE(a.HasChildren());
  EXPECT_STREQ(a.FirstChild().NextSibling().Name(), L"a2");
  EXPECT_FALSE(a.FirstChild().NextSibling().NextSibling().IsValid());
  EXPECT_EQ(a.FirstChild().NextSibling().Parent().Index(), a.Index());
  const XmlNode b = a.NextSibling();
  EXPECT_STREQ(b.Name(), L"b");
  EXPECT_FALSE(b.HasChildren());
  EXPECT_FALSE(b.FirstChild().IsValid());
  EXPECT_EQ(b.Parent().Index(), root.Index());
  EXPECT_EQ(b.Index(), 5u);
}

TEST(XmlNodeTest, InvalidNodeAnswersEmpty) {
  const XmlNode node;
  wchar_t buffer[XmlNode::kValueBufferSize] = L"untouched";
  EXPECT_FALSE(node.IsValid());
  EXPECT_STREQ(node.Name(), L"");
  EXPECT_STREQ(node.Text(), L"");
  EXPECT_FALSE(node.Parent().IsValid());
  EXPECT_FALSE(node.FirstChild().IsValid());
  EXPECT_FALSE(node.NextSibling().IsValid());
  EXPECT_FALSE(node.HasChildren());
  EXPECT_EQ(node.AttributeCount(), 0);
  EXPECT_STREQ(node.AttributeName(0), L"");
  EXPECT_FALSE(node.FindAttribute(L"x", buffer));
  EXPECT_STREQ(buffer, L"untouched");
  EXPECT_FALSE(node.HasAttribute(L"x"));
}

TEST(XmlNodeTest, AttributesInDocumentOrder) {
  XmlDocument document;
  ASSERT_TRUE(document.LoadFromText(L"<a first=\"1\" second=\"two\" first=\"3\">\"x\"=\"y\"</a>"));
  const XmlNode node = document.GetRoot();
  ASSERT_EQ(node.AttributeCount(), 3);
  EXPECT_STREQ(node.AttributeName(1), L"second");
  EXPECT_STREQ(node.AttributeValue(1), L"two");
  EXPECT_STREQ(node.AttributeName(3), L"");
  EXPECT_STREQ(node.AttributeValue(-1), L"");
  wchar_t buffer[XmlNode::kValueBufferSize];
  ASSERT_TRUE(node.FindAttribute(L"first", buffer));
  EXPECT_STREQ(buffer, L"1");  // the first of two with that name
  EXPECT_TRUE(node.HasAttribute(L"second"));
  EXPECT_FALSE(node.HasAttribute(L"x"));  // text that looks like an attribute is text
}

TEST(XmlNodeTest, NamesAreMatchedExactly) {
  XmlDocument document;
  ASSERT_TRUE(document.LoadFromText(L"<a Width=\"10\" height=\"5\"/>"));
  const XmlNode node = document.GetRoot();
  EXPECT_TRUE(node.HasAttribute(L"Width"));
  EXPECT_FALSE(node.HasAttribute(L"width"));
  EXPECT_FALSE(node.HasAttribute(L"Height"));
  EXPECT_FALSE(node.HasAttribute(L"heigh"));
  EXPECT_FALSE(node.HasAttribute(L"height "));
  EXPECT_FALSE(node.HasAttribute(L""));
}

TEST(XmlNodeTest, OnlySixtyFourAttributesAreVisible) {
  XmlDocument document;
  ASSERT_TRUE(document.LoadFromText(ManyAttributes(65).c_str()));
  const XmlNode node = document.GetRoot();
  EXPECT_EQ(node.AttributeCount(), 64);
  EXPECT_STREQ(node.AttributeValue(63), L"v63");
  EXPECT_TRUE(node.HasAttribute(L"n63"));
  EXPECT_FALSE(node.HasAttribute(L"n64"));
  EXPECT_STREQ(node.AttributeName(64), L"");
  EXPECT_STREQ(node.Text(), L"text");

  ASSERT_TRUE(document.LoadFromText(ManyAttributes(64).c_str()));
  EXPECT_TRUE(document.GetRoot().HasAttribute(L"n63"));
  EXPECT_EQ(document.GetRoot().AttributeCount(), 64);
}

TEST(XmlNodeTest, LookupCopiesAtMost499Characters) {
  const struct {
    size_t length;
    size_t bufferSize;
    size_t copied;
  } cases[] = {{600, XmlNode::kValueBufferSize, 499},
               {500, XmlNode::kValueBufferSize, 499},
               {499, XmlNode::kValueBufferSize, 499},
               {498, XmlNode::kValueBufferSize, 498},
               {600, 10, 9},
               {0, XmlNode::kValueBufferSize, 0}};
  for (const auto& c : cases) {
    std::wstring value;
    for (size_t i = 0; i < c.length; ++i) value += static_cast<wchar_t>(L'a' + i % 26);
    XmlDocument document;
    ASSERT_TRUE(document.LoadFromText((L"<a v=\"" + value + L"\"/>").c_str()));
    wchar_t buffer[XmlNode::kValueBufferSize + 8];
    std::fill(std::begin(buffer), std::end(buffer), L'#');
    ASSERT_TRUE(document.GetRoot().FindAttribute(L"v", buffer, c.bufferSize));
    EXPECT_EQ(std::wstring(buffer), value.substr(0, c.copied)) << c.length;
    EXPECT_EQ(buffer[c.copied + 1], L'#');                   // nothing written after the terminator
    EXPECT_EQ(document.GetRoot().AttributeValue(0), value);  // the node itself keeps it all
  }
}

TEST(XmlNodeTest, EmptyElementFormsHaveNoTextAndNoChildren) {
  const wchar_t* texts[] = {L"<a x=\"1\"/><b/>", L"<a x=\"1\" /><b/>", L"<a/><b/>", L"<a /><b/>",
                            L"<a\t/><b/>"};
  for (const wchar_t* text : texts) {
    XmlDocument document;
    ASSERT_TRUE(document.LoadFromText(text));
    const XmlNode a = document.GetRoot();
    EXPECT_STREQ(a.Name(), L"a");
    EXPECT_STREQ(a.Text(), L"");
    EXPECT_FALSE(a.HasChildren());
    EXPECT_STREQ(a.NextSibling().Name(), L"b");
    EXPECT_EQ(a.HasAttribute(L"x"), a.AttributeCount() == 1);
  }
}

}  // namespace

#include "ui/core/resources/language_strings.h"

#include <gtest/gtest.h>

#include <string>

#include "runtime/path_util.h"
#include "ui/core/temp_folder.h"

namespace ui {
namespace {

class LanguageStringsTest : public ::testing::Test {
 protected:
  bool Load(const std::string& bytes) {
    return strings_.LoadFromFile(folder_.Write(L"gdstrings.ini", bytes));
  }

  TempFolder folder_;
  LanguageStrings strings_;
};

struct LineCase {
  const wchar_t* id;
  const wchar_t* expected;
};

TEST_F(LanguageStringsTest, ReadsIdsAndTextsByTheFileRules) {
  ASSERT_TRUE(
      Load("  greeting  =  Hello there \r\n"
           "\r\n"
           ";comment=ignored\n"
           " ; spaced = ignored too\n"
           "x;y=ignored\n"
           "sum=a=b\n"
           "trailing=\n"
           "=leading\n"
           "doubled==kept\n"
           "breaks=one\\r\\ntwo\\nthree\n"
           "folder=C:\\dir\\file\n"
           "dup=first\n"
           "dup=second\n"
           "\t tabbed\t=\tvalue\t\n"
           "title=\xE7\x99\xBB\xE5\xBD\x95\n"
           "last=no newline at the end"));

  const LineCase cases[] = {
      {L"greeting", L"Hello there"},
      {L";comment", L""},
      {L"; spaced", L""},
      {L"x;y", L""},
      {L"sum", L""},
      {L"trailing", L""},
      {L"leading", L""},
      {L"doubled", L"kept"},
      {L"breaks", L"one\r\ntwo\nthree"},
      {L"folder", L"C:\\dir\\file"},
      {L"dup", L"second"},
      {L"tabbed", L"value"},
      {L"title", L"\u767B\u5F55"},
      {L"last", L"no newline at the end"},
      {L"", L""},
      {L"missing", L""},
  };
  for (const LineCase& c : cases) {
    EXPECT_EQ(strings_.GetString(c.id), c.expected) << "id " << testing::PrintToString(c.id);
  }
}

TEST_F(LanguageStringsTest, ByteOrderMarkDoesNotJoinTheFirstId) {
  ASSERT_TRUE(
      Load("\xEF\xBB\xBF"
           "first=1\nsecond=2\n"));
  EXPECT_EQ(strings_.GetString(L"first"), L"1");
  EXPECT_EQ(strings_.GetString(L"second"), L"2");
}

TEST_F(LanguageStringsTest, LoadingReplacesTheWholeTable) {
  ASSERT_TRUE(Load("old=1\nboth=old\n"));
  ASSERT_TRUE(Load("both=new\n"));
  EXPECT_EQ(strings_.GetString(L"old"), L"");
  EXPECT_EQ(strings_.GetString(L"both"), L"new");
}

TEST_F(LanguageStringsTest, UnreadableFileFailsAndLeavesTheTableEmpty) {
  ASSERT_TRUE(Load("kept=1\n"));
  EXPECT_FALSE(strings_.LoadFromFile(folder_.path() + L"no_such_file.ini"));
  EXPECT_TRUE(strings_.empty());
  EXPECT_EQ(strings_.GetString(L"kept"), L"");
}

TEST_F(LanguageStringsTest, InvalidUtf8LineIsDroppedAlone) {
  ASSERT_TRUE(Load("bad=\xC3\x28\ngood=yes\n"));
  EXPECT_EQ(strings_.GetString(L"bad"), L"");
  EXPECT_EQ(strings_.GetString(L"good"), L"yes");
}

// The language file the build lays out beside the client.
TEST(ShippedLanguageFileTest, LoadsTheClientStrings) {
  LanguageStrings strings;
  const std::wstring file =
      kbase::ModuleFolder() + L"..\\bin\\resources\\lang\\zh_CN\\gdstrings.ini";
  ASSERT_TRUE(strings.LoadFromFile(file));
  EXPECT_EQ(strings.GetString(L"STRID_APP_TITLE"), L"Tarnwick");
  EXPECT_EQ(strings.GetString(L"STRID_BTN_CLOSE"), L"\u5173\u95ED");
  EXPECT_FALSE(strings.GetString(L"STRID_BTN_REFRESH").empty());
}

}  // namespace
}  // namespace ui

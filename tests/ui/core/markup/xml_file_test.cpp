#include <windows.h>

#include <gtest/gtest.h>

#include <cwchar>
#include <string>
#include <vector>

#include "ui/core/markup/xml_document.h"
#include "xml_test_util.h"
#include "xml_tree_check.h"

#include "common/temp_folder.h"
#include "runtime/string_util.h"

namespace {

using ui::XmlDocument;
using ui::XmlNode;

// A fresh folder under the temporary folder, removed with its files afterwards.
class XmlFileTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(temp_.Created()); }

  void TearDown() override { ui::XmlDocument::SetResourceFolderFunction(nullptr); }

  std::wstring Write(const std::wstring& name, const std::string& bytes) {
    const std::wstring path = temp_.Write(name, bytes);
    EXPECT_FALSE(path.empty()) << "could not write " << kbase::WideToUtf8(name);
    return path;
  }

  static std::wstring folder_for_resources_;
  static std::wstring ResourceFolder() { return folder_for_resources_; }

  test_files::TempFolder temp_{L"tarnwick_xml_"};
  const std::wstring& folder_ = temp_.Path();
};

std::wstring XmlFileTest::folder_for_resources_;

// Valid UTF-8 of exactly the given size.
std::string DocumentOfSize(size_t size) {
  std::string bytes = "<a>";
  bytes.append(size - 7, 'x');
  return bytes + "</a>";
}

TEST_F(XmlFileTest, FileFailuresBeforeParsing) {
  const std::wstring empty = Write(L"empty.xml", "");
  const std::wstring tooLarge = Write(L"large.xml", DocumentOfSize(XmlDocument::kMaxFileSize + 1));
  const struct {
    std::wstring path;
    const wchar_t* message;
  } cases[] = {{folder_ + L"missing.xml", L"Error opening file"},
               {folder_, L"Error opening file"},
               {empty, L"File is empty"},
               {tooLarge, L"File too large"}};
  for (const auto& c : cases) {
    XmlDocument document;
    ASSERT_TRUE(document.LoadFromText(L"<previous/>"));
    EXPECT_FALSE(document.LoadFromFile(c.path));
    EXPECT_STREQ(document.LastErrorMessage(), c.message);
    EXPECT_STREQ(document.LastErrorLocation(), L"");
    EXPECT_FALSE(document.GetRoot().IsValid());
  }
}

TEST_F(XmlFileTest, ExactlyTheSizeLimitIsAccepted) {
  const std::wstring path = Write(L"limit.xml", DocumentOfSize(XmlDocument::kMaxFileSize));
  XmlDocument document;
  ASSERT_TRUE(document.LoadFromFile(path)) << document.LastErrorMessage();
  EXPECT_EQ(std::wcslen(document.GetRoot().Text()), XmlDocument::kMaxFileSize - 7);
}

bool ReadsThrough(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  char byte = 0;
  DWORD read = 0;
  const bool ok = ReadFile(file, &byte, 1, &read, nullptr) && read == 1;
  CloseHandle(file);
  return ok;
}

TEST_F(XmlFileTest, UnreadableFileIsReported) {
  const std::wstring path = Write(L"locked.xml", "<a/>");
  // A reader holding an exclusive lock on the content lets the file open but not read.
  HANDLE holder = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  ASSERT_TRUE(LockFile(holder, 0, 0, 4, 0));
  std::wstring unreadable = path;
  if (ReadsThrough(path)) {
    // Wine does not enforce byte-range locks on reads. There, a kernel attribute file
    // of the host serves instead: it reports a size of a page and yields a few bytes.
    unreadable = L"Z:\\sys\\devices\\system\\cpu\\online";
    if (GetFileAttributesW(unreadable.c_str()) == INVALID_FILE_ATTRIBUTES) {
      CloseHandle(holder);
      GTEST_SKIP() << "no way to make a file read short here";
    }
  }
  XmlDocument document;
  EXPECT_FALSE(document.LoadFromFile(unreadable));
  EXPECT_STREQ(document.LastErrorMessage(), L"Could not read file");
  UnlockFile(holder, 0, 0, 4, 0);
  CloseHandle(holder);
}

// Four MiB of start tags nest about 1.4 million levels deep; the load ends cleanly.
TEST_F(XmlFileTest, MillionLevelNestingFailsCleanly) {
  std::string bytes;
  bytes.reserve(XmlDocument::kMaxFileSize);
  while (bytes.size() + 3 <= XmlDocument::kMaxFileSize) bytes += "<a>";
  bytes.resize(XmlDocument::kMaxFileSize, ' ');
  const std::wstring path = Write(L"deep.xml", bytes);
  XmlDocument document;
  EXPECT_FALSE(document.LoadFromFile(path));
  EXPECT_STREQ(document.LastErrorMessage(), L"Expected end-tag start");
  EXPECT_STREQ(document.LastErrorLocation(), L"");
}

TEST_F(XmlFileTest, RelativePathsResolveAgainstTheResourceFolder) {
  Write(L"window.xml", "<Window size=\"1,1\"/>");
  folder_for_resources_ = folder_;
  XmlDocument::SetResourceFolderFunction(&XmlFileTest::ResourceFolder);
  XmlDocument document;
  ASSERT_TRUE(document.LoadFromFile(L"window.xml")) << document.LastErrorMessage();
  EXPECT_STREQ(document.GetRoot().Name(), L"Window");
  // A full path is used unchanged.
  ASSERT_TRUE(document.LoadFromFile(folder_ + L"window.xml"));
  // Without the folder a relative name is not found from the current folder.
  XmlDocument::SetResourceFolderFunction(nullptr);
  EXPECT_FALSE(document.LoadFromFile(L"window.xml"));
  EXPECT_STREQ(document.LastErrorMessage(), L"Error opening file");
}

TEST_F(XmlFileTest, LayoutFilesLoad) {
  const struct {
    const wchar_t* file;
    const wchar_t* root;
    uint32_t elements;
  } layouts[] = {{L"global.xml", L"Global", 26}, {L"basic.xml", L"Window", 16},
                 {L"cef.xml", L"Window", 13},    {L"game.xml", L"Window", 12},
                 {L"toast.xml", L"Window", 6},   {L"shadow.xml", L"Window", 2},
                 {L"list.xml", L"Window", 22}};
  const std::wstring folder = ui_test::TestDataFolder() + L"ui\\core\\layouts\\";
  for (const auto& layout : layouts) {
    XmlDocument document;
    ASSERT_TRUE(document.LoadFromFile(folder + layout.file))
        << document.LastErrorMessage() << " " << layout.file;
    EXPECT_STREQ(document.GetRoot().Name(), layout.root);
    EXPECT_EQ(document.ElementCount(), layout.elements) << layout.file;
    EXPECT_EQ(ui_test::CheckLoadedTree(document), "");
  }
}

TEST_F(XmlFileTest, LayoutValuesAreDecoded) {
  XmlDocument document;
  ASSERT_TRUE(document.LoadFromFile(ui_test::TestDataFolder() + L"ui\\core\\layouts\\toast.xml"));
  XmlNode content = document.GetRoot().FirstChild().FirstChild().NextSibling();
  wchar_t value[XmlNode::kValueBufferSize];
  ASSERT_TRUE(content.FindAttribute(L"text", value));
  EXPECT_STREQ(value, L"操作成功 <ok> & 完成");
  ASSERT_TRUE(content.FindAttribute(L"name", value));
  EXPECT_STREQ(value, L"content");
}

}  // namespace

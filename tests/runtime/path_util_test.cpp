#include "runtime/path_util.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace {

using kbase::CreateFolderPath;

struct FolderCase {
  std::wstring file_name;
  std::wstring expected;
};

class FolderOfModulePathTest : public ::testing::TestWithParam<FolderCase> {};

TEST_P(FolderOfModulePathTest, CutsAtTheLastSeparator) {
  EXPECT_EQ(kbase::FolderOfModulePath(GetParam().file_name), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Names, FolderOfModulePathTest,
                         ::testing::Values(FolderCase{L"C:\\games\\client.exe", L"C:\\games\\"},
                                           FolderCase{L"C:/games/client.exe", L"C:/games/"},
                                           FolderCase{L"C:\\a/b\\c.exe", L"C:\\a/b\\"},
                                           FolderCase{L"C:\\games\\", L"C:\\games\\"},
                                           FolderCase{L"client.exe", L""},
                                           FolderCase{L"\\client.exe", L""}, FolderCase{L"", L""}));

TEST(ModuleFolderTest, IsTheFolderOfThisProgram) {
  wchar_t name[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(nullptr, name, MAX_PATH);
  ASSERT_GT(length, 0u);
  std::wstring expected(name, length);
  expected.resize(expected.find_last_of(L"\\/") + 1);
  EXPECT_EQ(kbase::ModuleFolder(), expected);
}

bool IsFolder(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

class CreateFolderPathTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    root_ = std::wstring(temp) + L"tarnwick_folders_" + std::to_wstring(GetCurrentProcessId());
    ASSERT_TRUE(CreateDirectoryW(root_.c_str(), nullptr));
  }
  void TearDown() override {
    // SHFileOperation would pull in shell32 for one call; the tree is small.
    RemoveTree(root_);
  }

  static void RemoveTree(const std::wstring& folder) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
      do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        const std::wstring path = folder + L"\\" + name;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
          RemoveTree(path);
        } else {
          DeleteFileW(path.c_str());
        }
      } while (FindNextFileW(find, &data));
      FindClose(find);
    }
    RemoveDirectoryW(folder.c_str());
  }

  void MakeFile(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
  }

  std::wstring root_;
};

TEST_F(CreateFolderPathTest, ExistingFolderIsTrue) {
  EXPECT_TRUE(CreateFolderPath(root_));
  EXPECT_TRUE(CreateFolderPath(root_ + L"\\"));
}

TEST_F(CreateFolderPathTest, CreatesEveryMissingLevel) {
  const std::wstring deep = root_ + L"\\a\\b\\c";
  EXPECT_TRUE(CreateFolderPath(deep));
  EXPECT_TRUE(IsFolder(root_ + L"\\a"));
  EXPECT_TRUE(IsFolder(root_ + L"\\a\\b"));
  EXPECT_TRUE(IsFolder(deep));
}

TEST_F(CreateFolderPathTest, CreatesOnlyTheMissingTailUnderExistingParents) {
  ASSERT_TRUE(CreateDirectoryW((root_ + L"\\kept").c_str(), nullptr));
  MakeFile(root_ + L"\\kept\\marker.txt");
  EXPECT_TRUE(CreateFolderPath(root_ + L"\\kept\\new\\tail"));
  EXPECT_TRUE(IsFolder(root_ + L"\\kept\\new\\tail"));
  EXPECT_NE(GetFileAttributesW((root_ + L"\\kept\\marker.txt").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(CreateFolderPathTest, AcceptsForwardAndDoubledSeparators) {
  EXPECT_TRUE(CreateFolderPath(root_ + L"/x//y/"));
  EXPECT_TRUE(IsFolder(root_ + L"\\x\\y"));
}

TEST_F(CreateFolderPathTest, PathThroughAFileFails) {
  MakeFile(root_ + L"\\file.txt");
  EXPECT_FALSE(CreateFolderPath(root_ + L"\\file.txt\\sub"));
  EXPECT_FALSE(CreateFolderPath(root_ + L"\\file.txt"));
  EXPECT_FALSE(IsFolder(root_ + L"\\file.txt\\sub"));
}

TEST_F(CreateFolderPathTest, EmptyPathFails) {
  EXPECT_FALSE(CreateFolderPath(L""));
}

}  // namespace

// Where the browser's profile, cache and log go: beside the program while the player can
// write there, in the player's local application data otherwise.

#include "app/data_folder.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "ui/core/temp_folder.h"

namespace {

constexpr wchar_t kAppData[] = L"C:\\Users\\ann\\AppData\\Local";
constexpr wchar_t kInAppData[] = L"C:\\Users\\ann\\AppData\\Local\\Tarnwick\\cef_temp\\";

enum class Left { kNothing, kFolder, kFile };

struct ChoiceCase {
  const char* name;
  Left left;                // what an earlier run left at "cef_temp" beside the program
  bool programWritable;     // the probe's answer in the program's folder
  bool leftWritable;        // the probe's answer in the folder left there
  const wchar_t* appData;   // the player's local application data
  bool besideExpected;      // else in the local application data
  const wchar_t* probedIn;  // which folder the decision probed: "" none, "program", "left"
};

class DataFolderChoice : public ::testing::TestWithParam<ChoiceCase> {};

TEST_P(DataFolderChoice, ProbesTheRightFolderAndChoosesByItsAnswer) {
  const ChoiceCase& c = GetParam();
  TempFolder program;
  const std::wstring beside = program.path() + L"cef_temp\\";
  if (c.left == Left::kFolder) {
    ASSERT_TRUE(CreateDirectoryW(beside.c_str(), nullptr));
  }
  if (c.left == Left::kFile) program.Write(L"cef_temp", "not a folder");
  std::vector<std::wstring> probed;
  DataFolder folder(
      [&](const std::wstring& where) {
        probed.push_back(where);
        return where == beside ? c.leftWritable : c.programWritable;
      },
      c.appData);

  EXPECT_EQ(folder.Choose(program.path()), c.besideExpected ? beside : kInAppData);

  std::vector<std::wstring> expectedProbes;
  if (std::wstring(c.probedIn) == L"program") expectedProbes.push_back(program.path());
  if (std::wstring(c.probedIn) == L"left") expectedProbes.push_back(beside);
  EXPECT_EQ(probed, expectedProbes);
  RemoveDirectoryW(beside.c_str());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DataFolderChoice,
    ::testing::Values(
        // A portable or per-user install.
        ChoiceCase{"WritableProgramFolder", Left::kNothing, true, false, kAppData, true,
                   L"program"},
        ChoiceCase{"WritableFolderLeftBefore", Left::kFolder, false, true, kAppData, true, L"left"},
        // A per-machine install under Program Files, for a standard user.
        ChoiceCase{"ReadOnlyProgramFolder", Left::kNothing, false, false, kAppData, false,
                   L"program"},
        // An elevated first run left a folder the player may only read.
        ChoiceCase{"ReadOnlyFolderLeftBefore", Left::kFolder, true, false, kAppData, false,
                   L"left"},
        ChoiceCase{"AFileInItsPlace", Left::kFile, true, true, kAppData, false, L""},
        // With nowhere else to go, beside the program is the best there is.
        ChoiceCase{"NoLocalAppData", Left::kNothing, false, false, L"", true, L"program"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DataFolderTest, TheProbeWritesInAWritableFolderAndLeavesNothing) {
  TempFolder folder;
  EXPECT_TRUE(DataFolder::CanWriteIn(folder.path()));
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((folder.path() + L"*").c_str(), &found);
  ASSERT_NE(search, INVALID_HANDLE_VALUE);
  std::vector<std::wstring> names;
  do {
    const std::wstring name = found.cFileName;
    if (name != L"." && name != L"..") names.push_back(name);
  } while (FindNextFileW(search, &found));
  FindClose(search);
  EXPECT_TRUE(names.empty()) << "left behind: " << testing::PrintToString(names);
}

TEST(DataFolderTest, TheProbeFailsWhereNoFileCanBeMade) {
  TempFolder folder;
  // A folder that is not there, and a "folder" that is a file.
  EXPECT_FALSE(DataFolder::CanWriteIn(folder.path() + L"missing\\"));
  const std::wstring file = folder.Write(L"plain", "x");
  EXPECT_FALSE(DataFolder::CanWriteIn(file + L"\\"));
}

TEST(DataFolderTest, ThePlayersOwnFolderIsUsedWhenTheProgramFolderIsReadOnly) {
  const std::wstring appData = DataFolder::LocalAppData();
  ASSERT_FALSE(appData.empty());
  EXPECT_NE(GetFileAttributesW(appData.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(appData.back(), L'\\');
  TempFolder program;
  // The real probe in a writable folder keeps the data beside the program.
  EXPECT_EQ(DataFolder::ForThisUser().Choose(program.path()), program.path() + L"cef_temp\\");
  const DataFolder readOnly([](const std::wstring&) { return false; }, appData);
  EXPECT_EQ(readOnly.Choose(program.path()), appData + L"\\Tarnwick\\cef_temp\\");
}

}  // namespace

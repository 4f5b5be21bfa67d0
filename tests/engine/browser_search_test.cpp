#include "engine/process/browser_search.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/process/browser_process.h"

namespace engine {
namespace {

// A folder tree of fake browser installations, removed afterwards.
class FakeInstalls {
 public:
  FakeInstalls() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    root_ = std::wstring(temp) + L"browser-search-" + std::to_wstring(GetCurrentProcessId()) +
            L"-" + std::to_wstring(GetTickCount()) + L"\\";
    CreateDirectoryW(root_.c_str(), nullptr);
  }
  ~FakeInstalls() { BrowserProcess::RemoveFolder(root_); }

  // Makes the file (and its folders) below the root; its full path.
  std::wstring File(const std::wstring& relative) {
    const std::wstring path = root_ + relative;
    for (size_t slash = path.find(L'\\', root_.size()); slash != std::wstring::npos;
         slash = path.find(L'\\', slash + 1)) {
      CreateDirectoryW(path.substr(0, slash).c_str(), nullptr);
    }
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    return path;
  }
  std::wstring Folder(const std::wstring& relative) {
    const std::wstring path = File(relative + L"\\placeholder");
    return path.substr(0, path.rfind(L'\\'));
  }
  const std::wstring& Root() const { return root_; }

 private:
  std::wstring root_;
};

// Sets an environment variable for the test's lifetime.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const wchar_t* name, const std::wstring& value) : name_(name) {
    wchar_t old[MAX_PATH];
    const DWORD length = GetEnvironmentVariableW(name, old, MAX_PATH);
    had_ = length > 0 && length < MAX_PATH;
    if (had_) old_ = old;
    SetEnvironmentVariableW(name, value.c_str());
  }
  ~ScopedEnvironment() { SetEnvironmentVariableW(name_, had_ ? old_.c_str() : nullptr); }

 private:
  const wchar_t* name_;
  bool had_ = false;
  std::wstring old_;
};

struct SearchCase {
  const char* what;
  std::vector<const wchar_t*> present;     // files made below the root
  std::vector<const wchar_t*> candidates;  // in order
  const wchar_t* found;                    // below the root, or empty
};

class BrowserSearchTest : public ::testing::TestWithParam<SearchCase> {};

TEST_P(BrowserSearchTest, TheFirstCandidateThatExistsWins) {
  const SearchCase& c = GetParam();
  FakeInstalls installs;
  for (const wchar_t* file : c.present) installs.File(file);
  installs.Folder(L"folder.exe");
  std::vector<std::wstring> candidates;
  for (const wchar_t* candidate : c.candidates) candidates.push_back(installs.Root() + candidate);
  const std::wstring expected = *c.found ? installs.Root() + c.found : std::wstring();
  EXPECT_EQ(FirstExistingFile(candidates), expected) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BrowserSearchTest,
    ::testing::Values(SearchCase{"none present", {}, {L"a\\chrome.exe", L"b\\msedge.exe"}, L""},
                      SearchCase{"the second present",
                                 {L"b\\msedge.exe"},
                                 {L"a\\chrome.exe", L"b\\msedge.exe"},
                                 L"b\\msedge.exe"},
                      SearchCase{"both present: order decides",
                                 {L"a\\chrome.exe", L"b\\msedge.exe"},
                                 {L"b\\msedge.exe", L"a\\chrome.exe"},
                                 L"b\\msedge.exe"},
                      SearchCase{"a folder of that name is no browser",
                                 {L"c\\chrome.exe"},
                                 {L"folder.exe", L"c\\chrome.exe"},
                                 L"c\\chrome.exe"},
                      SearchCase{"no candidates", {L"a\\chrome.exe"}, {}, L""}));

TEST(BrowserSearchDefaultsTest, PerUserChromiumComesFirstThenChromeThenEdge) {
  FakeInstalls installs;
  const std::wstring local = installs.Folder(L"local");
  const std::wstring programs = installs.Folder(L"programs");
  const std::wstring programs86 = installs.Folder(L"programs86");
  ScopedEnvironment a(L"LOCALAPPDATA", local);
  ScopedEnvironment b(L"ProgramFiles", programs);
  ScopedEnvironment c(L"ProgramFiles(x86)", programs86);
  const std::vector<std::wstring> candidates = DefaultBrowserCandidates();
  ASSERT_GE(candidates.size(), 9u);
  const std::vector<std::wstring> expected = {
      local + L"\\Chromium\\Application\\chrome.exe",
      programs + L"\\Chromium\\Application\\chrome.exe",
      programs86 + L"\\Chromium\\Application\\chrome.exe",
      local + L"\\Google\\Chrome\\Application\\chrome.exe",
      programs + L"\\Google\\Chrome\\Application\\chrome.exe",
      programs86 + L"\\Google\\Chrome\\Application\\chrome.exe",
      local + L"\\Microsoft\\Edge\\Application\\msedge.exe",
      programs + L"\\Microsoft\\Edge\\Application\\msedge.exe",
      programs86 + L"\\Microsoft\\Edge\\Application\\msedge.exe"};
  EXPECT_EQ(std::vector<std::wstring>(candidates.begin(), candidates.begin() + 9), expected);

  // Edge per machine and Chrome per user: Chrome wins.
  installs.File(L"programs\\Microsoft\\Edge\\Application\\msedge.exe");
  EXPECT_EQ(ResolveBrowser(L"auto"), programs + L"\\Microsoft\\Edge\\Application\\msedge.exe");
  installs.File(L"local\\Google\\Chrome\\Application\\chrome.exe");
  EXPECT_EQ(ResolveBrowser(L""), local + L"\\Google\\Chrome\\Application\\chrome.exe");
}

TEST(BrowserSearchDefaultsTest, AppPathsComeAfterTheFoldersCurrentUserFirst) {
  FakeInstalls installs;
  ScopedEnvironment a(L"LOCALAPPDATA", installs.Folder(L"empty1"));
  ScopedEnvironment b(L"ProgramFiles", installs.Folder(L"empty2"));
  ScopedEnvironment c(L"ProgramFiles(x86)", installs.Folder(L"empty3"));
  const std::wstring browser = installs.File(L"elsewhere\\chrome.exe");
  const wchar_t* key = L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\chrome.exe";
  // Written in quotes, as some installers do.
  const std::wstring quoted = L"\"" + browser + L"\"";
  ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, key, nullptr, REG_SZ, quoted.c_str(),
                            static_cast<DWORD>((quoted.size() + 1) * sizeof(wchar_t))),
            ERROR_SUCCESS);
  const std::vector<std::wstring> candidates = DefaultBrowserCandidates();
  ASSERT_GE(candidates.size(), 10u);
  EXPECT_EQ(candidates[9], browser);
  EXPECT_EQ(ResolveBrowser(L"auto"), browser);
  RegDeleteKeyW(HKEY_CURRENT_USER, key);
}

TEST(BrowserSearchDefaultsTest, ANamedBrowserIsTakenAsItIsAndTheSeamReplacesTheList) {
  EXPECT_EQ(ResolveBrowser(L"/usr/bin/chromium"), L"/usr/bin/chromium");
  FakeInstalls installs;
  const std::wstring browser = installs.File(L"seam\\chrome.exe");
  SetBrowserCandidateSource([&] { return std::vector<std::wstring>{L"X:\\none.exe", browser}; });
  EXPECT_EQ(ResolveBrowser(L"auto"), browser);
  // engine.ini without a browser takes the search's answer.
  const std::wstring ini = installs.File(L"engine.ini");
  WritePrivateProfileStringW(L"engine", L"browser", L"auto", ini.c_str());
  EXPECT_EQ(BrowserProcess::ConfiguredBrowser(ini), browser);
  SetBrowserCandidateSource([] { return std::vector<std::wstring>{}; });
  EXPECT_EQ(BrowserProcess::ConfiguredBrowser(ini), L"");
  SetBrowserCandidateSource(nullptr);
}

}  // namespace
}  // namespace engine

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "browser_host/cef_manager.h"
#include "common/temp_folder.h"
#include "engine/cef/cef_app.h"
#include "engine/core/engine_core.h"
#include "engine/scripted/scripted_backend.h"

namespace {

using vok_comp::CefManager;

std::wstring Environment(const wchar_t* name) {
  const DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
  if (size == 0) return std::wstring();
  std::wstring value(size, L'\0');
  value.resize(GetEnvironmentVariableW(name, &value[0], size));
  return value;
}

// Puts back the variables and the manager's seams the test changed.
class EngineFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = Environment(L"path");
    comSpec_ = Environment(L"ComSpec");
    CefManager::GetInstance()->SetNotice(
        [this](const std::wstring& text, const std::wstring& caption) {
          notices_.push_back(text + L"|" + caption);
        });
    CefManager::GetInstance()->SetExit([this](int code) { exits_.push_back(code); });
  }
  void TearDown() override {
    SetEnvironmentVariableW(L"path", path_.c_str());
    SetEnvironmentVariableW(L"ComSpec", comSpec_.c_str());
    CefManager::GetInstance()->SetNotice(nullptr);
    CefManager::GetInstance()->SetExit(nullptr);
    if (!engineFolder_.empty()) RemoveDirectoryW(engineFolder_.c_str());
  }
  void MakeEngineFolder() {
    engineFolder_ = folder_.Path() + L"cef";
    ASSERT_TRUE(CreateDirectoryW(engineFolder_.c_str(), nullptr));
  }

  test_files::TempFolder folder_{L"engine_folder_"};
  std::wstring engineFolder_;
  std::wstring path_;
  std::wstring comSpec_;
  std::vector<std::wstring> notices_;
  std::vector<int> exits_;
};

TEST_F(EngineFolderTest, PresentFolderGoesFirstOnTheSearchPath) {
  MakeEngineFolder();
  SetEnvironmentVariableW(L"path", L"C:\\windows");
  EXPECT_TRUE(CefManager::GetInstance()->PrepareEngineFolderIn(folder_.Path()));
  EXPECT_EQ(Environment(L"path"), folder_.Path() + L"cef;C:\\windows");
  EXPECT_EQ(Environment(L"ComSpec"), folder_.Path() + L"cef\\dummy_cmd.exe");
  EXPECT_TRUE(notices_.empty());
  EXPECT_TRUE(exits_.empty());
}

TEST_F(EngineFolderTest, MissingOrFileFolderShowsTheNoticeAndEndsWithZero) {
  for (bool asFile : {false, true}) {
    notices_.clear();
    exits_.clear();
    if (asFile) folder_.Write(L"cef", "not a folder");
    SetEnvironmentVariableW(L"path", L"C:\\windows");
    EXPECT_FALSE(CefManager::GetInstance()->PrepareEngineFolderIn(folder_.Path()));
    ASSERT_EQ(notices_.size(), 1u);
    EXPECT_EQ(notices_[0], L"请解压Cef.rar压缩包|提示");
    EXPECT_EQ(exits_, std::vector<int>{0});
    EXPECT_EQ(Environment(L"path"), L"C:\\windows") << "the environment changed anyway";
  }
}

TEST_F(EngineFolderTest, LongOrMissingSearchPathIsKeptWhole) {
  MakeEngineFolder();
  const std::wstring longPath = L"C:\\" + std::wstring(6000, L'p');
  SetEnvironmentVariableW(L"path", longPath.c_str());
  EXPECT_TRUE(CefManager::GetInstance()->PrepareEngineFolderIn(folder_.Path()));
  EXPECT_EQ(Environment(L"path"), folder_.Path() + L"cef;" + longPath);

  SetEnvironmentVariableW(L"path", nullptr);
  EXPECT_TRUE(CefManager::GetInstance()->PrepareEngineFolderIn(folder_.Path()));
  EXPECT_EQ(Environment(L"path"), folder_.Path() + L"cef;");
}

CefSettings ZeroSettings() {
  CefSettings settings;
  std::memset(&settings, 0, sizeof(settings));
  settings.size = sizeof(settings);
  return settings;
}

TEST(EngineSettingsTest, SettingsPointIntoTheDataFolderWhichIsMade) {
  test_files::TempFolder base(L"engine_settings_");
  const std::wstring dataDir = base.Path() + L"a\\cef_temp\\";
  CefSettings settings = ZeroSettings();
  settings.remote_debugging_port = 9333;
  settings.log_severity = LOGSEVERITY_WARNING;
  CefManager::FillEngineSettings(dataDir, settings);
  EXPECT_NE(GetFileAttributesW(dataDir.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(CefStringOf(settings.cache_path).ToWString(), dataDir + L"CefLocalStorage");
  EXPECT_EQ(CefStringOf(settings.log_file).ToWString(), dataDir + L"cef.log");
  EXPECT_EQ(settings.no_sandbox, 1);
  EXPECT_EQ(settings.multi_threaded_message_loop, 1);
  EXPECT_EQ(settings.windowless_rendering_enabled, 0);
  EXPECT_EQ(settings.remote_debugging_port, 9333) << "a field the caller set was changed";
  EXPECT_EQ(settings.log_severity, LOGSEVERITY_WARNING);
  EXPECT_EQ(CefStringOf(settings.locale).ToWString(), L"");
  cef_string_clear(&settings.cache_path);
  cef_string_clear(&settings.log_file);
  RemoveDirectoryW(dataDir.c_str());
  RemoveDirectoryW((base.Path() + L"a").c_str());
}

TEST(EngineSettingsTest, InitializeStartsTheEngineWithTheApplication) {
  test_files::TempFolder base(L"engine_start_");
  auto backend = std::make_shared<engine::ScriptedBackend>();
  engine::UseBackend(backend);
  CefSettings settings = ZeroSettings();
  ASSERT_TRUE(CefManager::GetInstance()->Initialize(base.Path(), settings));
  ASSERT_TRUE(backend->Settle());
  EXPECT_EQ(backend->Options().extraSwitches.size(), 7u) << "the application was not used";
  EXPECT_FALSE(CefManager::GetInstance()->IsOffScreenRenderingEnabled());
  CefManager::GetInstance()->Uninitialize();
  engine::UseBackend(nullptr);
  EXPECT_EQ(engine::EngineCore::Get(), nullptr) << "the engine still runs";
  cef_string_clear(&settings.cache_path);
  cef_string_clear(&settings.log_file);
}

}  // namespace

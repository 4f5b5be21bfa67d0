#include "app/client_startup_services.h"

#include <gtest/gtest.h>
#include <ole2.h>
#include <windows.h>

#include <memory>

#include "engine/core/engine_core.h"
#include "engine/process/browser_search.h"
#include "engine/scripted/scripted_backend.h"
#include "ui/core/resources/language_strings.h"
#include "ui/core/resources/ui_registry.h"
#include "ui/core/temp_folder.h"

namespace {

TEST(ClientStartupServicesTest, InitialisesOleForTheThreadAndReleasesIt) {
  ClientStartupServices services;
  ASSERT_TRUE(services.InitializeOle());
  // Already initialised as a single-threaded apartment: asking for another model fails.
  EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), RPC_E_CHANGED_MODE);
  services.UninitializeOle();
  const HRESULT again = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  EXPECT_EQ(again, S_OK);  // fully released, so any model may be chosen again
  if (SUCCEEDED(again)) CoUninitialize();
}

TEST(ClientStartupServicesTest, UiStepsStartAndStopTheUiFramework) {
  TempFolder resources;
  resources.Write(L"lang\\zh_CN\\gdstrings.ini", "STRID_APP_TITLE = Tarnwick\n");
  ClientStartupServices services;
  services.StartUi(resources.path(), L"themes\\default", L"lang\\zh_CN");
  EXPECT_EQ(ui::UiRegistry::GetResourcePath(), resources.path() + L"themes\\default\\");
  EXPECT_EQ(ui::UiRegistry::GetLanguageStrings().GetString(L"STRID_APP_TITLE"), L"Tarnwick");
  EXPECT_NE(ui::UiRegistry::GetRenderFactory(), nullptr);
  EXPECT_FALSE(ui::UiRegistry::GetCreateControlCallback());
  ASSERT_NE(ui::UiRegistry::AddFont(L"app_font", L"Arial", 12, false, false, false, false),
            nullptr);

  services.ShutdownUi();
  EXPECT_EQ(ui::UiRegistry::GetRenderFactory(), nullptr);
  EXPECT_EQ(ui::UiRegistry::GetFont(L"app_font"), nullptr);
}

TEST(ClientStartupServicesTest, EngineStepsStartTheEngineInTheDataFolderAndStopIt) {
  TempFolder data;
  auto backend = std::make_shared<engine::ScriptedBackend>();
  engine::UseBackend(backend);
  {
    ClientStartupServices services;
    ASSERT_TRUE(services.InitializeEngine(data.path() + L"cef_temp\\"));
    EXPECT_NE(engine::EngineCore::Get(), nullptr);
    EXPECT_FALSE(backend->Options().extraSwitches.empty()) << "started without the application";
    EXPECT_EQ(backend->Options().cachePath, data.path() + L"cef_temp\\CefLocalStorage");
    EXPECT_NE(GetFileAttributesW((data.path() + L"cef_temp").c_str()), INVALID_FILE_ATTRIBUTES);
    services.UninitializeEngine();
  }
  engine::UseBackend(nullptr);
  EXPECT_EQ(engine::EngineCore::Get(), nullptr);
  RemoveDirectoryW((data.path() + L"cef_temp").c_str());
}

TEST(ClientStartupServicesTest, WithoutABrowserTheUserIsToldAndTheEngineDoesNotStart) {
  TempFolder data;
  // No engine.ini beside the test program names one, and the search finds none.
  engine::SetBrowserCandidateSource([] { return std::vector<std::wstring>{L"X:\\none.exe"}; });
  std::vector<std::wstring> errors;
  {
    ClientStartupServices services;
    services.SetErrorFunction([&errors](const std::wstring& text) { errors.push_back(text); });
    EXPECT_FALSE(services.InitializeEngine(data.path() + L"cef_temp\\"));
  }
  engine::SetBrowserCandidateSource(nullptr);
  EXPECT_EQ(engine::EngineCore::Get(), nullptr);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].find(L"could not find a web browser"), std::wstring::npos);
  EXPECT_NE(errors[0].find(L"cef\\engine.ini"), std::wstring::npos);
  RemoveDirectoryW((data.path() + L"cef_temp").c_str());
}

}  // namespace

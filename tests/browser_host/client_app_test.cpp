#include "browser_host/client_app.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/engine_core.h"
#include "engine/scripted/scripted_backend.h"

namespace {

using vok_comp::ClientApp;

const std::vector<std::wstring> kBrowserSwitches = {
    L"--ppapi-flash-version=20.0.0.228",
    L"--ppapi-flash-path=PepperFlash\\pepflashplayer.dll",
    L"--process-per-site",
    L"--enable-webgl=1",
    L"--ignore-gpu-blacklist=1",
    L"--high-dpi-support=1",
    L"--force-device-scale-factor=1"};

std::vector<std::wstring> Appended(const CefString& processType) {
  CefRefPtr<ClientApp> app = new ClientApp();
  CefRefPtr<CefCommandLine> commandLine = CefCommandLine::CreateCommandLine();
  app->OnBeforeCommandLineProcessing(processType, commandLine);
  std::vector<std::wstring> switches;
  for (const auto& entry : commandLine->Switches()) {
    std::wstring text = L"--" + entry.first.ToWString();
    if (!entry.second.empty()) text += L"=" + entry.second.ToWString();
    switches.push_back(text);
  }
  return switches;
}

TEST(ClientAppTest, OnlyTheBrowserProcessGetsTheSwitches) {
  EXPECT_EQ(Appended(""), kBrowserSwitches);
  for (const char* subProcess : {"renderer", "gpu-process", "utility", "ppapi"}) {
    EXPECT_TRUE(Appended(subProcess).empty()) << subProcess;
  }
}

TEST(ClientAppTest, StartingTheEngineAppliesSwitchesAndCookieSchemes) {
  auto backend = std::make_shared<engine::ScriptedBackend>();
  engine::UseBackend(backend);
  CefRefPtr<ClientApp> app = new ClientApp();
  CefSettings settings;
  std::memset(&settings, 0, sizeof(settings));
  settings.size = sizeof(settings);
  ASSERT_TRUE(CefInitialize(CefMainArgs(GetModuleHandleW(nullptr)), settings, app.get(), nullptr));
  ASSERT_TRUE(backend->Settle());
  EXPECT_EQ(backend->Options().extraSwitches, kBrowserSwitches);
  const std::vector<CefString> schemes = {"http", "https"};
  EXPECT_EQ(app->CookieableSchemes(), schemes);
  EXPECT_EQ(CefCookieManager::GetGlobalManager(nullptr)->SupportedSchemes(), schemes);
  CefShutdown();
  engine::UseBackend(nullptr);
}

}  // namespace

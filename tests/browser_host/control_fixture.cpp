#include "browser_host/control_fixture.h"

#include "common/test_data_folder.h"
#include "ui/core/resources/ui_registry.h"

namespace browser_host_test {

void WindowHost::Start() {
  ui_.Run([] {
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    ui::UiRegistry::Startup(temp, nullptr, L"no-such-theme", L"no-such-language");
    ui::UiRegistry::SetResourcePath(test_data::Folder() + L"browser_host\\skins\\");
  });
}

namespace {

BOOL CALLBACK DestroyBrowserWindow(HWND hwnd, LPARAM) {
  wchar_t name[64] = {};
  ::GetClassNameW(hwnd, name, 64);
  if (std::wstring(name) == L"TarnwickBrowserTest") ::DestroyWindow(hwnd);
  return TRUE;
}

}  // namespace

void WindowHost::Stop() {
  ui_.Run([] { EnumThreadWindows(GetCurrentThreadId(), DestroyBrowserWindow, 0); });
}

BrowserWindow* WindowHost::Open(std::function<void(BrowserWindow&)> onInit, bool show) {
  BrowserWindow* made = nullptr;
  ui_.Run([&] {
    auto* window = new BrowserWindow();
    window->onInit = std::move(onInit);
    window->GetShadow().SetAttached(false);
    const HWND hwnd = window->CreateNativeWindow(nullptr, L"browser", WS_POPUP, 0, false,
                                                 ui::UiRect{100, 100, 500, 400});
    if (!hwnd) return;
    if (show) {
      ::ShowWindow(hwnd, SW_SHOWNOACTIVATE);
      ::UpdateWindow(hwnd);
    }
    made = window;
  });
  return made;
}

bool WindowHost::WithPage(BrowserWindow* window,
                          const std::function<void(vok_comp::CefNativeControl&)>& work) {
  return ui_.Run([&] { work(*window->page); });
}

}  // namespace browser_host_test

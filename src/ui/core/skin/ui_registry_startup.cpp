#include "ui/core/resources/ui_registry.h"

#include <utility>

#include "ui/core/skin/window_builder.h"
#include "ui/core/window/window.h"

namespace ui {
namespace {

constexpr wchar_t kGlobalStyleFile[] = L"global.xml";

// The style file is built for a window of its own, which takes its root attributes and
// goes with anything else the file might build.
void BuildGlobalStyle() {
  Window styleWindow;
  WindowBuilder builder;
  delete builder.Build(kGlobalStyleFile, nullptr, &styleWindow);
}

}  // namespace

void UiRegistry::Startup(const std::wstring& resourceFolder, CreateControlCallback callback,
                         const std::wstring& theme, const std::wstring& language) {
  OpenResources(resourceFolder, std::move(callback), theme);
  BuildGlobalStyle();
  FinishStartup(resourceFolder, language);
}

void UiRegistry::ReloadGlobalStyle() {
  ClearStyle();
  BuildGlobalStyle();
}

}  // namespace ui

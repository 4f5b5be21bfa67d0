#include "engine/default_backend.h"

#include "engine/browser_process.h"
#include "engine/devtools_backend.h"

namespace engine {

std::shared_ptr<Backend> MakeDefaultBackend() {
  const std::wstring ini = BrowserProcess::DefaultIniPath();
  const std::wstring browser = BrowserProcess::ConfiguredBrowser(ini);
  if (browser.empty()) return nullptr;
  return std::make_shared<DevToolsBackend>(browser, BrowserProcess::ConfiguredSwitches(ini),
                                           BrowserProcess::ConfiguredChannel(ini));
}

}  // namespace engine

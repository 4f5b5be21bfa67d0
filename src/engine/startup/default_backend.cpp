#include "engine/startup/default_backend.h"

#include "engine/devtools/devtools_backend.h"
#include "engine/process/browser_process.h"

namespace engine {

std::shared_ptr<Backend> MakeDefaultBackend() {
  const std::wstring ini = BrowserProcess::DefaultIniPath();
  const std::wstring browser = BrowserProcess::ConfiguredBrowser(ini);
  if (browser.empty()) return nullptr;
  return std::make_shared<DevToolsBackend>(browser, BrowserProcess::ConfiguredSwitches(ini),
                                           BrowserProcess::ConfiguredChannel(ini));
}

}  // namespace engine

#include "engine/default_backend.h"

#include "engine/browser_process.h"
#include "engine/devtools_backend.h"

namespace engine {

std::shared_ptr<Backend> MakeDefaultBackend() {
  const std::wstring browser = BrowserProcess::ConfiguredBrowser(BrowserProcess::DefaultIniPath());
  if (browser.empty()) return nullptr;
  return std::make_shared<DevToolsBackend>(browser);
}

}  // namespace engine

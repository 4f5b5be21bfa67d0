#include "engine/startup/engine_config.h"

#include "engine/process/browser_process.h"

namespace engine {

std::wstring ConfiguredBrowser() {
  return BrowserProcess::ConfiguredBrowser(BrowserProcess::DefaultIniPath());
}

}  // namespace engine

#pragma once

// Public beside the CEF-named interface: what the client may ask of the engine's own
// configuration.

#include <string>

namespace engine {

// The browser that engine.ini in the engine folder beside the executable names; empty when
// the file or its key is missing, and the engine then cannot start.
std::wstring ConfiguredBrowser();

}  // namespace engine

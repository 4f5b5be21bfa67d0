#pragma once

// The script every page of the DevTools backend runs before its own: the engine's helper
// object and the registered extensions, whose `native function` declarations become calls
// that reach the renderer side synchronously.

#include <string>
#include <vector>

#include "engine/core/renderer_side.h"

namespace engine {

// The address native calls are posted to; it cannot exist, the engine answers it.
extern const char kNativeCallUrl[];
// The page binding that carries title changes to the engine.
extern const char kNotifyBinding[];

std::string PageScript(const std::vector<Extension>& extensions);
// Puts `with` in place of every `what` in `text`.
void ReplaceAll(std::string& text, const std::string& what, const std::string& with);
// The extension's code with each `native function NAME(...);` declaration replaced.
std::string RewriteNativeDeclarations(const std::string& extensionName, const std::string& code);

}  // namespace engine

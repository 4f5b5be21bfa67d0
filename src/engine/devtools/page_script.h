#pragma once

// The script every page of the DevTools backend runs before its own: the engine's helper
// object and the registered extensions, whose `native function` declarations become calls
// that reach the renderer side synchronously.

#include <string>
#include <vector>

#include "engine/core/renderer_side.h"

namespace engine {

// Native calls are posted to this path of the page's own origin, which the page's policy
// lets it reach, and the engine answers them before they leave the browser. A document
// without an origin of the web posts to the same path of a host that cannot exist.
extern const char kNativeCallPath[];
extern const char kNativeCallFallbackOrigin[];
// The request pattern that pauses native calls (and a few other requests, which go on).
std::string NativeCallPattern();
// Whether a request the engine paused is a native call.
bool IsNativeCall(const std::string& resourceType, const std::string& method,
                  const std::string& url);
// The page binding that carries title changes to the engine.
extern const char kNotifyBinding[];

std::string PageScript(const std::vector<Extension>& extensions);
// Puts `with` in place of every `what` in `text`.
void ReplaceAll(std::string& text, const std::string& what, const std::string& with);
// The extension's code with each `native function NAME(...);` declaration replaced.
std::string RewriteNativeDeclarations(const std::string& extensionName, const std::string& code);

}  // namespace engine

#pragma once

// Muting a page from inside it. The browser has no per-page mute that the engine can reach,
// so each page runs a script that silences what it can: its media elements (present, added
// later, or played without being in the document) and its Web Audio contexts, which it
// suspends. Frames the page can reach are muted with it.

#include <string>

namespace engine {

// Installs the page's `__engine.setMuted`; runs after the engine's helper script.
std::string MuteScript();
// Script that mutes or unmutes the document it runs in; harmless where MuteScript is absent.
std::string MuteCall(bool mute);

}  // namespace engine

#pragma once

// The script every page of the DevTools backend runs for what the protocol does not report
// of the user's input: the cursor under the mouse and the context menus pages ask for.

#include <string>

namespace engine {

// The page binding that carries them to the engine, as JSON: {"cursor": CSS keyword} or
// {"contextMenu": {x, y, link, media, editable, selection, frameUrl, top}} or
// {"caret": {x, y, h}} (the focused text's caret, in the view).
extern const char kInputBinding[];

std::string InputScript();

}  // namespace engine

#pragma once

// Telling a page that it has the focus or lost it. The browser runs without windows of its
// own, so it keeps every page focused whatever the client's focus does; the page hears of the
// client's focus by the events a browser would send it: the focused element's blur and the
// window's blur as the focus leaves, the window's focus and the element's focus as it comes
// back.

#include <string>

namespace engine {

// Script that sends the page's window and its focused element the focus or blur events.
std::string FocusChangeScript(bool focused);

}  // namespace engine

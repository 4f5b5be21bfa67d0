#pragma once

// Context menus a page asks for: the client's handler decides the items, the engine shows
// them in a native pop-up menu and carries out the command chosen.

#include <functional>

#include "engine/cef/cef_callbacks.h"

struct HMENU__;
struct HWND__;

namespace engine {

class BrowserImpl;

// Shows the model's items at a point of the screen; the command chosen, or 0 when the menu
// was dismissed.
using MenuRunner =
    std::function<int(HWND__* owner, CefRefPtr<CefMenuModel> model, int screenX, int screenY)>;

// For tests: menus show through `runner`; an empty one restores the native menu.
void SetMenuRunner(MenuRunner runner);

// The native pop-up menu of the model's items (command -1 is a separator); the caller
// destroys it.
HMENU__* MakePopupMenu(CefRefPtr<CefMenuModel> model);

// The items a menu starts with, before the handler changes them.
CefRefPtr<CefMenuModel> DefaultMenuModel(const CefContextMenuParams::Data& params, bool canGoBack,
                                         bool canGoForward, bool loading);

// Engine UI thread: asks the handler, shows the menu unless it was emptied, and carries out
// the command chosen unless the handler does.
void RunContextMenu(BrowserImpl& browser, const CefContextMenuParams::Data& params);

}  // namespace engine

#pragma once

#include "ui/render/render_types.h"

namespace ui {

class Control;

// Lays a window's tree out: the whole tree when its root waits for an arrangement, otherwise
// only the controls that asked for one, each in the rectangle it has.
void ArrangePendingControls(Control* root, const UiRect& client);

}  // namespace ui

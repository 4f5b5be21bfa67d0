#pragma once

namespace ui {

// Adds this library's controls to the window builder's class table, so that layout files can
// name them ("Label", "Button", "Option", "CheckBox" and their box forms, the list boxes,
// tree views and "Combo"). Run before the first layout is built; running it again changes
// nothing.
void AddControlClasses();

}  // namespace ui

#include "ui/core/layout_pass.h"

#include "ui/core/control.h"

namespace ui {

namespace {

Control* ArrangePending(Control* control, void*) {
  return control->IsArrangePending() ? control : nullptr;
}

}  // namespace

void ArrangePendingControls(Control* root, const UiRect& client) {
  if (!root) return;
  if (root->IsArrangePending()) {
    root->SetPosition(client);
    return;
  }
  // Arranging a control clears its request and those of everything below it.
  while (Control* control =
             root->FindControl(ArrangePending, nullptr, kFindVisible | kFindMeFirst)) {
    control->SetPosition(control->GetPosition());
  }
}

}  // namespace ui

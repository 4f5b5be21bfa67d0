#pragma once

#include "ui/core/tree/control.h"

namespace bench {

// The controls of a tree, its root included.
inline int CountControls(ui::Control* root) {
  int count = 0;
  root->FindControl(
      [](ui::Control*, void* data) -> ui::Control* {
        ++*static_cast<int*>(data);
        return nullptr;
      },
      &count, 0);
  return count;
}

}  // namespace bench

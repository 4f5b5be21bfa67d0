#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "runtime/weak_callback.h"
#include "ui/render/render_types.h"

namespace ui {

class Control;
class PlaceHolder;

// The controls of a window that asked to be arranged again, kept as they ask, so a layout
// pass visits them rather than walking the whole tree to find them.
class ArrangementQueue {
 public:
  void Add(PlaceHolder* control);
  // Lays the tree out: the whole tree when its root waits for an arrangement, otherwise each
  // waiting control that is still in the tree and shown, outermost first, in the rectangle it
  // has. Requests made meanwhile are served in the same pass.
  void Arrange(Control* root, const UiRect& client);
  size_t size() const { return entries_.size(); }

 private:
  struct Entry {
    PlaceHolder* control;
    std::weak_ptr<kbase::WeakFlag> alive;
    int depth;
  };

  // How deep the control lies below the root, or -1 when it is not shown in the root's tree.
  static int ShownDepth(const PlaceHolder* control, const Control* root);

  std::vector<Entry> entries_;
};

}  // namespace ui

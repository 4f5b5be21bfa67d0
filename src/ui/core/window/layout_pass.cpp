#include "ui/core/window/layout_pass.h"

#include <algorithm>

#include "ui/core/tree/box.h"
#include "ui/core/tree/control.h"

namespace ui {

namespace {

// A request that keeps causing new requests must not hold the window in its paint forever.
constexpr int kMaxRounds = 64;

}  // namespace

void ArrangementQueue::Add(PlaceHolder* control) {
  if (control) entries_.push_back(Entry{control, control->WeakFlagOf(), 0});
}

int ArrangementQueue::ShownDepth(const PlaceHolder* control, const Control* root) {
  int depth = 0;
  const PlaceHolder* top = control;
  for (const PlaceHolder* c = control; c; c = c->GetParent()) {
    if (!c->IsVisible()) return -1;
    top = c;
    ++depth;
  }
  return top == root ? depth : -1;
}

void ArrangementQueue::Arrange(Control* root, const UiRect& client) {
  if (!root) {
    entries_.clear();
    return;
  }
  if (root->IsArrangePending()) {
    // Arranging the root arranges everything that waited below it.
    entries_.clear();
    root->SetPosition(client);
  }
  for (int round = 0; round < kMaxRounds && !entries_.empty(); ++round) {
    std::vector<Entry> waiting;
    waiting.swap(entries_);
    for (Entry& entry : waiting) {
      entry.depth = entry.alive.expired() ? -1 : ShownDepth(entry.control, root);
    }
    // Outer controls first: arranging one clears the requests of everything inside it.
    std::stable_sort(waiting.begin(), waiting.end(),
                     [](const Entry& a, const Entry& b) { return a.depth < b.depth; });
    for (const Entry& entry : waiting) {
      if (entry.depth < 0 || entry.alive.expired()) continue;
      if (!entry.control->IsArrangePending()) continue;
      entry.control->SetPosition(entry.control->GetPosition());
    }
  }
}

}  // namespace ui

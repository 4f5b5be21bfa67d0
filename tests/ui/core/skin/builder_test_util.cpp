#include "ui/core/skin/builder_test_util.h"

#include "runtime/string_util.h"
#include "ui/core/skin/child_box.h"
#include "ui/core/tree/box.h"
#include "ui/core/tree/h_box.h"
#include "ui/core/tree/tab_box.h"
#include "ui/core/tree/tile_box.h"
#include "ui/core/tree/v_box.h"
#include "ui/core/window/shadow_box.h"

namespace builder_test {

int CountedControl::alive = 0;

namespace {

std::string ClassOf(const ui::Control* control) {
  if (dynamic_cast<const ui::ChildBox*>(control)) return "ChildBox";
  if (dynamic_cast<const ui::TabBox*>(control)) return "TabBox";
  if (dynamic_cast<const ui::TileBox*>(control)) return "TileBox";
  if (dynamic_cast<const ui::HBox*>(control)) return "HBox";
  if (dynamic_cast<const ui::VBox*>(control)) return "VBox";
  if (dynamic_cast<const ui::ShadowBox*>(control)) return "ShadowBox";
  if (dynamic_cast<const ui::Box*>(control)) return "Box";
  if (dynamic_cast<const CountedControl*>(control)) return "Counted";
  return "Control";
}

}  // namespace

std::string Describe(const ui::Control* control) {
  if (!control) return "none";
  std::string text = ClassOf(control);
  if (!control->GetName().empty()) text += "#" + kbase::WideToUtf8(control->GetName());
  const auto* box = dynamic_cast<const ui::Box*>(control);
  if (!box || box->GetCount() == 0) return text;
  text += "[";
  for (int i = 0; i < box->GetCount(); ++i) {
    if (i > 0) text += ",";
    text += Describe(box->GetItemAt(i));
  }
  return text + "]";
}

}  // namespace builder_test

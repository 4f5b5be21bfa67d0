#include "ui/controls/virtual_layout.h"

#include "ui/controls/virtual_list_box.h"

namespace ui {

UiSize VirtualLayout::ArrangeChildren(const std::vector<Control*>& children,
                                      const UiRect& content) {
  auto* list = dynamic_cast<VirtualListBox*>(GetOwner());
  if (!list || list->GetCount() >= list->GetDataCount()) {
    return VLayout::ArrangeChildren(children, content);
  }
  const UiSize used{content.Width(), list->GetContentHeight()};
  list->RearrangeItems(false);
  return used;
}

}  // namespace ui

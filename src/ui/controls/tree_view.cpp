#include "ui/controls/tree_view.h"

#include <cwchar>

#include "ui/controls/tree_node.h"
#include "ui/core/tree/v_layout.h"

namespace ui {

TreeView::TreeView() : ListBox(new VLayout()), rootNode_(new TreeNode()) {
  rootNode_->treeView_ = this;
}

TreeView::~TreeView() {
  // The nodes go with the list's children; the root must not outlive them with pointers
  // into them.
  for (TreeNode* node : rootNode_->childNodes_) node->parentNode_ = nullptr;
  rootNode_->childNodes_.clear();
}

bool TreeView::Add(Control*) {
  return true;
}

bool TreeView::AddAt(Control*, int) {
  return true;
}

bool TreeView::Remove(Control*) {
  return true;
}

bool TreeView::RemoveAt(int) {
  return true;
}

void TreeView::RemoveAll() {}

bool TreeView::InsertNode(TreeNode* node, int index) {
  return ListBox::AddAt(node, index);
}

bool TreeView::RemoveNode(TreeNode* node) {
  return ListBox::Remove(node);
}

void TreeView::AttachToWindow(IControlWindow* window, Box* parent, bool init) {
  ListBox::AttachToWindow(window, parent, init);
  if (parent) rootNode_->AttachToWindow(window, parent, init);
}

void TreeView::SetAttribute(const std::wstring& name, const std::wstring& value) {
  if (name == L"indent") {
    SetIndent(static_cast<int>(std::wcstol(value.c_str(), nullptr, 10)));
  } else {
    ListBox::SetAttribute(name, value);
  }
}

}  // namespace ui

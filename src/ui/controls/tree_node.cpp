#include "ui/controls/tree_node.h"

#include <algorithm>

#include "ui/controls/tree_view.h"

namespace ui {

TreeNode::~TreeNode() {
  // A node destroyed on its own (not through RemoveChildNode) leaves its parent's list.
  if (parentNode_) {
    auto& siblings = parentNode_->childNodes_;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
  }
  for (TreeNode* child : childNodes_) child->parentNode_ = nullptr;
}

TreeNode* TreeNode::GetChildNode(int index) const {
  if (index < 0 || index >= GetChildNodeCount()) return nullptr;
  return childNodes_[index];
}

bool TreeNode::IsVisible() const {
  if (!visible_ || !parentVisible_) return false;
  return !parentNode_ || (parentNode_->expanded_ && parentNode_->IsVisible());
}

void TreeNode::SetParentVisible(bool visible) {
  Control::SetParentVisible(visible);
  const bool own = visible_ && parentVisible_;
  for (Control* child : items_) child->SetParentVisible(own);
}

void TreeNode::SetExpanded(bool expanded) {
  if (expanded_ == expanded) return;
  expanded_ = expanded;
  if (treeView_) treeView_->Relayout();
}

bool TreeNode::OnClickItem(EventArgs* args) {
  if (auto* node = dynamic_cast<TreeNode*>(args->sender)) node->SetExpanded(!node->expanded_);
  return true;
}

TreeNode* TreeNode::LastDescendant() {
  TreeNode* last = this;
  while (!last->childNodes_.empty()) last = last->childNodes_.back();
  return last;
}

bool TreeNode::Join(TreeView* view, TreeNode* parent, int depth) {
  const int after = parent->LastDescendant() == view->GetRootNode()
                        ? -1
                        : view->GetItemIndex(parent->LastDescendant());
  if (!view->InsertNode(this, after + 1)) return false;
  treeView_ = view;
  parentNode_ = parent;
  depth_ = depth;
  parent->childNodes_.push_back(this);
  UiRect margin = GetMargin();
  margin.left = depth * view->GetIndent();
  SetMargin(margin, false);
  AttachEvent(kEventDoubleClick, MakeWeak([this](EventArgs* args) { return OnClickItem(args); }));
  return true;
}

bool TreeNode::AddChildNode(TreeNode* child) {
  if (!child || child == this || child->treeView_ || child->parentNode_ || !treeView_) {
    return false;
  }
  return child->Join(treeView_, this, depth_ + 1);
}

bool TreeNode::RemoveChildNode(TreeNode* child) {
  auto it = std::find(childNodes_.begin(), childNodes_.end(), child);
  if (it == childNodes_.end()) return false;
  childNodes_.erase(it);
  child->parentNode_ = nullptr;
  // The deepest first, so that every node leaves the list before the one above it.
  while (!child->childNodes_.empty()) child->RemoveChildNode(child->childNodes_.back());
  TreeView* view = child->treeView_;
  child->treeView_ = nullptr;
  return view && view->RemoveNode(child);
}

}  // namespace ui

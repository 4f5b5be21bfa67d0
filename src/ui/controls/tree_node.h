#pragma once

#include <vector>

#include "ui/controls/list_container_element.h"

namespace ui {

class TreeView;

// An item of a tree view: a list item with child nodes below it, shown only while every
// node above it is expanded. Its child nodes are items of the same tree view's list, placed
// after it and indented by the view's indent for each level.
class TreeNode : public ListContainerElement {
 public:
  TreeNode() = default;
  ~TreeNode() override;

  int GetDepth() const { return depth_; }
  bool IsExpanded() const { return expanded_; }
  // Shows or hides the nodes below and lays the tree out again.
  void SetExpanded(bool expanded);
  TreeView* GetTreeView() const { return treeView_; }
  TreeNode* GetParentNode() const { return parentNode_; }
  int GetChildNodeCount() const { return static_cast<int>(childNodes_.size()); }
  TreeNode* GetChildNode(int index) const;

  // Puts a node (with the nodes below it) under this one, last; the tree view then owns it.
  // False for none, for a node already in a tree, and for a node of no tree view yet.
  bool AddChildNode(TreeNode* child);
  // Takes the node and every node below it out of the tree and destroys them.
  bool RemoveChildNode(TreeNode* child);

  // Toggles the sender's expansion; attached to the double-click of every node of a tree.
  virtual bool OnClickItem(EventArgs* args);

  bool IsVisible() const override;
  void SetParentVisible(bool visible) override;

 private:
  friend class TreeView;

  // The last node of this node's subtree in the list, this one when it has none.
  TreeNode* LastDescendant();
  // Joins the node and its subtree to the view, at the list position, one level below.
  bool Join(TreeView* view, TreeNode* parent, int depth);

  int depth_ = -1;
  bool expanded_ = true;
  TreeView* treeView_ = nullptr;
  TreeNode* parentNode_ = nullptr;
  std::vector<TreeNode*> childNodes_;
};

}  // namespace ui

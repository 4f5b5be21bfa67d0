#pragma once

#include <memory>
#include <string>

#include "ui/controls/list_box.h"

namespace ui {

class TreeNode;

// A list of tree nodes in a column under an invisible root node. Nodes come and go only
// through the nodes' own operations (the root's AddChildNode for the top level); the box
// operations that add or remove children do nothing here.
class TreeView : public ListBox {
 public:
  TreeView();
  ~TreeView() override;

  TreeNode* GetRootNode() const { return rootNode_.get(); }
  int GetIndent() const { return indent_; }
  // The left margin of a node for each level below the top; nodes added later use it.
  void SetIndent(int indent) { indent_ = indent; }

  bool Add(Control* child) override;
  bool AddAt(Control* child, int index) override;
  bool Remove(Control* child) override;
  bool RemoveAt(int index) override;
  void RemoveAll() override;
  void AttachToWindow(IControlWindow* window, Box* parent, bool init) override;
  void SetAttribute(const std::wstring& name, const std::wstring& value) override;

 private:
  friend class TreeNode;

  // The list operations the nodes use.
  bool InsertNode(TreeNode* node, int index);
  bool RemoveNode(TreeNode* node);

  int indent_ = 0;
  std::unique_ptr<TreeNode> rootNode_;
};

}  // namespace ui

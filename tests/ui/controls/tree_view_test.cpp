#include "ui/controls/tree_view.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "ui/controls/tree_node.h"
#include "ui/core/resources/ui_registry.h"
#include "ui/core/tree/control_test_util.h"
#include "ui/core/window/window_test_util.h"
#include "ui/render/render_test_util.h"

namespace ui {
namespace {

using render_test::PixelAt;
using window_test::At;
using window_test::CreateShown;

constexpr int kNodeHeight = 20;
constexpr int kIndent = 12;

// A tree "a" (with "a1" and "a2") and "b" in a real window; node n is painted green n*40+10
// over a white view.
class TreeWindowTest : public ::testing::Test {
 protected:
  TreeWindowTest() {
    UiRegistry::AddTextColor(L"tree_white", L"#FFFFFFFF");
    tree_ = new TreeView();
    tree_->SetBkColor(L"tree_white");
    tree_->SetAttribute(L"indent", L"12");
    a_ = MakeNode(0);
    a1_ = MakeNode(1);
    a2_ = MakeNode(2);
    b_ = MakeNode(3);
    EXPECT_TRUE(tree_->GetRootNode()->AddChildNode(a_));
    EXPECT_TRUE(tree_->GetRootNode()->AddChildNode(b_));
    EXPECT_TRUE(a_->AddChildNode(a1_));
    EXPECT_TRUE(a_->AddChildNode(a2_));
    hwnd_ = CreateShown(&window_, UiRect{100, 100, 300, 200}, tree_, false);
  }

  TreeNode* MakeNode(int n) {
    auto* node = new TreeNode();
    const std::wstring color = L"tree_node" + std::to_wstring(n);
    wchar_t value[16];
    swprintf(value, 16, L"#FF00%02X00", n * 40 + 10);
    UiRegistry::AddTextColor(color, value);
    node->SetFixedHeight(kNodeHeight);
    node->SetBkColor(color);
    return node;
  }

  // The node painted at the point, -1 for the white view.
  int ShownAt(int x, int y) {
    ::UpdateWindow(hwnd_);
    const render_test::Pixel p = PixelAt(*window_.GetRenderContext(), x, y);
    if (p.r == 0xFF) return -1;
    return (p.g - 10) / 40;
  }
  void DoubleClick(int x, int y) {
    ::SendMessageW(hwnd_, WM_LBUTTONDOWN, MK_LBUTTON, At(x, y));
    ::SendMessageW(hwnd_, WM_LBUTTONUP, 0, At(x, y));
    ::SendMessageW(hwnd_, WM_LBUTTONDBLCLK, MK_LBUTTON, At(x, y));
    ::SendMessageW(hwnd_, WM_LBUTTONUP, 0, At(x, y));
  }

  control_test::UiScope ui_;
  window_test::TestNativeWindow window_;
  HWND hwnd_ = nullptr;
  TreeView* tree_ = nullptr;
  TreeNode* a_ = nullptr;
  TreeNode* a1_ = nullptr;
  TreeNode* a2_ = nullptr;
  TreeNode* b_ = nullptr;
};

TEST_F(TreeWindowTest, NodesFollowTheirParentsIndentedByLevel) {
  ASSERT_TRUE(hwnd_);
  EXPECT_EQ(tree_->GetItemAt(0), a_);
  EXPECT_EQ(tree_->GetItemAt(1), a1_);
  EXPECT_EQ(tree_->GetItemAt(2), a2_);
  EXPECT_EQ(tree_->GetItemAt(3), b_);
  EXPECT_EQ(a_->GetDepth(), 0);
  EXPECT_EQ(a2_->GetDepth(), 1);
  EXPECT_EQ(a2_->GetParentNode(), a_);
  EXPECT_EQ(a_->GetParentNode(), tree_->GetRootNode());
  EXPECT_EQ(a2_->GetIndex(), 2);
  const int shown[] = {0, 1, 2, 3, -1};
  for (int row = 0; row < 5; ++row) EXPECT_EQ(ShownAt(50, row * 20 + 5), shown[row]) << row;
  // The level below is indented.
  EXPECT_EQ(ShownAt(5, 5), 0);
  EXPECT_EQ(ShownAt(5, 25), -1);
  EXPECT_EQ(ShownAt(kIndent + 1, 25), 1);
}

TEST_F(TreeWindowTest, ADoubleClickCollapsesAndExpandsANode) {
  ASSERT_TRUE(hwnd_);
  DoubleClick(50, 5);
  EXPECT_FALSE(a_->IsExpanded());
  EXPECT_FALSE(a1_->IsVisible());
  EXPECT_EQ(ShownAt(50, 5), 0);
  EXPECT_EQ(ShownAt(50, 25), 3);
  EXPECT_EQ(ShownAt(50, 45), -1);
  // Keys pass over the hidden nodes.
  tree_->SelectItem(0);
  tree_->SetFocus();
  ::SendMessageW(hwnd_, WM_KEYDOWN, VK_DOWN, 0);
  EXPECT_EQ(tree_->GetCurSel(), 3);

  DoubleClick(50, 5);
  EXPECT_TRUE(a_->IsExpanded());
  EXPECT_TRUE(a2_->IsVisible());
  EXPECT_EQ(ShownAt(50, 25), 1);
  EXPECT_EQ(ShownAt(50, 65), 3);
}

TEST_F(TreeWindowTest, RemovingANodeTakesItsSubtreeAndBoxOperationsDoNothing) {
  ASSERT_TRUE(hwnd_);
  TreeNode stray;
  EXPECT_TRUE(tree_->Add(&stray));
  EXPECT_TRUE(tree_->Remove(b_));
  EXPECT_EQ(tree_->GetCount(), 4);
  EXPECT_FALSE(a1_->AddChildNode(b_));
  EXPECT_FALSE(b_->RemoveChildNode(a1_));

  EXPECT_TRUE(tree_->GetRootNode()->RemoveChildNode(a_));
  EXPECT_EQ(tree_->GetCount(), 1);
  EXPECT_EQ(tree_->GetItemAt(0), b_);
  EXPECT_EQ(b_->GetIndex(), 0);
  EXPECT_EQ(tree_->GetRootNode()->GetChildNodeCount(), 1);
  EXPECT_EQ(ShownAt(50, 5), 3);
  EXPECT_EQ(ShownAt(50, 25), -1);
}

}  // namespace
}  // namespace ui

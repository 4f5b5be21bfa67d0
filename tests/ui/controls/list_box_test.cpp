#include "ui/controls/list_box.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <typeinfo>
#include <vector>

#include "ui/controls/combo.h"
#include "ui/controls/control_classes.h"
#include "ui/controls/list_container_element.h"
#include "ui/controls/tree_view.h"
#include "ui/controls/virtual_list_box.h"
#include "ui/core/resources/ui_registry.h"
#include "ui/core/skin/window_builder.h"
#include "ui/core/tree/control_test_util.h"
#include "ui/core/tree/h_layout.h"
#include "ui/core/tree/tile_layout.h"
#include "ui/core/tree/v_layout.h"
#include "ui/core/window/window_test_util.h"
#include "ui/render/render_test_util.h"

namespace ui {
namespace {

using render_test::PixelAt;
using window_test::At;
using window_test::CreateShown;

using Log = std::vector<std::string>;

constexpr int kItems = 5;
constexpr int kItemHeight = 20;
// Three items fit; the other two are scrolled to.
constexpr UiRect kWindowRect{100, 100, 300, 160};

// A list of five items of 20 pixels in a real window 60 pixels high. Item n is blue n*40+10
// and red while selected; every select and unselect is written down in order.
class ListWindowTest : public ::testing::Test {
 protected:
  ListWindowTest() {
    UiRegistry::AddTextColor(L"list_selected", L"#FFFF0000");
    list_ = new ListBox(new VLayout());
    list_->EnableScrollBar(true, false);
    for (int i = 0; i < kItems; ++i) items_.push_back(MakeItem(i));
    list_->AttachEvent(kEventSelect, [this](EventArgs* args) {
      log_.push_back("list " + std::to_string(static_cast<int>(args->wParam)) + " " +
                     std::to_string(static_cast<int>(args->lParam)));
      return true;
    });
    hwnd_ = CreateShown(&window_, kWindowRect, list_, false);
  }

  ListContainerElement* MakeItem(int n) {
    auto* item = new ListContainerElement();
    const std::wstring color = L"list_item" + std::to_wstring(n);
    wchar_t value[16];
    swprintf(value, 16, L"#FF0000%02X", n * 40 + 10);
    UiRegistry::AddTextColor(color, value);
    item->SetFixedHeight(kItemHeight);
    item->SetAttribute(L"bkcolor", color);
    item->SetAttribute(L"selectednormalcolor", L"list_selected");
    item->SetAttribute(L"selectedhotcolor", L"list_selected");
    item->SetAttribute(L"selectedpushedcolor", L"list_selected");
    const std::string name = std::to_string(n);
    for (auto [type, word] :
         {std::pair{kEventSelect, "select "}, std::pair{kEventUnselect, "unselect "},
          std::pair{kEventClick, "click "}, std::pair{kEventReturn, "return "},
          std::pair{kEventDoubleClick, "double "}, std::pair{kEventMenu, "menu "}}) {
      item->AttachEvent(type, [this, entry = word + name](EventArgs*) {
        log_.push_back(entry);
        return true;
      });
    }
    list_->Add(item);
    return item;
  }

  void Key(WPARAM key) {
    ::SendMessageW(hwnd_, WM_KEYDOWN, key, 0);
    ::SendMessageW(hwnd_, WM_KEYUP, key, 0);
  }
  void Click(int x, int y) {
    ::SendMessageW(hwnd_, WM_LBUTTONDOWN, MK_LBUTTON, At(x, y));
    ::SendMessageW(hwnd_, WM_LBUTTONUP, 0, At(x, y));
  }
  // The original number of the item painted at the window row, from its blue; -1 for red.
  int ShownAt(int y) {
    ::UpdateWindow(hwnd_);
    const render_test::Pixel p = PixelAt(*window_.GetRenderContext(), 20, y);
    if (p.r == 0xFF && p.b == 0) return -1;
    return (p.b - 10) / 40;
  }
  Log TakeLog() {
    Log taken;
    taken.swap(log_);
    return taken;
  }

  control_test::UiScope ui_;
  window_test::TestNativeWindow window_;
  HWND hwnd_ = nullptr;
  ListBox* list_ = nullptr;
  std::vector<ListContainerElement*> items_;
  Log log_;
};

TEST_F(ListWindowTest, KeysMoveTheSelectionWithTheirEventsInOrder) {
  ASSERT_TRUE(hwnd_);
  list_->SetFocus();
  Key(VK_DOWN);
  EXPECT_EQ(TakeLog(), (Log{"select 0", "list 0 -1"}));
  EXPECT_EQ(ShownAt(5), -1);
  Key(VK_DOWN);
  EXPECT_EQ(TakeLog(), (Log{"unselect 0", "select 1", "list 1 0"}));
  EXPECT_EQ(ShownAt(5), 0);
  EXPECT_EQ(ShownAt(25), -1);
  EXPECT_EQ(window_.GetFocusControl(), items_[1]);

  // End scrolls the last item into view at the bottom.
  Key(VK_END);
  EXPECT_EQ(TakeLog(), (Log{"unselect 1", "select 4", "list 4 1"}));
  EXPECT_EQ(list_->GetScrollPos().cy, 40);
  EXPECT_EQ(ShownAt(5), 2);
  EXPECT_EQ(ShownAt(45), -1);

  // Down on the last item selects it again.
  Key(VK_DOWN);
  EXPECT_EQ(TakeLog(), (Log{"unselect 4", "select 4", "list 4 4"}));
  Key(VK_UP);
  EXPECT_EQ(TakeLog(), (Log{"unselect 4", "select 3", "list 3 4"}));
  EXPECT_EQ(ShownAt(25), -1);

  Key(VK_HOME);
  EXPECT_EQ(TakeLog(), (Log{"unselect 3", "select 0", "list 0 3"}));
  EXPECT_EQ(list_->GetScrollPos().cy, 0);
  EXPECT_EQ(ShownAt(5), -1);
  EXPECT_EQ(ShownAt(25), 1);
}

TEST_F(ListWindowTest, AClickSelectsWithTheItemsEventsThenTheLists) {
  ASSERT_TRUE(hwnd_);
  list_->SelectItem(0);
  TakeLog();
  Click(20, 45);
  EXPECT_EQ(TakeLog(), (Log{"click 2", "unselect 0", "select 2", "list 2 0"}));
  EXPECT_EQ(list_->GetCurSel(), 2);
  EXPECT_EQ(ShownAt(45), -1);
  EXPECT_EQ(ShownAt(5), 0);
  // Selecting the same item again repeats everything.
  Click(20, 45);
  EXPECT_EQ(TakeLog(), (Log{"click 2", "unselect 2", "select 2", "list 2 2"}));
}

TEST_F(ListWindowTest, AnItemTellsReturnDoubleClickAndItsMenu) {
  ASSERT_TRUE(hwnd_);
  Click(20, 25);
  TakeLog();
  Key(VK_RETURN);
  EXPECT_EQ(TakeLog(), (Log{"return 1"}));
  ::SendMessageW(hwnd_, WM_LBUTTONDBLCLK, MK_LBUTTON, At(20, 25));
  ::SendMessageW(hwnd_, WM_LBUTTONUP, 0, At(20, 25));
  EXPECT_EQ(TakeLog(), (Log{"double 1"}));
  // The context menu of another item selects it first.
  ::SendMessageW(hwnd_, WM_RBUTTONDOWN, MK_RBUTTON, At(20, 45));
  ::SendMessageW(hwnd_, WM_RBUTTONUP, 0, At(20, 45));
  ::SendMessageW(hwnd_, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd_),
                 MAKELPARAM(kWindowRect.left + 20, kWindowRect.top + 45));
  EXPECT_EQ(TakeLog(), (Log{"unselect 1", "select 2", "list 2 1", "menu 2"}));
}

TEST_F(ListWindowTest, RemovingTheSelectedItemSelectsTheOneThatTookItsPlace) {
  ASSERT_TRUE(hwnd_);
  list_->SelectItem(2);
  TakeLog();
  ASSERT_TRUE(list_->RemoveAt(2));
  // Item 1 was never selected, so it is not told it was unselected; the old index is gone.
  EXPECT_EQ(TakeLog(), (Log{"select 3", "list 2 -1"}));
  EXPECT_EQ(list_->GetCurSel(), 2);
  for (int i = 0; i < list_->GetCount(); ++i) {
    EXPECT_EQ(static_cast<ListContainerElement*>(list_->GetItemAt(i))->GetIndex(), i);
  }
  ::UpdateWindow(hwnd_);
  EXPECT_EQ(ShownAt(45), -1);
  EXPECT_EQ(ShownAt(25), 1);

  // The selected last item gone, the new last one is selected.
  list_->SelectItem(3);
  TakeLog();
  ASSERT_TRUE(list_->Remove(items_[4]));
  EXPECT_EQ(TakeLog(), (Log{"select 3", "list 2 -1"}));
  EXPECT_EQ(list_->GetCurSel(), 2);

  // Removing an item before the selection keeps the same item selected.
  ASSERT_TRUE(list_->RemoveAt(0));
  EXPECT_EQ(list_->GetCurSel(), 1);
  EXPECT_TRUE(TakeLog().empty());
  EXPECT_FALSE(list_->RemoveAt(7));
}

TEST_F(ListWindowTest, MovingAnItemRenumbersAndKeepsTheSelectedObject) {
  ASSERT_TRUE(hwnd_);
  list_->SelectItem(2);
  ASSERT_TRUE(list_->SetItemIndex(items_[4], 1));
  const int order[] = {0, 4, 1, 2, 3};
  for (int i = 0; i < kItems; ++i) {
    EXPECT_EQ(list_->GetItemAt(i), items_[order[i]]);
    EXPECT_EQ(items_[order[i]]->GetIndex(), i);
  }
  EXPECT_EQ(list_->GetCurSel(), 3);
  EXPECT_EQ(list_->GetItemAt(3), items_[2]);
}

TEST_F(ListWindowTest, EnsureVisibleScrollsAnItemIntoView) {
  ASSERT_TRUE(hwnd_);
  list_->EnsureVisible(items_[3]->GetPosition());
  EXPECT_EQ(list_->GetScrollPos().cy, 20);
  EXPECT_EQ(ShownAt(45), 3);
  // Already in view: nothing moves.
  list_->EnsureVisible(items_[2]->GetPosition());
  EXPECT_EQ(list_->GetScrollPos().cy, 20);
  list_->EnsureVisible(items_[0]->GetPosition());
  EXPECT_EQ(list_->GetScrollPos().cy, 0);
  EXPECT_EQ(ShownAt(5), 0);

  items_[4]->SetName(L"last");
  EXPECT_TRUE(list_->ScrollItemToTop(L"last"));
  EXPECT_EQ(list_->GetScrollPos().cy, 40);
  // The first item whose bottom reaches the top of the view.
  EXPECT_EQ(list_->GetTopItem(), items_[1]);
  EXPECT_FALSE(list_->ScrollItemToTop(L"nobody"));
}

TEST_F(ListWindowTest, TheWheelMovesTheSelectionWithScrollSelect) {
  ASSERT_TRUE(hwnd_);
  list_->SetAttribute(L"scrollselect", L"true");
  list_->SelectItem(1);
  TakeLog();
  const LPARAM screen = MAKELPARAM(kWindowRect.left + 20, kWindowRect.top + 10);
  ::SendMessageW(hwnd_, WM_MOUSEMOVE, 0, At(20, 10));
  ::SendMessageW(hwnd_, WM_MOUSEWHEEL, MAKEWPARAM(0, -120), screen);
  EXPECT_EQ(list_->GetCurSel(), 2);
  ::SendMessageW(hwnd_, WM_MOUSEWHEEL, MAKEWPARAM(0, 120), screen);
  ::SendMessageW(hwnd_, WM_MOUSEWHEEL, MAKEWPARAM(0, 120), screen);
  EXPECT_EQ(list_->GetCurSel(), 0);
  EXPECT_EQ(list_->GetScrollPos().cy, 0);
}

TEST_F(ListWindowTest, HidingTheSelectedItemEmptiesTheSelection) {
  ASSERT_TRUE(hwnd_);
  list_->SelectItem(1);
  items_[3]->SetFadeVisible(false);
  EXPECT_EQ(list_->GetCurSel(), 1);
  items_[1]->SetFadeVisible(false);
  EXPECT_EQ(list_->GetCurSel(), -1);
  EXPECT_FALSE(items_[1]->IsSelected());
}

TEST_F(ListWindowTest, EndSelectsTheLastItemThatCanBeSelected) {
  ASSERT_TRUE(hwnd_);
  items_[4]->SetVisible(false);
  items_[0]->SetEnabled(false);
  list_->SetFocus();
  Key(VK_END);
  EXPECT_EQ(list_->GetCurSel(), 3);
  // Down finds nothing after it: the selection stays.
  TakeLog();
  Key(VK_DOWN);
  EXPECT_EQ(list_->GetCurSel(), 3);
  EXPECT_TRUE(TakeLog().empty());
  Key(VK_HOME);
  EXPECT_EQ(list_->GetCurSel(), 1);
}

// Targets that cannot be selected leave the selection and send nothing.
struct BadTarget {
  const char* name;
  int index;
};

class ListBadTargetTest : public ::testing::TestWithParam<BadTarget> {};

TEST_P(ListBadTargetTest, SelectItemRefusesAndChangesNothing) {
  control_test::UiScope ui;
  control_test::TestWindow window;
  auto* list = new ListBox(new VLayout());
  window.AttachRoot(list);
  std::vector<ListContainerElement*> items;
  for (int i = 0; i < 3; ++i) {
    items.push_back(new ListContainerElement());
    list->Add(items.back());
  }
  list->Add(new Control());  // 3: not a list item
  items[1]->SetVisible(false);
  items[2]->SetEnabled(false);
  list->SelectItem(0);
  int events = 0;
  list->AttachEvent(kEventSelect, [&events](EventArgs*) { return ++events, true; });
  items[0]->AttachEvent(kEventUnselect, [&events](EventArgs*) { return ++events, true; });
  EXPECT_FALSE(list->SelectItem(GetParam().index));
  EXPECT_EQ(list->GetCurSel(), 0);
  EXPECT_TRUE(items[0]->IsSelected());
  EXPECT_EQ(events, 0);
}

INSTANTIATE_TEST_SUITE_P(Targets, ListBadTargetTest,
                         ::testing::Values(BadTarget{"Hidden", 1}, BadTarget{"Disabled", 2},
                                           BadTarget{"NotAnItem", 3}, BadTarget{"OutOfRange", 9}),
                         [](const ::testing::TestParamInfo<BadTarget>& info) {
                           return info.param.name;
                         });

TEST(ListFindSelectable, ScansEitherWayWithoutWrapping) {
  control_test::UiScope ui;
  ListBox list(new VLayout());
  EXPECT_EQ(list.FindSelectableItem(0, true), -1);
  list.Add(new Control());  // 0
  for (int i = 1; i < 5; ++i) list.Add(new ListContainerElement());
  list.GetItemAt(4)->SetVisible(false);
  const struct {
    int index;
    bool forward;
    int found;
  } cases[] = {{0, true, 1},  {-5, true, 1}, {3, true, 3},  {4, true, -1}, {9, true, -1},
               {9, false, 3}, {2, false, 2}, {0, false, 1}, {-1, false, 1}};
  for (const auto& c : cases) {
    EXPECT_EQ(list.FindSelectableItem(c.index, c.forward), c.found) << c.index << " " << c.forward;
  }
  // Selection without a window sends nothing and still selects.
  EXPECT_TRUE(list.SelectItem(2));
  EXPECT_TRUE(static_cast<ListContainerElement*>(list.GetItemAt(2))->IsSelected());
  EXPECT_EQ(list.GetCurSel(), 2);
  // Inserted items take their places too.
  auto* inserted = new ListContainerElement();
  EXPECT_TRUE(list.AddAt(inserted, 1));
  EXPECT_EQ(inserted->GetIndex(), 1);
  EXPECT_EQ(inserted->GetOwner(), &list);
  EXPECT_EQ(static_cast<ListContainerElement*>(list.GetItemAt(2))->GetIndex(), 2);
  EXPECT_EQ(list.GetCurSel(), 3);
  list.RemoveAll();
  EXPECT_EQ(list.GetCurSel(), -1);
}

// Layout files name each kind of list; their items learn their owner and index.
TEST(ListClasses, LayoutsMakeListsOfEveryKind) {
  control_test::UiScope ui;
  AddControlClasses();
  WindowBuilder builder;
  std::unique_ptr<Control> root(builder.Build(
      LR"(<Window><VBox><ListBox/><HListBox/><VListBox scrollselect="true"><ListContainerElement
          text="a"/><ListContainerElement text="b"/></VListBox><TileListBox columns="2"/>
          <VirtualListBox/><TreeView indent="12"/><Combo/></VBox></Window>)"));
  ASSERT_NE(root, nullptr);
  auto* box = static_cast<Box*>(root.get());
  ASSERT_EQ(box->GetCount(), 7);
  EXPECT_EQ(typeid(*static_cast<ListBox*>(box->GetItemAt(0))->GetLayout()), typeid(Layout));
  EXPECT_EQ(typeid(*static_cast<ListBox*>(box->GetItemAt(1))->GetLayout()), typeid(HLayout));
  auto* vlist = static_cast<ListBox*>(box->GetItemAt(2));
  EXPECT_EQ(typeid(*vlist->GetLayout()), typeid(VLayout));
  EXPECT_TRUE(vlist->IsScrollSelect());
  ASSERT_EQ(vlist->GetCount(), 2);
  auto* second = static_cast<ListContainerElement*>(vlist->GetItemAt(1));
  EXPECT_EQ(second->GetIndex(), 1);
  EXPECT_EQ(second->GetOwner(), vlist);
  EXPECT_EQ(second->GetText(), L"b");
  EXPECT_EQ(second->GetTextStyle(), 0x8124u);
  EXPECT_FALSE(second->IsReceivePointer());
  EXPECT_EQ(typeid(*static_cast<ListBox*>(box->GetItemAt(3))->GetLayout()), typeid(TileLayout));
  EXPECT_EQ(typeid(*box->GetItemAt(4)), typeid(VirtualListBox));
  auto* tree = dynamic_cast<TreeView*>(box->GetItemAt(5));
  ASSERT_NE(tree, nullptr);
  EXPECT_EQ(tree->GetIndent(), 12);
  EXPECT_EQ(typeid(*box->GetItemAt(6)), typeid(Combo));
}

}  // namespace
}  // namespace ui

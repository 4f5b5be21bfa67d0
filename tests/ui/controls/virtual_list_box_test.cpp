#include "ui/controls/virtual_list_box.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/controls/label.h"
#include "ui/controls/list_container_element.h"
#include "ui/controls/list_data_source.h"
#include "ui/controls/scroll_bar.h"
#include "ui/core/resources/ui_registry.h"
#include "ui/core/tree/control_test_util.h"
#include "ui/core/window/window_test_util.h"
#include "ui/render/render_test_util.h"

namespace ui {
namespace {

using render_test::PixelAt;
using window_test::CreateShown;

constexpr int kRowHeight = 20;

// Rows "row N", even rows blue and odd rows green; counts what the list asks of it.
class RowSource : public ListDataSource {
 public:
  explicit RowSource(int rows) : rows_(rows) {
    UiRegistry::AddTextColor(L"row_even", L"#FF0000FF");
    UiRegistry::AddTextColor(L"row_odd", L"#FF00FF00");
  }
  Control* CreateItem() override {
    ++created;
    auto* item = new ListContainerElement();
    item->SetFixedHeight(kRowHeight);
    return item;
  }
  void FillItem(Control* item, int index) override {
    ++fills;
    auto* row = static_cast<ListContainerElement*>(item);
    row->SetText(L"row " + std::to_wstring(index));
    row->SetBkColor(index % 2 ? L"row_odd" : L"row_even");
  }
  int GetItemCount() override { return rows_; }
  void SetRows(int rows) { rows_ = rows; }

  int created = 0;
  int fills = 0;

 private:
  int rows_;
};

// The texts of the items in the order of their places, from the top.
std::vector<std::wstring> TextsByPlace(const VirtualListBox& list) {
  std::vector<std::pair<int, std::wstring>> placed;
  for (Control* item : list.GetItems()) {
    placed.emplace_back(item->GetPosition().top,
                        static_cast<ListContainerElement*>(item)->GetText());
  }
  std::sort(placed.begin(), placed.end());
  std::vector<std::wstring> texts;
  for (auto& p : placed) texts.push_back(p.second);
  return texts;
}

// A virtual list of the source's rows laid out in a 100 x 200 area of the window.
VirtualListBox* LaidOutList(control_test::TestWindow* window, RowSource* source, int itemHeight,
                            int pool) {
  auto* list = new VirtualListBox();
  list->SetDataSource(source);
  list->SetItemHeight(itemHeight);
  list->InitItems(pool);
  window->AttachRoot(list);
  window->Layout(UiRect{0, 0, 100, 200});
  return list;
}

// A virtual list of a million rows in a real window 200 pixels high with a pool of 12.
class VirtualListWindowTest : public ::testing::Test {
 protected:
  static constexpr int kRows = 1000000;

  VirtualListWindowTest() : source_(kRows) {
    list_ = new VirtualListBox();
    list_->SetDataSource(&source_);
    list_->SetItemHeight(kRowHeight);
    list_->InitItems(12);
    hwnd_ = CreateShown(&window_, UiRect{100, 100, 300, 300}, list_, false);
  }

  // The item the window finds under the point, and its text.
  std::wstring TextAt(int y) {
    Control* found = window_.FindControlAt(UiPoint{20, y});
    auto* item = dynamic_cast<ListContainerElement*>(found);
    return item ? item->GetText() : L"(none)";
  }
  bool EvenRowPaintedAt(int y) {
    ::UpdateWindow(hwnd_);
    return PixelAt(*window_.GetRenderContext(), 20, y).b == 0xFF;
  }

  control_test::UiScope ui_;
  RowSource source_;
  window_test::TestNativeWindow window_;
  HWND hwnd_ = nullptr;
  VirtualListBox* list_ = nullptr;
};

TEST_F(VirtualListWindowTest, ShowsTheRowsOfTheMiddleAndTheEnd) {
  ASSERT_TRUE(hwnd_);
  EXPECT_EQ(list_->GetCount(), 12);
  EXPECT_EQ(list_->GetScrollRange().cy, kRows * kRowHeight - 200);
  EXPECT_EQ(TextAt(5), L"row 0");
  EXPECT_EQ(TextAt(195), L"row 9");
  EXPECT_TRUE(EvenRowPaintedAt(5));
  EXPECT_FALSE(EvenRowPaintedAt(25));

  // The middle, 10 pixels into row 500000.
  list_->SetScrollPosY(kRows / 2 * kRowHeight + 10);
  EXPECT_EQ(TextAt(5), L"row 500000");
  EXPECT_EQ(TextAt(15), L"row 500001");
  EXPECT_EQ(TextAt(195), L"row 500010");
  EXPECT_TRUE(EvenRowPaintedAt(5));
  EXPECT_FALSE(EvenRowPaintedAt(15));

  // The end, by the End key.
  list_->SetFocus();
  ::SendMessageW(hwnd_, WM_KEYDOWN, VK_END, 0);
  EXPECT_EQ(list_->GetScrollPos().cy, list_->GetScrollRange().cy);
  EXPECT_EQ(TextAt(195), L"row 999999");
  EXPECT_EQ(TextAt(5), L"row 999990");
  EXPECT_FALSE(EvenRowPaintedAt(195));

  // And back up, where the spare rows lie above the view.
  ::SendMessageW(hwnd_, WM_KEYDOWN, VK_HOME, 0);
  EXPECT_EQ(TextAt(5), L"row 0");
  EXPECT_EQ(list_->GetCount(), 12);
  EXPECT_EQ(source_.created, 12);
}

// 1000 rows in a 200-pixel view with a pool of 12.
TEST(VirtualListArrange, OneSpareAboveThenTheRowsInView) {
  control_test::UiScope ui;
  control_test::TestWindow window;
  RowSource source(1000);
  VirtualListBox* list = LaidOutList(&window, &source, kRowHeight, 12);
  std::vector<UiRect> rects = control_test::ChildRects(*list);
  EXPECT_EQ(rects[0], (UiRect{0, -20, 100, 0}));
  EXPECT_EQ(rects[1], (UiRect{0, 0, 100, 20}));
  EXPECT_EQ(rects[11], (UiRect{0, 200, 100, 220}));
  EXPECT_EQ(list->GetScrollRange().cy, 1000 * kRowHeight - 200);

  list->SetScrollPosY(400);
  const std::vector<std::wstring> texts = TextsByPlace(*list);
  for (int i = 0; i < 12; ++i) EXPECT_EQ(texts[i], L"row " + std::to_wstring(20 + i));
}

// A height of 0, a pool smaller than the view and a height over 32 bits are survived.
struct PoolCase {
  const char* name;
  int rows;
  int itemHeight;
  int pool;
  int range;
};

class VirtualListPoolTest : public ::testing::TestWithParam<PoolCase> {};

TEST_P(VirtualListPoolTest, ArrangesWithoutFault) {
  const PoolCase& c = GetParam();
  control_test::UiScope ui;
  control_test::TestWindow window;
  RowSource source(c.rows);
  VirtualListBox* list = LaidOutList(&window, &source, c.itemHeight, c.pool);
  list->SetScrollPosY(1000);
  list->SetScrollPosY(500);
  EXPECT_EQ(list->GetCount(), c.pool);
  EXPECT_EQ(list->GetScrollRange().cy, c.range);
  EXPECT_GE(list->GetContentHeight(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Pools, VirtualListPoolTest,
    ::testing::Values(PoolCase{"HeightNotSet", 1000, 0, 12, 0},
                      PoolCase{"PoolSmallerThanTheView", 1000, 20, 4, 1000 * 20 - 200},
                      PoolCase{"RowsBeyond32Bits", 150000000, 20, 12,
                               VirtualListBox::kMaxContentHeight - 200}),
    [](const ::testing::TestParamInfo<PoolCase>& info) { return info.param.name; });

TEST(VirtualListPool, ASmallPoolKeepsEveryItemInTheRowsFromTheTop) {
  control_test::UiScope ui;
  control_test::TestWindow window;
  RowSource source(1000);
  VirtualListBox* list = LaidOutList(&window, &source, kRowHeight, 4);
  list->SetScrollPosY(100);
  const std::vector<std::wstring> texts = TextsByPlace(*list);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(texts[i], L"row " + std::to_wstring(5 + i));
}

TEST(VirtualListPool, InitialisingTwiceKeepsThePoolAndRefreshFollowsTheData) {
  control_test::UiScope ui;
  control_test::TestWindow window;
  RowSource source(1000);
  auto* list = new VirtualListBox();
  list->SetDataSource(&source);
  list->SetItemHeight(kRowHeight);
  window.AttachRoot(list);
  list->InitItems(12);
  list->InitItems(12);
  EXPECT_EQ(list->GetCount(), 12);
  EXPECT_EQ(source.created, 12);
  list->InitItems(8);
  EXPECT_EQ(list->GetCount(), 8);

  // Fewer rows than the pool: one item a row, filled from the top.
  source.SetRows(3);
  list->Refresh();
  window.RunDeferredDestroy();
  ASSERT_EQ(list->GetCount(), 3);
  EXPECT_EQ(static_cast<ListContainerElement*>(list->GetItemAt(2))->GetText(), L"row 2");
  source.SetRows(100);
  list->Refresh();
  EXPECT_EQ(list->GetCount(), 8);

  // Without a source it is a list of no rows.
  VirtualListBox empty;
  empty.InitItems(5);
  empty.Refresh();
  EXPECT_EQ(empty.GetCount(), 0);
  EXPECT_EQ(empty.GetDataCount(), 0);
}

}  // namespace
}  // namespace ui

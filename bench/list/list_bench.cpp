// Lists benchmark. A virtual list of 1,000,000 rows in a 400 x 600 window: the time to jump
// to a row anywhere and paint it, against a repaint of the same window standing still, and
// what the list costs with 10 rows and with 1,000,000 rows of data (only the pool of items
// should exist either way). A plain list box of 10,000 items built from a layout (against
// the same items in a plain column), the selection moved by Down 1,000 times (against keys
// the list does not act on), and the repaint after one selection change (against a full
// repaint), with the controls each paints.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "common/allocation_counter.h"
#include "common/bench_timing.h"
#include "common/committed_memory.h"
#include "ui/controls/control_classes.h"
#include "ui/controls/list_box.h"
#include "ui/controls/list_container_element.h"
#include "ui/controls/list_data_source.h"
#include "ui/controls/virtual_list_box.h"
#include "ui/core/resources/ui_registry.h"
#include "ui/core/skin/window_builder.h"
#include "ui/core/tree/control_test_util.h"
#include "ui/core/window/window_test_util.h"

namespace {

constexpr int kWidth = 400;
constexpr int kHeight = 600;
constexpr int kRowHeight = 30;
constexpr int kVirtualRows = 1000000;
constexpr int kJumps = 200;
constexpr double kJumpTargetMs = 4.0;
constexpr int kPlainItems = 10000;
constexpr int kMoves = 1000;
constexpr double kMoveTargetMs = 0.2;

int g_paintedItems = 0;

// A list item that counts its paints.
class Item : public ui::ListContainerElement {
 public:
  void PaintLayers(ui::IRenderContext& context, const ui::UiRect& paintRect) override {
    ++g_paintedItems;
    ui::ListContainerElement::PaintLayers(context, paintRect);
  }
};

ui::Control* MakeItem() {
  auto* item = new Item();
  item->SetAttribute(L"height", std::to_wstring(kRowHeight));
  item->SetAttribute(L"textpadding", L"8,0,0,0");
  item->SetAttribute(L"normaltextcolor", L"text");
  item->SetAttribute(L"selectednormalcolor", L"selected");
  return item;
}

class Rows : public ui::ListDataSource {
 public:
  explicit Rows(int count) : count_(count) {}
  ui::Control* CreateItem() override { return MakeItem(); }
  void FillItem(ui::Control* item, int index) override {
    static_cast<Item*>(item)->SetText(L"row " + std::to_wstring(index));
  }
  int GetItemCount() override { return count_; }

 private:
  int count_;
};

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

double Megabytes(long long bytes) {
  return bytes / (1024.0 * 1024.0);
}

// A repaint of the whole window, in milliseconds.
double FullRepaint(HWND hwnd) {
  const double start = bench::Seconds();
  InvalidateRect(hwnd, nullptr, FALSE);
  UpdateWindow(hwnd);
  GdiFlush();
  return (bench::Seconds() - start) * 1000;
}

struct ListCost {
  long long allocations;
  long long committed;
  int items;
};

// What a virtual list of the rows costs from construction to its first paint.
ListCost BuildVirtualList(int rows, const ui::UiRect& rect, int pool) {
  Rows source(rows);
  const long long allocationsBefore = bench::AllocationCount();
  const long long committedBefore = static_cast<long long>(test_memory::CommittedPrivateBytes());
  window_test::TestNativeWindow window;
  auto* list = new ui::VirtualListBox();
  list->SetDataSource(&source);
  list->SetItemHeight(kRowHeight);
  list->InitItems(pool);
  const HWND hwnd = window_test::CreateShown(&window, rect, list, false);
  UpdateWindow(hwnd);
  ListCost cost{bench::AllocationCount() - allocationsBefore,
                static_cast<long long>(test_memory::CommittedPrivateBytes()) - committedBefore,
                list->GetCount()};
  DestroyWindow(hwnd);
  return cost;
}

void VirtualListBench() {
  Rows source(kVirtualRows);
  window_test::TestNativeWindow window;
  auto* list = new ui::VirtualListBox();
  list->SetDataSource(&source);
  list->SetItemHeight(kRowHeight);
  list->InitItems(kHeight / kRowHeight + 2);
  const HWND hwnd =
      window_test::CreateShown(&window, ui::UiRect{0, 0, kWidth, kHeight}, list, false);
  std::vector<double> still;
  for (int i = 0; i < 30; ++i) still.push_back(FullRepaint(hwnd));
  // Rows spread over the whole list, in an order that jumps both ways.
  std::vector<double> jumps;
  std::vector<double> placing;
  unsigned seed = 12345;
  const int range = list->GetScrollRange().cy;
  for (int i = 0; i < kJumps; ++i) {
    seed = seed * 1103515245u + 12345u;
    const int y = static_cast<int>((seed >> 8) % static_cast<unsigned>(range + 1));
    const double start = bench::Seconds();
    list->SetScrollPosY(y);
    placing.push_back((bench::Seconds() - start) * 1000);
    UpdateWindow(hwnd);
    GdiFlush();
    jumps.push_back((bench::Seconds() - start) * 1000);
  }
  const double worst = *std::max_element(jumps.begin(), jumps.end());
  std::printf("virtual list of %d rows of %d px in a %d x %d window, %d items in its pool\n",
              kVirtualRows, kRowHeight, kWidth, kHeight, list->GetCount());
  std::printf(
      "  jump to a row anywhere and paint (%d jumps): median %.2f ms, worst %.2f ms "
      "(target under %.0f ms: %s)\n",
      kJumps, Median(jumps), worst, kJumpTargetMs, worst < kJumpTargetMs ? "met" : "MISSED");
  std::printf("  full repaint standing still (baseline): median %.2f ms; ratio %.2f\n",
              Median(still), Median(jumps) / std::max(Median(still), 1e-9));
  std::printf("  of a jump, placing and refilling the pool before the paint: median %.2f ms\n",
              Median(placing));
  DestroyWindow(hwnd);

  // A view of 8 rows and a pool of 10: with 10 rows every row has an item.
  constexpr int kPool = 10;
  const ui::UiRect rect{0, 0, kWidth, (kPool - 2) * kRowHeight};
  BuildVirtualList(10, rect, kPool);  // the first window of a run pays for one-off setup
  const ListCost few = BuildVirtualList(10, rect, kPool);
  const ListCost many = BuildVirtualList(kVirtualRows, rect, kPool);
  const bool same = many.items == few.items &&
                    many.allocations < few.allocations + few.allocations / 4 &&
                    many.committed < few.committed + 1024 * 1024;
  std::printf("  memory with 10 rows (baseline): %d items, %lld allocations, %.2f MB committed\n",
              few.items, few.allocations, Megabytes(few.committed));
  std::printf(
      "  memory with %d rows: %d items, %lld allocations, %.2f MB committed; "
      "ratio %.2f (target the same, only the pool: %s)\n",
      kVirtualRows, many.items, many.allocations, Megabytes(many.committed),
      static_cast<double>(many.allocations) / std::max(few.allocations, 1LL),
      same ? "met" : "MISSED");
}

// A layout of the items in a container of the class.
std::wstring ItemsLayout(const wchar_t* container) {
  std::wstring xml = L"<Window><";
  xml += container;
  xml += L" vscrollbar=\"true\">";
  for (int i = 0; i < kPlainItems; ++i) {
    xml += L"<BenchItem text=\"item " + std::to_wstring(i) + L"\"/>";
  }
  xml += L"</";
  xml += container;
  xml += L"></Window>";
  return xml;
}

double BuildMs(const std::wstring& xml, std::unique_ptr<ui::Control>* made) {
  ui::WindowBuilder builder;
  const double start = bench::Seconds();
  made->reset(builder.Build(xml.c_str()));
  return (bench::Seconds() - start) * 1000;
}

void PlainListBench() {
  ui::WindowBuilder::AddControlClass(L"BenchItem", &MakeItem);
  const std::wstring listXml = ItemsLayout(L"VListBox");
  const std::wstring boxXml = ItemsLayout(L"VBox");
  std::unique_ptr<ui::Control> made;
  BuildMs(boxXml, &made);
  const double boxMs = BuildMs(boxXml, &made);
  const double listMs = BuildMs(listXml, &made);
  auto* list = dynamic_cast<ui::ListBox*>(made.release());
  if (!list || list->GetCount() != kPlainItems) {
    std::printf("the list layout did not build\n");
    return;
  }
  std::printf("list box of %d items of %d px from a layout\n", kPlainItems, kRowHeight);
  std::printf(
      "  built in %.1f ms; the same items in a plain column (baseline) %.1f ms; "
      "ratio %.2f\n",
      listMs, boxMs, listMs / std::max(boxMs, 1e-9));

  window_test::TestNativeWindow window;
  const HWND hwnd =
      window_test::CreateShown(&window, ui::UiRect{0, 0, kWidth, kHeight}, list, false);
  list->SelectItem(0, true, true);
  UpdateWindow(hwnd);
  const double moveStart = bench::Seconds();
  for (int i = 0; i < kMoves; ++i) SendMessageW(hwnd, WM_KEYDOWN, VK_DOWN, 0);
  const double moveMs = (bench::Seconds() - moveStart) * 1000 / kMoves;
  const int reached = list->GetCurSel();
  const double idleStart = bench::Seconds();
  for (int i = 0; i < kMoves; ++i) SendMessageW(hwnd, WM_KEYDOWN, VK_F5, 0);
  const double idleMs = (bench::Seconds() - idleStart) * 1000 / kMoves;
  std::printf(
      "  selection moved by Down %d times (to item %d): %.4f ms a move (target under "
      "%.1f ms: %s)\n",
      kMoves, reached, moveMs, kMoveTargetMs, moveMs < kMoveTargetMs ? "met" : "MISSED");
  std::printf("  a key the list does not act on (baseline): %.4f ms; ratio %.2f\n", idleMs,
              moveMs / std::max(idleMs, 1e-9));

  UpdateWindow(hwnd);
  g_paintedItems = 0;
  const double fullMs = FullRepaint(hwnd);
  const int fullItems = g_paintedItems;
  // One step within the view: the two items change and nothing scrolls.
  list->SelectItem(reached - 1, true, true);
  UpdateWindow(hwnd);
  g_paintedItems = 0;
  const double start = bench::Seconds();
  list->SelectItem(reached - 2, true, true);
  UpdateWindow(hwnd);
  GdiFlush();
  const double changeMs = (bench::Seconds() - start) * 1000;
  std::printf(
      "  repaint after one selection change: %.2f ms, %d items painted (target only "
      "the two: %s)\n",
      changeMs, g_paintedItems, g_paintedItems == 2 ? "met" : "MISSED");
  std::printf("  full repaint (baseline): %.2f ms, %d items painted; ratio %.2f\n", fullMs,
              fullItems, changeMs / std::max(fullMs, 1e-9));
  DestroyWindow(hwnd);
}

}  // namespace

int main() {
  control_test::UiScope ui;
  ui::UiRegistry::AddTextColor(L"text", L"#FF000000");
  ui::UiRegistry::AddTextColor(L"selected", L"#FF3080E0");
  ui::AddControlClasses();
  VirtualListBench();
  PlainListBench();
  return 0;
}

// Layout benchmark: generated trees of nested row, column and tile boxes with text controls,
// laid out, relaid out, hit-tested and painted without a native window.

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "common/allocation_counter.h"
#include "common/bench_timing.h"
#include "common/control_count.h"
#include "ui/core/resources/ui_registry.h"
#include "ui/core/tree/control_test_util.h"
#include "ui/core/tree/h_box.h"
#include "ui/core/tree/tile_box.h"
#include "ui/core/tree/v_box.h"
#include "ui/render/i_render_context.h"

namespace {

using control_test::TestWindow;
using control_test::TextControl;

// What a pass did, counted by every control of the tree.
struct Counters {
  long long estimates = 0;
  long long arranged = 0;
  long long visited = 0;
  long long entered = 0;
  long long painted = 0;
};
Counters counters;

bool Contains(const ui::UiRect& r, const void* data) {
  const auto* p = static_cast<const ui::UiPoint*>(data);
  return p->x >= r.left && p->x < r.right && p->y >= r.top && p->y < r.bottom;
}

template <typename Base>
class Counting : public Base {
 public:
  ui::UiSize EstimateSize(ui::UiSize available) override {
    ++counters.estimates;
    return Base::EstimateSize(available);
  }
  void SetPosition(const ui::UiRect& rect) override {
    ++counters.arranged;
    Base::SetPosition(rect);
  }
  ui::Control* FindControl(ui::FindControlProc proc, void* data, unsigned int flags,
                           const ui::UiPoint& scroll = ui::UiPoint{}) override {
    ++counters.visited;
    if constexpr (std::is_base_of_v<ui::Box, Base>) {
      if ((flags & ui::kFindHitTest) && Contains(this->GetPosition(), data)) ++counters.entered;
    }
    return Base::FindControl(proc, data, flags, scroll);
  }
  void PaintLayers(ui::IRenderContext& context, const ui::UiRect& paint) override {
    ++counters.painted;
    Base::PaintLayers(context, paint);
  }
};

// A label's worth of text: measured as fixed-width characters, painted for real.
class BenchText : public Counting<TextControl> {
 public:
  explicit BenchText(const std::wstring& text) : text_(text) {
    SetText(text);
    SetFixedWidth(ui::kLengthAuto);
    SetFixedHeight(ui::kLengthAuto);
  }
  void PaintText(ui::IRenderContext& context) override {
    TextControl::PaintText(context);
    context.PaintText(GetItemRect(), text_, 0xFF202020, L"", ui::kTextSingleLine);
  }

 private:
  std::wstring text_;
};

using Row = Counting<ui::HBox>;
using Column = Counting<ui::VBox>;
using Tile = Counting<ui::TileBox>;

int leafSerial = 0;

BenchText* Leaf() {
  auto* leaf = new BenchText(L"item " + std::to_wstring(++leafSerial));
  leaf->SetAttribute(L"bkcolor", (leafSerial % 3) ? L"leaf" : L"leafalt");
  leaf->SetAttribute(L"margin", L"2,1,2,1");
  return leaf;
}

// About 101 controls: a column of ten fixed-height rows of nine texts.
ui::Control* RowsSection(BenchText** changeable) {
  auto* section = new Column();
  section->SetFixedHeight(ui::kLengthAuto);
  for (int r = 0; r < 10; ++r) {
    auto* row = new Row();
    row->SetFixedHeight(20);
    row->SetAttribute(L"childmargin", L"4");
    for (int c = 0; c < 9; ++c) {
      BenchText* leaf = Leaf();
      if (changeable && !*changeable) *changeable = leaf;
      row->Add(leaf);
    }
    section->Add(row);
  }
  return section;
}

// About 101 controls: a grid of texts in 60 x 20 cells.
ui::Control* TileSection() {
  auto* tile = new Tile();
  tile->SetFixedHeight(ui::kLengthAuto);
  tile->SetAttribute(L"itemsize", L"60,20");
  for (int i = 0; i < 100; ++i) tile->Add(Leaf());
  return tile;
}

// A tree of about the given number of controls under a fixed 1280 x 720 column.
ui::Control* BuildTree(int controls, BenchText** changeable) {
  auto* root = new Column();
  root->SetAttribute(L"bkcolor", L"page");
  int count = 1;
  for (int s = 0; count < controls; ++s) {
    ui::Control* section =
        (s % 2 == 0) ? RowsSection(s == 0 ? changeable : nullptr) : TileSection();
    count += bench::CountControls(section);
    root->Add(section);
  }
  return root;
}

const ui::UiRect kClient{0, 0, 1280, 720};

void FullLayoutGrowth() {
  std::printf("\nFull layout of a new tree (first pass: every text measured once)\n");
  std::printf("%10s %12s %14s %10s %16s\n", "controls", "ms", "us/control", "vs 1,000",
              "estimates/ctrl");
  double perControlAt1k = 0;
  for (int size : {1000, 10000, 100000}) {
    double best = 1e30;
    double estimatesPerControl = 0;
    int controls = 0;
    for (int round = 0; round < (size >= 100000 ? 5 : 9); ++round) {
      TestWindow window;
      window.AttachRoot(BuildTree(size, nullptr));
      controls = bench::CountControls(window.GetRoot());
      counters = Counters{};
      const double start = bench::Seconds();
      window.Layout(kClient);
      best = std::min(best, bench::Seconds() - start);
      estimatesPerControl = static_cast<double>(counters.estimates) / controls;
    }
    const double perControl = best * 1e6 / controls;
    if (size == 1000) perControlAt1k = perControl;
    const bool linear = perControl <= 2 * perControlAt1k;
    std::printf("%10d %12.2f %14.3f %10.2f %13.2f  %s%s\n", controls, best * 1e3, perControl,
                perControl / perControlAt1k, estimatesPerControl,
                estimatesPerControl <= 3.0 ? "ok" : "OVER 3 estimates",
                linear ? "" : ", NOT LINEAR (over 2x the time per control of 1,000)");
  }
  std::printf(
      "(a text control is %u bytes, a row box %u: 100,000 controls do not fit in the "
      "caches)\n",
      static_cast<unsigned>(sizeof(BenchText)), static_cast<unsigned>(sizeof(Row)));
}

void NestedAutoBoxes() {
  TestWindow window;
  auto* root = new Column();
  ui::Box* parent = root;
  constexpr int kDepth = 20;
  for (int i = 0; i < kDepth; ++i) {
    auto* box = new Row();
    box->SetFixedWidth(ui::kLengthAuto);
    box->SetFixedHeight(ui::kLengthAuto);
    parent->Add(box);
    parent = box;
  }
  parent->Add(Leaf());
  window.AttachRoot(root);
  const int controls = bench::CountControls(root);
  counters = Counters{};
  TextControl::measurements = 0;
  window.Layout(kClient);
  std::printf(
      "\n%d nested auto-size boxes: %lld estimates for %d controls (%.2f per control), "
      "%d text measurements  %s\n",
      kDepth, counters.estimates, controls, static_cast<double>(counters.estimates) / controls,
      TextControl::measurements, counters.estimates <= 3 * controls ? "ok" : "OVER 3 per control");
}

void Relayout() {
  TestWindow window;
  BenchText* changeable = nullptr;
  window.AttachRoot(BuildTree(10000, &changeable));
  window.Layout(kClient);
  const int controls = bench::CountControls(window.GetRoot());

  // The window relayouts its root, nothing else changed.
  window.GetRoot()->RelayoutSelf();
  counters = Counters{};
  TextControl::measurements = 0;
  double start = bench::Seconds();
  window.Layout(kClient);
  const double unchanged = bench::Seconds() - start;
  std::printf(
      "\nRelayout of %d controls with nothing changed: %.2f ms, %lld arranged, "
      "%d text measurements  %s\n",
      controls, unchanged * 1e3, counters.arranged, TextControl::measurements,
      TextControl::measurements == 0 ? "ok" : "MISSED (target 0)");

  changeable->SetText(L"a longer text than before");
  counters = Counters{};
  TextControl::measurements = 0;
  start = bench::Seconds();
  window.Layout(kClient);
  const double changed = bench::Seconds() - start;
  const int rowControls = bench::CountControls(changeable->GetParent());
  std::printf(
      "After one text change inside a fixed-height row: %.3f ms, %lld arranged "
      "(the row holds %d), %d text measurements; ratio to the root relayout %.4f  %s\n",
      changed * 1e3, counters.arranged, rowControls, TextControl::measurements, changed / unchanged,
      counters.arranged <= rowControls ? "ok" : "MISSED");
}

ui::Control* HitTestProc(ui::Control* control, void*) {
  return control;
}

void HitTest() {
  TestWindow window;
  window.AttachRoot(BuildTree(500, nullptr));
  window.Layout(kClient);
  ui::Control* root = window.GetRoot();
  const int controls = bench::CountControls(root);

  // Every control with its rectangle, for a plain scan as the baseline.
  std::vector<ui::Control*> all;
  root->FindControl(
      [](ui::Control* c, void* data) -> ui::Control* {
        static_cast<std::vector<ui::Control*>*>(data)->push_back(c);
        return nullptr;
      },
      &all, 0);
  const ui::UiPoint point{700, 300};
  ui::Control* target = nullptr;
  const unsigned flags = ui::kFindVisible | ui::kFindHitTest | ui::kFindTopFirst;
  auto ours = [&](int) {
    ui::UiPoint p = point;
    target = root->FindControl(HitTestProc, &p, flags);
  };
  // Children come before their box in the list and siblings do not overlap, so the first
  // rectangle holding the point is the deepest control there.
  ui::Control* scanned = nullptr;
  auto scan = [&](int) {
    scanned = nullptr;
    for (ui::Control* c : all) {
      if (!scanned && Contains(c->GetPosition(), &point)) scanned = c;
    }
  };
  const int count = bench::Calibrate(ours, 0.05);
  double best = 1e30;
  double bestScan = 1e30;
  for (int round = 0; round < 20; ++round) {
    best = std::min(best, bench::TimeRun(ours, count) / count);
    bestScan = std::min(bestScan, bench::TimeRun(scan, count) / count);
  }
  counters = Counters{};
  const long long before = bench::AllocationCount();
  ours(0);
  const long long allocated = bench::AllocationCount() - before;
  int holding = 0;
  for (ui::Control* c : all) {
    if (dynamic_cast<ui::Box*>(c) && Contains(c->GetPosition(), &point)) ++holding;
  }
  std::printf(
      "\nHit test at (%d, %d) in %d controls: %.3f us, %lld allocations; a scan of "
      "every rectangle %.3f us (ratio %.3f)  %s\n",
      point.x, point.y, controls, best * 1e6, allocated, bestScan * 1e6, best / bestScan,
      best < 50e-6 && allocated == 0 ? "ok" : "MISSED (target < 50 us, 0 allocations)");
  std::printf(
      "controls asked %lld, boxes entered %lld of the %d boxes holding the point; found "
      "the deepest control there: %s\n",
      counters.visited, counters.entered, holding, target == scanned ? "yes" : "NO");
}

void Paint() {
  TestWindow window;
  window.AttachRoot(BuildTree(500, nullptr));
  window.Layout(kClient);
  auto context = ui::UiRegistry::CreateRenderContext();
  context->Resize(kClient.Width(), kClient.Height());
  ui::Control* root = window.GetRoot();
  auto paint = [&](const ui::UiRect& area) {
    context->PushClip(area);
    root->Paint(*context, area);
    context->PopClip();
  };
  const ui::UiRect dirty{600, 300, 610, 310};
  auto full = [&](int) { paint(kClient); };
  auto small = [&](int) { paint(dirty); };
  double bestFull = 1e30;
  double bestSmall = 1e30;
  const int smallCount = bench::Calibrate(small, 0.05);
  for (int round = 0; round < 7; ++round) {
    bestFull = std::min(bestFull, bench::TimeRun(full, 1));
    bestSmall = std::min(bestSmall, bench::TimeRun(small, smallCount) / smallCount);
  }
  counters = Counters{};
  full(0);
  const long long paintedFull = counters.painted;
  counters = Counters{};
  small(0);
  std::printf(
      "\nPaint of %d controls on 1280 x 720: full %.2f ms (%lld controls painted); "
      "10 x 10 dirty rectangle %.3f ms (%lld controls painted); ratio %.4f\n",
      bench::CountControls(root), bestFull * 1e3, paintedFull, bestSmall * 1e3, counters.painted,
      bestSmall / bestFull);
}

}  // namespace

int main() {
  control_test::UiScope ui;
  ui::UiRegistry::AddTextColor(L"page", L"#FFF4F4F4");
  ui::UiRegistry::AddTextColor(L"leaf", L"#FFDDE6F0");
  ui::UiRegistry::AddTextColor(L"leafalt", L"#FFE8E0D0");
  ui::UiRegistry::AddFont(L"", L"system", 9, false, false, false, true);
  std::printf("Layout benchmark (no native window; times are the best of several runs)\n");
  FullLayoutGrowth();
  NestedAutoBoxes();
  Relayout();
  HitTest();
  Paint();
  return 0;
}

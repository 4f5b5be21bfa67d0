// Live view benchmark: a layout of about 500 controls shown by `skintool show`, then saved
// again and again. Each rebuild (from the start of the build to the end of the new
// window's first paint) is set beside the first build of the same layout in the same run,
// and the time from a save to the new frame (change notice and settle delay included)
// beside the half second a designer may wait.

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "common/bench_timing.h"
#include "common/control_count.h"
#include "common/message_pump.h"
#include "live_view.h"
#include "runtime/string_util.h"
#include "ui/core/resources/ui_registry.h"
#include "ui/core/window/window.h"

namespace {

constexpr int kSaves = 12;
constexpr double kRebuildTargetMs = 100.0;
constexpr double kSaveToFrameTargetMs = 500.0;
constexpr int kTimeoutMs = 30000;

// One row of a list: an icon, two texts and a button.
void AppendRow(std::string* xml, int index) {
  const std::string n = std::to_string(index);
  *xml += "  <HBox name=\"row" + n + "\" height=\"24\" bkcolor=\"row\">\n";
  *xml += "    <Control name=\"icon" + n + "\" width=\"20\" height=\"20\" bkcolor=\"icon\"/>\n";
  *xml += "    <VBox><Label text=\"Item " + n + "\" height=\"12\"/><Label height=\"12\"/></VBox>\n";
  *xml += "    <Button width=\"50\" text=\"Open\" bkcolor=\"icon\"/>\n";
  *xml += "  </HBox>\n";
}

// About 500 controls (six a row), with a mark that makes each save differ.
std::string MakeLayout(int save) {
  std::string xml =
      "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<!-- save " + std::to_string(save) + " -->\n";
  xml += "<Window size=\"480,900\" caption=\"0,0,0,32\">\n <VBox bkcolor=\"window\">\n";
  for (int i = 0; i < 83; ++i) AppendRow(&xml, i);
  xml += " </VBox>\n</Window>\n";
  return xml;
}

bool WriteBytes(const std::wstring& path, const std::string& bytes) {
  FILE* out = _wfopen(path.c_str(), L"wb");
  if (!out) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
  return std::fclose(out) == 0 && written;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? -1 : values[values.size() / 2];
}

}  // namespace

int main() {
  wchar_t temp[MAX_PATH];
  ::GetTempPathW(MAX_PATH, temp);
  const std::wstring base = std::wstring(temp) + L"tarnwick_live_bench_" +
                            std::to_wstring(::GetCurrentProcessId()) + L"\\";
  const std::wstring theme = base + L"themes\\default\\";
  for (const std::wstring& folder : {base, base + L"themes\\", theme}) {
    ::CreateDirectoryW(folder.c_str(), nullptr);
  }
  const std::wstring global = theme + L"global.xml";
  const std::wstring layout = theme + L"large_layout.xml";
  if (!WriteBytes(global,
                  "<Global><TextColor name=\"window\" value=\"#FFF4F5F7\"/><TextColor "
                  "name=\"row\" value=\"#FFFFFFFF\"/><TextColor name=\"icon\" "
                  "value=\"#FF2D7FE0\"/></Global>") ||
      !WriteBytes(layout, MakeLayout(0))) {
    std::printf("could not write the layout to %s\n", kbase::WideToUtf8(theme).c_str());
    return 1;
  }
  ui::UiRegistry::Startup(base, nullptr, L"themes\\default", L"lang\\zh_CN");
  std::vector<LiveView::Event> events;
  int controls = 0;
  {
    LiveView::Options options;
    options.where = SkinLocation::Find(layout, base, L"themes\\default");
    LiveView view(options, [&](const LiveView::Event& event) { events.push_back(event); });
    auto reloads = [&] {
      int count = 0;
      for (const LiveView::Event& event : events) {
        count += event.kind == LiveView::Event::Kind::kReloaded ? 1 : 0;
      }
      return count;
    };
    const bool opened =
        view.Open() && test_messages::PumpUntil([&] { return !events.empty(); }, kTimeoutMs);
    if (!opened || events.front().kind != LiveView::Event::Kind::kLoaded) {
      std::printf("the layout did not open\n");
      for (const LiveView::Event& event : events) {
        for (const std::wstring& line : event.failures) {
          std::printf("  %s\n", kbase::WideToUtf8(line).c_str());
        }
      }
      ui::UiRegistry::Shutdown();
      return 1;
    }
    controls = bench::CountControls(view.View()->GetRoot());
    const double firstMs = events.front().milliseconds;
    std::vector<double> rebuildMs;
    std::vector<double> saveToFrameMs;
    for (int save = 1; save <= kSaves; ++save) {
      const double saved = bench::Seconds();
      WriteBytes(layout, MakeLayout(save));
      if (!test_messages::PumpUntil([&] { return reloads() >= save; }, kTimeoutMs)) {
        std::printf("save %d was not shown within %d ms\n", save, kTimeoutMs);
        break;
      }
      saveToFrameMs.push_back((bench::Seconds() - saved) * 1000.0);
      rebuildMs.push_back(events.back().milliseconds);
    }
    const double rebuild = Median(rebuildMs);
    const double best =
        rebuildMs.empty() ? -1 : *std::min_element(rebuildMs.begin(), rebuildMs.end());
    const double saveToFrame = Median(saveToFrameMs);
    std::printf("live view: a layout of %d controls, %d saves\n", controls,
                static_cast<int>(rebuildMs.size()));
    std::printf("  first build and frame (baseline)  %8.2f ms\n", firstMs);
    std::printf(
        "  rebuild and first frame, median   %8.2f ms  (best %.2f)  ratio %.2f  "
        "target < %.0f ms: %s\n",
        rebuild, best, rebuild / firstMs, kRebuildTargetMs,
        rebuild >= 0 && rebuild < kRebuildTargetMs ? "met" : "MISSED");
    std::printf("  save to new frame, median         %8.2f ms  target < %.0f ms: %s\n", saveToFrame,
                kSaveToFrameTargetMs,
                saveToFrame >= 0 && saveToFrame < kSaveToFrameTargetMs ? "met" : "MISSED");
    std::printf("  change notifications %s\n", view.Watcher().FoundByPollingOnly()
                                                   ? "missed a change: polling found it"
                                                   : "seen for every change");
  }
  ui::UiRegistry::Shutdown();
  ::DeleteFileW(layout.c_str());
  ::DeleteFileW(global.c_str());
  ::RemoveDirectoryW(theme.c_str());
  ::RemoveDirectoryW((base + L"themes\\").c_str());
  ::RemoveDirectoryW(base.c_str());
  return 0;
}

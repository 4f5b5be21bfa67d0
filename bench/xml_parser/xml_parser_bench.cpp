// Loads the same UTF-8 bytes with XmlDocument::LoadFromBytes (conversion to UTF-16
// included) and with RapidXML in its in-situ mode, and prints throughput and ratio for a
// large synthetic layout, for a small real layout parsed many times, and the time per load
// for growing input sizes.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "rapidxml.hpp"
#include "ui/core/markup/xml_document.h"

#include "common/bench_timing.h"

namespace {

constexpr size_t kMiB = 1024 * 1024;

// One list row of a layout, the way server lists and settings pages are written.
std::string Row(int i) {
  const std::string n = std::to_string(i);
  return "    <ListContainerElement class=\"list_item\" name=\"row_" + n +
         "\" height=\"32\" margin=\"0,0,0,1\">\n"
         "      <Control name=\"icon_" +
         n +
         "\" width=\"24\" height=\"24\" valign=\"center\" bkimage=\"file='icons/server.png' "
         "corner='2,2,2,2'\"/>\n"
         "      <Label name=\"title_" +
         n + "\" text=\"服务器 " + n +
         " &amp; 晨曦\" font=\"system_12\" "
         "normaltextcolor=\"textdefaultcolor\" width=\"stretch\" align=\"left vcenter\"/>\n"
         "      <Button class=\"btn_global_blue_80x30\" name=\"enter_" +
         n + "\" text=\"进入\" tooltiptext=\"进入 &lt;" + n +
         "&gt;\"/>\n"
         "    </ListContainerElement>\n";
}

std::string SyntheticLayout(size_t size) {
  const std::string head =
      "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
      "<Window size=\"800,600\" caption=\"0,0,0,32\" shadowattached=\"true\">\n"
      "  <VListBox name=\"server_list\" vscrollbar=\"true\">\n";
  const std::string tail = "  </VListBox>\n</Window>\n";
  std::string text = head;
  for (int i = 0;; ++i) {
    const std::string row = Row(i);
    if (text.size() + row.size() + tail.size() > size) break;
    text += row;
  }
  return text + tail;
}

std::string ReadSample() {
  std::wstring path;
  for (const char* p = TARNWICK_SAMPLE_LAYOUT; *p != 0; ++p) {
    path += *p == '/' ? L'\\' : static_cast<wchar_t>(*p);
  }
  std::ifstream file(path.c_str(), std::ios::binary);
  std::stringstream content;
  content << file.rdbuf();
  return content.str();
}

class OurParser {
 public:
  bool Load(const std::string& bytes) {
    return document_.LoadFromBytes(bytes.data(), bytes.size());
  }
  uint32_t Elements() const { return document_.ElementCount(); }

 private:
  ui::XmlDocument document_;
};

// RapidXML parses a writable copy in place; the copy is part of its load, as reading into
// a buffer is part of ours.
class RapidParser {
 public:
  RapidParser() : document_(new rapidxml::xml_document<char>) {}
  bool Load(const std::string& bytes) {
    buffer_.resize(bytes.size() + 1);
    std::memcpy(buffer_.data(), bytes.data(), bytes.size());
    buffer_[bytes.size()] = 0;
    document_->clear();
    try {
      document_->parse<0>(buffer_.data());
    } catch (const rapidxml::parse_error&) {
      return false;
    }
    return true;
  }

 private:
  std::unique_ptr<rapidxml::xml_document<char>> document_;
  std::vector<char> buffer_;
};

struct Times {
  double ours = 1e9;
  double rapid = 1e9;
};

// One-shot loads: a new parser, with its memory not touched before, for every load.
template <typename Parser>
double TimeFreshRound(const std::string& bytes, int loads) {
  const double start = bench::Seconds();
  for (int i = 0; i < loads; ++i) {
    Parser parser;
    if (!parser.Load(bytes)) {
      std::printf("load failed\n");
      return 1e9;
    }
  }
  return (bench::Seconds() - start) / loads;
}

template <typename Parser>
double TimeRound(Parser* parser, const std::string& bytes, int loads) {
  const double start = bench::Seconds();
  for (int i = 0; i < loads; ++i) {
    if (!parser->Load(bytes)) {
      std::printf("load failed\n");
      return 1e9;
    }
  }
  return (bench::Seconds() - start) / loads;
}

// Seconds per load, the best of several rounds. The two parsers take turns, so that a
// busy moment of the machine does not favour either.
Times TimePerLoad(const std::string& bytes, int loads, uint32_t* elements, bool fresh = false,
                  int rounds = 7) {
  OurParser ours;
  RapidParser rapid;
  Times best;
  for (int round = 0; round < rounds; ++round) {
    if (fresh) {
      best.ours = std::min(best.ours, TimeFreshRound<OurParser>(bytes, loads));
      best.rapid = std::min(best.rapid, TimeFreshRound<RapidParser>(bytes, loads));
    } else {
      best.ours = std::min(best.ours, TimeRound(&ours, bytes, loads));
      best.rapid = std::min(best.rapid, TimeRound(&rapid, bytes, loads));
    }
  }
  ours.Load(bytes);
  if (elements != nullptr) *elements = ours.Elements();
  return best;
}

double MegabytesPerSecond(size_t bytes, double seconds) {
  return static_cast<double>(bytes) / kMiB / seconds;
}

void PrintTimes(const char* mode, size_t size, const Times& times, double target) {
  const double ourSpeed = MegabytesPerSecond(size, times.ours);
  const double rapidSpeed = MegabytesPerSecond(size, times.rapid);
  const double ratio = ourSpeed / rapidSpeed;
  std::printf("  %s\n", mode);
  std::printf("    XmlDocument  %8.1f MB/s  (%.1f us per load)\n", ourSpeed, times.ours * 1e6);
  std::printf("    RapidXML     %8.1f MB/s  (%.1f us per load)\n", rapidSpeed, times.rapid * 1e6);
  std::printf("    ratio        %8.2f  (XmlDocument / RapidXML, target >= %.2f: %s)\n", ratio,
              target, ratio >= target ? "met" : "MISSED");
}

// Repeated loads into one document, as reloading a layout does, and one-shot loads into a
// new document on fresh memory, as the first build of a window does.
// Short rounds meet more of the other work on a shared machine, so they get more of them.
void CompareOn(const char* title, const std::string& bytes, int loads, double target, int rounds) {
  uint32_t elements = 0;
  const Times repeated = TimePerLoad(bytes, loads, &elements, false, rounds);
  const Times fresh = TimePerLoad(bytes, loads, nullptr, true, rounds);
  std::printf("%s: %zu bytes, %u elements, %d loads per round\n", title, bytes.size(), elements,
              loads);
  PrintTimes("repeated loads", bytes.size(), repeated, target);
  PrintTimes("one-shot loads on fresh memory", bytes.size(), fresh, target);
}

void Growth() {
  std::printf("growth: time per load by input size\n");
  std::printf("  %8s %12s %12s %14s\n", "MB", "ours ms", "RapidXML ms", "ours ms per MB");
  for (double megabytes : {0.5, 1.0, 2.0, 4.0}) {
    const std::string bytes = SyntheticLayout(static_cast<size_t>(megabytes * kMiB));
    const int loads = static_cast<int>(8 / megabytes);
    const Times times = TimePerLoad(bytes, loads, nullptr);
    const double ourTime = times.ours;
    const double rapidTime = times.rapid;
    std::printf("  %8.1f %12.2f %12.2f %14.2f\n", megabytes, ourTime * 1e3, rapidTime * 1e3,
                ourTime * 1e3 / megabytes);
  }
}

}  // namespace

int main() {
  // Up to the 4 MiB file limit, as the largest layout a file could hold.
  CompareOn("synthetic layout", SyntheticLayout(4 * kMiB), 4, 1.0, 7);
  const std::string sample = ReadSample();
  if (sample.empty()) {
    std::printf("sample layout %s not found\n", TARNWICK_SAMPLE_LAYOUT);
    return 1;
  }
  CompareOn("real layout (cef.xml)", sample, 1000, 0.8, 151);
  Growth();
  return 0;
}

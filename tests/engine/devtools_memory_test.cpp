// A page that floods the client with console output and calls with large arguments: the
// client's memory stays bounded at its peak, and the client and the page keep working.

#include <gtest/gtest.h>

#include <windows.h>
// windows.h before psapi.h
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "engine/devtools_fixture.h"
#include "engine/linux_side.h"

using namespace engine_test;

namespace {

// The highest memory use of this process since Reset, above what it used then. Under Wine
// the process memory counters stay 0: the Linux side's peak resident size (VmHWM), which
// clear_refs starts anew, stands in for the peak working set there.
class PeakMemory {
 public:
  bool Reset() {
    if (Counters(peakBefore_, baseline_)) return true;
    if (!LinuxSide::Available()) return false;
    LinuxSide::Run("echo 5 > /proc/$1/clear_refs && echo done", {std::to_string(Pid())});
    linux_ = true;
    size_t peak = 0;
    return LinuxCounters(peak, baseline_) && peak > 0;
  }

  // Bytes; negative when they cannot be read.
  long long Growth() {
    size_t peak = 0, now = 0;
    const bool read = linux_ ? LinuxCounters(peak, now) : Counters(peak, now);
    if (!read) return -1;
    return static_cast<long long>(peak) - static_cast<long long>(baseline_);
  }

 private:
  static int Pid() { return LinuxSide::OwnPid(); }

  // The peak of the working set and of private bytes, whichever is higher, and the present.
  static bool Counters(size_t& peak, size_t& now) {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof(counters);
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters)) ||
        counters.PeakWorkingSetSize == 0) {
      return false;
    }
    peak = std::max(counters.PeakWorkingSetSize, counters.PeakPagefileUsage);
    now = std::max(counters.WorkingSetSize, counters.PagefileUsage);
    return true;
  }

  static bool LinuxCounters(size_t& peak, size_t& now) {
    const std::string status = LinuxSide::Run("cat /proc/$1/status", {std::to_string(Pid())});
    peak = Field(status, "VmHWM:");
    now = Field(status, "VmRSS:");
    return peak > 0 && now > 0;
  }

  static size_t Field(const std::string& status, const std::string& name) {
    const size_t at = status.find(name);
    if (at == std::string::npos) return 0;
    return static_cast<size_t>(std::strtoull(status.c_str() + at + name.size(), nullptr, 10)) *
           1024;
  }

  bool linux_ = false;
  size_t peakBefore_ = 0;
  size_t baseline_ = 0;
};

constexpr long long kMaxGrowth = 300ll << 20;

TEST_F(DevToolsEngine, AFloodingPageKeepsTheClientsMemoryBounded) {
  server_.Set("/flood",
              {200,
               "<html><body><script>"
               "const big = 'x'.repeat(8 << 20);"
               "for (let i = 0; i < 100; ++i) { console.log(big); document.title = 'log ' + i; }"
               "let answered = 0;"
               "for (let i = 0; i < 20; ++i) {"
               "  if (Host.size(big) === big.length) ++answered;"
               "  document.title = 'call ' + i + ' ' + answered;"
               "}"
               "console.log('after the flood');"
               "document.title = 'answered ' + answered;"
               "</script></body></html>",
               ""});
  PeakMemory memory;
  ASSERT_TRUE(memory.Reset());
  Open(server_.Url("/flood"));

  // 960 MB go through the browser's protocol: many minutes on a busy machine.
  ASSERT_TRUE(WaitFor([&] { return LastTitle().rfind("answered ", 0) == 0; }, 1500000))
      << "the page got as far as: " << LastTitle();
  std::printf("the client grew by %lld MB at its peak\n", memory.Growth() >> 20);
  EXPECT_EQ(LastTitle(), "answered 20");
  const long long growth = memory.Growth();
  ASSERT_GE(growth, 0);
  EXPECT_LT(growth, kMaxGrowth) << "grew by " << (growth >> 20) << " MB at its peak";

  // Console output of a sensible size still arrives; the flood did not.
  ASSERT_TRUE(WaitFor([&] {
    for (const Event& e : log_.Named("OnConsoleMessage")) {
      if (e.detail.find("|after the flood") != std::string::npos) return true;
    }
    return false;
  }));
  for (const Event& e : log_.Named("OnConsoleMessage")) EXPECT_LT(e.detail.size(), 1u << 20);

  // The page and the client go on: a call made now is answered.
  client_->Browser()->GetMainFrame()->ExecuteJavaScript(
      "document.title = 'twice ' + Host.twice(21)", "", 0);
  EXPECT_TRUE(WaitForTitle([](const std::string& t) { return t == "twice 42"; })) << LastTitle();
}

}  // namespace

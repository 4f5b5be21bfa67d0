// The watchdog's verdict on the client's heartbeat: it counts its own sleeps since the
// heartbeat last changed, so a wall clock set forward or back changes nothing.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/temp_folder.h"
#include "engine/linux_side.h"
#include "engine/process/watchdog_script.h"

namespace {

struct Step {
  const char* action;  // shell run before the check ("$hb" is the heartbeat)
  int tenths;          // the time the watchdog slept before this check
  char verdict;        // 'a' alive, 's' stale
};

// Runs the steps through the watchdog's own check, with a `date` on the PATH that answers a
// time far ahead; returns one verdict letter per step.
std::string Verdicts(const std::vector<Step>& steps, const std::wstring& folder) {
  std::string script = "hb=$1; fake=$2\n" + engine::HeartbeatCheckScript() +
                       "mkdir -p \"$fake\"; printf '#!/bin/sh\\necho 99999999999\\n' > "
                       "\"$fake/date\"; chmod +x \"$fake/date\"; PATH=\"$fake:$PATH\"\n";
  for (const Step& s : steps) {
    script += std::string(s.action) + "\nif alive " + std::to_string(s.tenths) +
              "; then printf a; else printf s; fi\n";
  }
  script += "rm -rf \"$fake\" \"$hb\"\n";
  return engine_test::LinuxSide::Run(script, {engine_test::LinuxSide::UnixPath(folder + L"hb"),
                                              engine_test::LinuxSide::UnixPath(folder + L"bin")});
}

std::string Expected(const std::vector<Step>& steps) {
  std::string text;
  for (const Step& s : steps) text += s.verdict;
  return text;
}

TEST(WatchdogScript, JudgesTheHeartbeatByItsOwnSleeps) {
  if (!engine_test::LinuxSide::Available()) GTEST_SKIP() << "the watchdog runs under Wine only";
  static_assert(engine::kHeartbeatStaleTenths == 80, "the steps below count to 8 s");
  const std::vector<Step> steps = {
      {"echo 1 > \"$hb\"", 0, 'a'},
      // Quiet up to the limit, then stale; the far-off `date` plays no part.
      {"", 10, 'a'},
      {"", 30, 'a'},
      {"", 40, 'a'},
      {"", 10, 's'},
      // A new beat revives it and starts the count anew.
      {"echo 2 > \"$hb\"", 10, 'a'},
      {"", 70, 'a'},
      // The wall clock set back: the beat's time lies hours behind, yet it changed.
      {"touch -d '-3 hours' \"$hb\"", 10, 'a'},
      {"", 80, 'a'},
      {"echo 3 > \"$hb\"; touch -d '-3 hours' \"$hb\"", 60, 'a'},
      // The wall clock set forward: a beat hours ahead also counts as a change, and its
      // silence is counted the same.
      {"echo 4 > \"$hb\"; touch -d '+5 hours' \"$hb\"", 30, 'a'},
      {"", 40, 'a'},
      {"", 40, 'a'},
      {"", 1, 's'},
      // The same content written again is a change of its time.
      {"echo 4 > \"$hb\"", 10, 'a'},
      // A removed heartbeat ends it at once.
      {"rm -f \"$hb\"", 0, 's'},
      {"", 10, 's'},
  };
  test_files::TempFolder folder(L"watchdog");
  ASSERT_TRUE(folder.Created());
  EXPECT_EQ(Verdicts(steps, folder.Path()), Expected(steps));
}

TEST(WatchdogScript, WatchdogUsesTheCheckAndNoClock) {
  const std::string watchdog = engine::WatchdogScript();
  EXPECT_NE(watchdog.find(engine::HeartbeatCheckScript()), std::string::npos);
  EXPECT_EQ(watchdog.find("date"), std::string::npos);
  EXPECT_EQ(watchdog.find("%Y"), std::string::npos);
}

}  // namespace

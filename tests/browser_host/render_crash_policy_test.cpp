#include "browser_host/render_crash_policy.h"

#include <gtest/gtest.h>

#include <vector>

namespace browser_host_test {
namespace {

struct CrashCase {
  const char* name;
  std::vector<int64_t> crashesMs;
  std::vector<bool> reloads;
};

TEST(RenderCrashPolicy, ReloadsAFewTimesAMinuteAndNoMore) {
  const CrashCase cases[] = {
      {"three quick crashes reload, the fourth does not",
       {0, 10, 20, 30},
       {true, true, true, false}},
      {"a crash a minute after the first reloads again",
       {0, 10, 20, 30, 60000},
       {true, true, true, false, true}},
      {"just under the minute is still too soon", {0, 10, 20, 59999}, {true, true, true, false}},
      {"crashes far apart always reload",
       {0, 70000, 140000, 210000, 280000},
       {true, true, true, true, true}},
      {"refused crashes do not count",
       {0, 1, 2, 3, 4, 5, 60001, 60002},
       {true, true, true, false, false, false, true, true}},
  };
  for (const CrashCase& c : cases) {
    SCOPED_TRACE(c.name);
    vok_comp::RenderCrashPolicy policy;
    std::vector<bool> reloads;
    for (int64_t at : c.crashesMs) reloads.push_back(policy.MayReload(at));
    EXPECT_EQ(reloads, c.reloads);
  }
}

}  // namespace
}  // namespace browser_host_test

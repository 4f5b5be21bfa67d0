// When the browser is told --no-sandbox: never as a Windows program, and under Wine only
// when the Linux side shows that its sandbox cannot work; and what the Linux side shows.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/temp_folder.h"
#include "engine/linux_side.h"
#include "engine/process/browser_process.h"
#include "engine/process/sandbox_policy.h"

using engine::BrowserProcess;
using engine::ControlChannel;
using engine::SandboxFacts;

namespace {

bool Has(const std::vector<std::string>& flags, const std::string& flag) {
  return std::find(flags.begin(), flags.end(), flag) != flags.end();
}

TEST(SandboxPolicy, CommandLinePerPlatform) {
  struct Case {
    bool wine, root, userNamespaces, setuidHelper;
    bool noSandbox;
  };
  const Case cases[] = {
      // A Windows browser keeps its sandbox whatever else holds.
      {false, false, true, false, false},
      {false, true, true, false, false},
      {false, true, false, false, false},
      {false, false, false, false, false},
      // The Linux browser: as root it cannot have one.
      {true, true, true, false, true},
      {true, true, true, true, true},
      {true, true, false, false, true},
      // Otherwise user namespaces or the setuid helper make it work.
      {true, false, true, false, false},
      {true, false, true, true, false},
      {true, false, false, true, false},
      {true, false, false, false, true},
  };
  for (const Case& c : cases) {
    SandboxFacts facts;
    facts.wine = c.wine;
    facts.root = c.root;
    facts.userNamespaces = c.userNamespaces;
    facts.setuidHelper = c.setuidHelper;
    for (ControlChannel channel : {ControlChannel::kPipe, ControlChannel::kPort}) {
      const std::vector<std::string> flags = BrowserProcess::BrowserFlags(channel, facts);
      const std::string what = std::string("wine ") + (c.wine ? "1" : "0") + " root " +
                               (c.root ? "1" : "0") + " userns " + (c.userNamespaces ? "1" : "0") +
                               " setuid " + (c.setuidHelper ? "1" : "0");
      EXPECT_EQ(Has(flags, "--no-sandbox"), c.noSandbox) << what;
      EXPECT_TRUE(Has(flags, "--headless")) << what;
      EXPECT_TRUE(Has(flags, channel == ControlChannel::kPipe ? "--remote-debugging-pipe"
                                                              : "--remote-debugging-port=0"))
          << what;
    }
  }
}

TEST(SandboxPolicy, ReadsTheProbesLine) {
  struct Case {
    const char* text;
    bool ok, root, userNamespaces, setuidHelper;
  };
  const Case cases[] = {
      {"root=0 userns=1 setuid=0\n", true, false, true, false},
      {"root=1 userns=0 setuid=1\n", true, true, false, true},
      {"root=0 userns=0 setuid=0", true, false, false, false},
      {"", false, false, true, false},
      {"root=1 userns=1\n", false, false, true, false},
      {"root=x userns=1 setuid=0\n", false, false, true, false},
      {"root=", false, false, true, false},
  };
  for (const Case& c : cases) {
    SandboxFacts facts;
    facts.wine = true;
    EXPECT_EQ(engine::ParseSandboxProbe(c.text, facts), c.ok) << c.text;
    // A line that is not the probe's changes nothing.
    EXPECT_TRUE(facts.wine) << c.text;
    EXPECT_EQ(facts.root, c.root) << c.text;
    EXPECT_EQ(facts.userNamespaces, c.userNamespaces) << c.text;
    EXPECT_EQ(facts.setuidHelper, c.setuidHelper) << c.text;
  }
}

// The probe on this machine agrees with what the Linux side says about the user and the
// kernel's switches.
TEST(SandboxPolicy, ProbeAnswersFromTheLinuxSide) {
  if (!engine_test::LinuxSide::Available()) GTEST_SKIP() << "no Linux side outside Wine";
  test_files::TempFolder folder(L"sandbox-probe");
  SandboxFacts facts;
  facts.wine = true;
  ASSERT_TRUE(engine::ProbeLinuxSandbox("/usr/bin/chromium", folder.Path(), 30000, facts));
  const std::string uid = engine_test::LinuxSide::Run("id -u");
  ASSERT_FALSE(uid.empty());
  EXPECT_EQ(facts.root, uid == "0\n");
  const std::string max = engine_test::LinuxSide::Run(
      "cat /proc/sys/user/max_user_namespaces 2>/dev/null || echo none");
  if (max == "0\n") {
    EXPECT_FALSE(facts.userNamespaces);
  }
  const std::string clone = engine_test::LinuxSide::Run(
      "cat /proc/sys/kernel/unprivileged_userns_clone 2>/dev/null || echo none");
  if (clone == "0\n") {
    EXPECT_FALSE(facts.userNamespaces);
  }
  if (max != "0\n" && clone != "0\n") {
    const std::string apparmor = engine_test::LinuxSide::Run(
        "cat /proc/sys/kernel/apparmor_restrict_unprivileged_userns 2>/dev/null || echo none");
    EXPECT_EQ(facts.userNamespaces, apparmor != "1\n");
  }
}

}  // namespace

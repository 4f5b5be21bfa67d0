// Pages keep the security policy their server gives them, and the native-call road still
// works inside it; downloads a page starts are refused and leave no file behind.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "engine/devtools_fixture.h"
#include "engine/linux_side.h"

using namespace engine_test;

namespace {

constexpr char kStrictPolicy[] = "default-src 'self'; script-src 'self'";

std::string PolicyHeader(const std::string& policy) {
  return "Content-Security-Policy: " + policy;
}

// Served as a file of the page's own origin: what the page could run and what the road
// answers, in the title.
constexpr char kRoadScript[] = R"JS(
(function () {
  const out = [];
  out.push('inline=' + (window.inlineRan === true));
  out.push('foreign=' + (window.foreignRan === true));
  let evalBlocked = 'no';
  try { (0, eval)('1'); } catch (x) { evalBlocked = 'yes'; }
  out.push('eval blocked=' + evalBlocked);
  out.push('twice=' + Host.twice(21));
  try { Host.fail(); out.push('no throw'); } catch (x) { out.push(x.message); }
  const kept = {a: 1};
  out.push('same=' + (Host.same(kept) === kept) + '/' + Host.same('s') + '/' + Host.same(null));
  out.push('global=' + (Host.global('document') === document));
  document.title = out.join(',');
})();
)JS";

struct PolicyCase {
  const char* policy;  // empty for none
  const char* expected;
};

class DevToolsPolicy : public DevToolsEngine, public ::testing::WithParamInterface<PolicyCase> {
 protected:
  std::string CrossOriginUrl(const std::string& path) const {
    return "http://localhost:" + std::to_string(server_.Port()) + path;
  }

  std::vector<std::string> PolicyHeaders(const std::string& policy) const {
    if (policy.empty()) return {};
    return {PolicyHeader(policy)};
  }

  void ServeScript(const std::string& path, const std::string& code) {
    server_.Set(path, {200, code, "", {"Content-Type: text/javascript; charset=utf-8"}});
  }
};

const PolicyCase kPolicyCases[] = {
    {kStrictPolicy,
     "inline=false,foreign=false,eval blocked=yes,twice=42,Invalid arguments.,"
     "same=true/s/null,global=true"},
    {"script-src 'self' 'unsafe-inline'; connect-src 'self'",
     "inline=true,foreign=false,eval blocked=yes,twice=42,Invalid arguments.,"
     "same=true/s/null,global=true"},
    // Without a policy everything runs: the page above tells the cases apart.
    {"",
     "inline=true,foreign=true,eval blocked=no,twice=42,Invalid arguments.,"
     "same=true/s/null,global=true"},
};

TEST_P(DevToolsPolicy, ThePagePolicyHoldsAndNativeFunctionsStillAnswer) {
  const PolicyCase& c = GetParam();
  server_.Set("/policy", {200,
                          "<html><head><title>policy</title>"
                          "<script>window.inlineRan = true;</script>"
                          "<script src=\"" +
                              CrossOriginUrl("/foreign.js") +
                              "\"></script>"
                              "<script src=\"/road.js\"></script></head><body></body></html>",
                          "", PolicyHeaders(c.policy)});
  ServeScript("/foreign.js", "window.foreignRan = true;");
  ServeScript("/road.js", kRoadScript);
  Open(server_.Url("/policy"));
  EXPECT_TRUE(WaitForTitle([](const std::string& t) { return t.rfind("inline=", 0) == 0; }))
      << LastTitle();
  EXPECT_EQ(LastTitle(), c.expected);
  // A script the policy refuses is never even fetched.
  EXPECT_EQ(server_.Requests("/foreign.js"),
            std::string(c.expected).find("foreign=true") != std::string::npos ? 1 : 0);
}

std::string PolicyCaseName(const ::testing::TestParamInfo<PolicyCase>& info) {
  static const char* const kNames[] = {"Strict", "InlineAllowed", "None"};
  return kNames[info.index];
}

INSTANTIATE_TEST_SUITE_P(Policies, DevToolsPolicy, ::testing::ValuesIn(kPolicyCases),
                         PolicyCaseName);

// Frames under their own policies tell the page what the road gave them. A frame of the
// page's origin reaches it; one of another origin runs in a renderer of its own that the
// engine does not reach, and has no native functions at all.
TEST_F(DevToolsEngine, FramesUnderAPolicyReachNativeFunctions) {
  const std::string other = "http://localhost:" + std::to_string(server_.Port());
  const std::string framePolicy = PolicyHeader(kStrictPolicy);
  server_.Set("/framed", {200,
                          "<html><head><title>framed</title></head><body>"
                          "<script src=\"/collect.js\"></script>"
                          "<iframe src=\"/frame\"></iframe>"
                          "<iframe src=\"" +
                              other + "/frame\"></iframe></body></html>",
                          "",
                          {PolicyHeader("default-src 'self' " + other + "; script-src 'self'")}});
  server_.Set(
      "/frame",
      {200, "<html><body><script src=\"/frame.js\"></script></body></html>", "", {framePolicy}});
  server_.Set("/collect.js",
              {200,
               "const got = {};\n"
               "addEventListener('message', (m) => {\n"
               "  got[m.data.host] = m.data.answer;\n"
               "  if (Object.keys(got).length === 2)\n"
               "    document.title = 'same ' + got['127.0.0.1'] + ' other ' + got.localhost;\n"
               "});\n",
               "",
               {"Content-Type: text/javascript"}});
  server_.Set("/frame.js",
              {200,
               "let answer;\n"
               "try { answer = String(Host.twice(8)); } catch (x) { answer = x.name; }\n"
               "parent.postMessage({host: location.hostname, answer: answer}, '*');\n",
               "",
               {"Content-Type: text/javascript"}});
  Open(server_.Url("/framed"));
  EXPECT_TRUE(WaitForTitle([](const std::string& t) { return t.rfind("same ", 0) == 0; }))
      << LastTitle();
  EXPECT_EQ(LastTitle(), "same 16 other ReferenceError");
}

// Arguments far larger than any page needs still pass the strict policy's road.
TEST_F(DevToolsEngine, EightMegabyteArgumentsPassUnderAPolicy) {
  server_.Set("/big", {200,
                       "<html><head><script src=\"/big.js\"></script></head></html>",
                       "",
                       {PolicyHeader(kStrictPolicy)}});
  server_.Set("/big.js", {200,
                          "document.title = 'size ' + Host.size('\\u4e2d' + 'x'.repeat(8 << 20));",
                          "",
                          {"Content-Type: text/javascript"}});
  Open(server_.Url("/big"));
  EXPECT_TRUE(WaitForTitle([](const std::string& t) { return t.rfind("size ", 0) == 0; }, 60000))
      << LastTitle();
  EXPECT_EQ(LastTitle(), "size " + std::to_string((8 << 20) + 1));
}

}  // namespace

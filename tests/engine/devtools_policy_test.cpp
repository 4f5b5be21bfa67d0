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

// A name no earlier run can have left behind.
std::string UniqueName(const std::string& what) {
  return "refused-download-" + std::to_string(GetCurrentProcessId()) + "-" +
         std::to_string(GetTickCount()) + "-" + what;
}

// The files whose name holds the token in the browser's profile, the default downloads
// folder and the home folder of the Linux side.
std::string FilesNamed(const std::string& token, const std::wstring& profile) {
  return LinuxSide::Run(
      "t=$1; shift; for d in \"$@\" \"${XDG_DOWNLOAD_DIR:-$HOME/Downloads}\" "
      "\"$HOME/Downloads\" \"$HOME\"; do [ -d \"$d\" ] && find \"$d\" -maxdepth 4 -name \"*$t*\"; "
      "done; true",
      {token, LinuxSide::UnixPath(profile)});
}

struct DownloadCase {
  const char* link;  // the element the page clicks
  bool attachment;   // served as an attachment rather than named by the link
};

const DownloadCase kDownloadCases[] = {{"attachment", true}, {"named", false}};

// Downloads a page starts are refused by the browser: no file is written, and the page
// goes on as it was.
TEST_F(DevToolsEngine, DownloadsArePageRefusedAndWriteNoFile) {
  if (!LinuxSide::Available()) GTEST_SKIP() << "the folders are searched on the Linux side";
  const std::string token = UniqueName("file");
  server_.Set("/downloads", {200,
                             "<html><head><title>downloads</title></head><body>"
                             "<a id=attachment href=\"/attachment\">attachment</a>"
                             "<a id=named href=\"/plain\" download=\"" +
                                 token + "-named.txt\">named</a></body></html>",
                             ""});
  server_.Set("/attachment",
              {200,
               "attached bytes",
               "",
               {"Content-Type: application/octet-stream",
                "Content-Disposition: attachment; filename=\"" + token + "-attachment.bin\""}});
  server_.Set("/plain", {200, "plain bytes", "", {"Content-Type: text/plain"}});
  Open(server_.Url("/downloads"));
  ASSERT_TRUE(WaitForLoadEnd(server_.Url("/downloads") + "|200"));
  CefRefPtr<CefFrame> frame = client_->Browser()->GetMainFrame();
  frame->ExecuteJavaScript("window.marker = 'kept';", "", 0);
  int refused = 0;
  for (const DownloadCase& c : kDownloadCases) {
    SCOPED_TRACE(c.link);
    const std::string path = c.attachment ? "/attachment" : "/plain";
    frame->ExecuteJavaScript("document.getElementById('" + std::string(c.link) + "').click();", "",
                             0);
    ASSERT_TRUE(WaitFor([&] { return server_.Requests(path) == 1; })) << "never asked for";
    ASSERT_TRUE(WaitFor([&] { return backend_->RefusedDownloads() == refused + 1; }, 30000))
        << "the download was not refused";
    ++refused;
    EXPECT_EQ(FilesNamed(token, backend_->ProfileFolder()), "");
    // The same document, still answering.
    frame->ExecuteJavaScript(
        "document.title = window.marker + ' ' + Host.twice(" + std::to_string(refused) + ");", "",
        0);
    EXPECT_TRUE(WaitForTitle([&](const std::string& t) {
      return t == "kept " + std::to_string(2 * refused);
    })) << LastTitle();
  }
  // A navigation that turned into a download is reported aborted, as it is in a browser;
  // the page it would have left stays.
  for (const Event& e : log_.Named("OnLoadError")) {
    EXPECT_EQ(e.detail, server_.Url("/attachment") + "|" + std::to_string(ERR_ABORTED));
  }
}

}  // namespace

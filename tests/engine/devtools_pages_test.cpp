// Pages on a real browser over the DevTools protocol, against a local server: loading,
// navigation, popups, dialogs, messages, history, script contexts and sound.

#include <gtest/gtest.h>

#include <winsock2.h>

#include "engine/devtools_fixture.h"

using namespace engine_test;

namespace {

// A port nothing listens on: one the system just handed out and took back.
int ClosedPort() {
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = inet_addr("127.0.0.1");
  bind(s, reinterpret_cast<sockaddr*>(&address), sizeof(address));
  int size = sizeof(address);
  getsockname(s, reinterpret_cast<sockaddr*>(&address), &size);
  closesocket(s);
  return ntohs(address.sin_port);
}

TEST_F(DevToolsEngine, PagesLoadWithTheirStatus) {
  server_.Set("/missing", {404, "<html><title>gone</title>missing</html>", ""});
  Open(server_.Url("/ok"));
  ASSERT_TRUE(WaitForLoadEnd(server_.Url("/ok") + "|200"));
  client_->Browser()->GetMainFrame()->LoadURL(server_.Url("/missing"));
  ASSERT_TRUE(WaitForLoadEnd(server_.Url("/missing") + "|404"));
  EXPECT_TRUE(WaitForTitle([](const std::string& t) { return t == "gone"; }));
  auto order = log_.Sequence({"OnAddressChange", "OnLoadStart", "OnLoadEnd"});
  ASSERT_GE(order.size(), 3u);
  EXPECT_EQ(order[0], "OnAddressChange");
  EXPECT_EQ(order[1], "OnLoadStart");
  EXPECT_EQ(order[2], "OnLoadEnd");
}

TEST_F(DevToolsEngine, CancelledNavigationsLeaveTheOldPage) {
  server_.Set("/start", {200,
                         "<html><title>start</title><a id=l href='/blocked-link'>x</a>"
                         "<form id=f method=post action='/blocked-form'></form></html>",
                         ""});
  server_.Set("/hop", {302, "", "/blocked-redirect"});
  client_->cancelNavigation = [](const std::string& url, bool) {
    return url.find("blocked") != std::string::npos;
  };
  Open(server_.Url("/start"));
  ASSERT_TRUE(WaitForLoadEnd(server_.Url("/start") + "|200"));
  CefRefPtr<CefFrame> frame = client_->Browser()->GetMainFrame();
  frame->ExecuteJavaScript("document.getElementById('l').click()", "", 0);
  ASSERT_TRUE(WaitFor([&] { return log_.Count("OnBeforeBrowse") >= 2; }));
  frame->ExecuteJavaScript("document.getElementById('f').submit()", "", 0);
  ASSERT_TRUE(WaitFor([&] { return log_.Count("OnBeforeBrowse") >= 3; }));
  frame->LoadURL(server_.Url("/hop"));
  ASSERT_TRUE(WaitFor([&] {
    for (const Event& e : log_.Named("OnBeforeBrowse")) {
      if (e.detail == server_.Url("/blocked-redirect") + "|redirect|main") return true;
    }
    return false;
  }));
  Sleep(500);
  EXPECT_EQ(server_.Requests("/blocked-link"), 0);
  EXPECT_EQ(server_.Requests("/blocked-form"), 0);
  EXPECT_EQ(server_.Requests("/blocked-redirect"), 0);
  EXPECT_EQ(server_.Requests("/hop"), 1);
  EXPECT_EQ(frame->GetURL().ToString(), server_.Url("/start"));
  EXPECT_EQ(log_.Count("OnLoadEnd"), 1u);
}

TEST_F(DevToolsEngine, PopupsAreAskedAboutAndSeeNoRequest) {
  server_.Set("/opener", {200,
                          "<html><title>opener</title><a id=b target=_blank href='/popup-b'>b</a>"
                          "<script>window.open('/popup-a', 'named');</script></html>",
                          ""});
  Open(server_.Url("/opener"));
  ASSERT_TRUE(WaitForLoadEnd(server_.Url("/opener") + "|200"));
  client_->Browser()->GetMainFrame()->ExecuteJavaScript("document.getElementById('b').click()", "",
                                                        0);
  ASSERT_TRUE(WaitFor([&] { return log_.Count("OnBeforePopup") >= 2; }));
  Sleep(1000);
  auto popups = log_.Named("OnBeforePopup");
  EXPECT_EQ(popups[0].detail, server_.Url("/popup-a") + "|named|no gesture|main");
  EXPECT_EQ(popups[1].detail.rfind(server_.Url("/popup-b") + "|", 0), 0u) << popups[1].detail;
  EXPECT_EQ(server_.Requests("/popup-a"), 0);
  EXPECT_EQ(server_.Requests("/popup-b"), 0);
  EXPECT_EQ(log_.Count("OnAfterCreated"), 1u);
}

TEST_F(DevToolsEngine, DialogsReachTheHandlerAndNativeFunctionsAnswer) {
  client_->dialogAnswer = [](CefRefPtr<CefJSDialogCallback> callback, bool&) {
    callback->Continue(true, "typed");
    return true;
  };
  server_.Set(
      "/script",
      {200,
       "<html><script>"
       "alert('a'); var ok = confirm('c'); var said = prompt('p', 'd');"
       "var r = Host.twice(21); var e = ''; try { Host.fail(); } catch (x) { e = x.message; }"
       "document.title = [ok, said, r, e].join(',');"
       "</script></html>",
       ""});
  Open(server_.Url("/script"));
  ASSERT_TRUE(WaitForTitle([](const std::string& t) {
    return t == "true,typed,42,Invalid arguments.";
  })) << LastTitle();
  auto dialogs = log_.Named("OnJSDialog");
  ASSERT_EQ(dialogs.size(), 3u);
  EXPECT_EQ(dialogs[0].detail.substr(0, 4), "0|a|");
  EXPECT_EQ(dialogs[2].detail.substr(0, 6), "2|p|d|");
}

TEST_F(DevToolsEngine, ProcessMessagesMakeTheRoundTrip) {
  Open(server_.Url("/messages"));
  ASSERT_TRUE(WaitForLoadEnd(server_.Url("/messages") + "|200"));
  app_->onRendererMessage = [](CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame>,
                               CefRefPtr<CefProcessMessage> message) {
    CefRefPtr<CefProcessMessage> reply = CefProcessMessage::Create("pong");
    reply->GetArgumentList()->SetInt(0, message->GetArgumentList()->GetInt(0) + 1);
    browser->GetMainFrame()->SendProcessMessage(PID_BROWSER, reply);
  };
  std::atomic<int> got{0};
  client_->onMessage = [&](CefRefPtr<CefBrowser>, CefRefPtr<CefProcessMessage> m) {
    got = m->GetArgumentList()->GetInt(0);
  };
  CefRefPtr<CefProcessMessage> ping = CefProcessMessage::Create("ping");
  ping->GetArgumentList()->SetInt(0, 6);
  client_->Browser()->GetMainFrame()->SendProcessMessage(PID_RENDERER, ping);
  ASSERT_TRUE(WaitFor([&] { return got.load() == 7; }));
}

TEST_F(DevToolsEngine, ShutdownEndsTheBrowser) {
  Open(server_.Url("/bye"));
  ASSERT_TRUE(WaitForLoadEnd(server_.Url("/bye") + "|200"));
  const int port = backend_->Port();
  CefShutdown();
  EXPECT_EQ(log_.Count("OnBeforeClose"), 1u);
  // Nothing listens on the browser's DevTools port any more.
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<u_short>(port));
  address.sin_addr.s_addr = inet_addr("127.0.0.1");
  EXPECT_NE(connect(s, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
  closesocket(s);
}

TEST_F(DevToolsEngine, PageStringsOfAnySizeAndEncodingPassThrough) {
  server_.Set("/strings",
              {200,
               "<html><script>"
               "const big = 'x'.repeat(200000) + '\\ud800' + '\u4e2d';"
               "document.title = 'n=' + Host.size(big) + ' ' + 'y'.repeat(300000) + '\\udc00';"
               "</script></html>",
               ""});
  Open(server_.Url("/strings"));
  ASSERT_TRUE(WaitForTitle([](const std::string& t) { return t.rfind("n=", 0) == 0; }));
  const std::string title = LastTitle();
  EXPECT_EQ(title.substr(0, 9), "n=200002 ");
  EXPECT_EQ(title.size(), 9u + 300000u + 3u) << "the lone surrogate arrives as U+FFFD";
}

TEST_F(DevToolsEngine, ABrowserThatGoesAwayEndsItsPages) {
  Open(server_.Url("/doomed"));
  ASSERT_TRUE(WaitForLoadEnd(server_.Url("/doomed") + "|200"));
  ASSERT_TRUE(backend_->SendRaw(R"({"id": 424242, "method": "Browser.close"})"));
  // A loaded machine can take a while to close a browser.
  ASSERT_TRUE(WaitFor([&] { return log_.Count("OnRenderProcessTerminated") == 1; }, 40000));
  // The page's target may be reported gone before the connection is.
  const std::string status = log_.Named("OnRenderProcessTerminated")[0].detail;
  EXPECT_TRUE(status == std::to_string(TS_PROCESS_CRASHED) ||
              status == std::to_string(TS_PROCESS_WAS_KILLED))
      << status;
  client_->Browser()->GetMainFrame()->LoadURL(server_.Url("/after"));
  Sleep(300);
  EXPECT_EQ(server_.Requests("/after"), 0);
}

TEST_F(DevToolsEngine, HistoryErrorsConsoleAndContexts) {
  Open(server_.Url("/first"));
  ASSERT_TRUE(WaitForLoadEnd(server_.Url("/first") + "|200"));
  CefRefPtr<CefBrowser> browser = client_->Browser();
  browser->GetMainFrame()->LoadURL(server_.Url("/second"));
  ASSERT_TRUE(WaitForLoadEnd(server_.Url("/second") + "|200"));
  ASSERT_TRUE(WaitFor([&] { return !browser->IsLoading() && browser->CanGoBack(); }));
  EXPECT_FALSE(browser->CanGoForward());
  browser->GoBack();
  ASSERT_TRUE(WaitFor([&] { return log_.Count("OnLoadEnd") == 3; }));
  EXPECT_EQ(log_.Named("OnLoadEnd").back().detail, server_.Url("/first") + "|200");
  ASSERT_TRUE(WaitFor([&] { return !browser->IsLoading() && browser->CanGoForward(); }));
  browser->GoForward();
  ASSERT_TRUE(WaitFor([&] { return log_.Count("OnLoadEnd") == 4; }));
  EXPECT_EQ(log_.Named("OnLoadEnd").back().detail, server_.Url("/second") + "|200");
  browser->Reload();
  ASSERT_TRUE(WaitFor([&] { return log_.Count("OnLoadEnd") == 5; }));
  EXPECT_EQ(server_.Requests("/second"), 3);
  // Each document's context went when the next one came.
  ASSERT_TRUE(WaitFor([&] { return log_.Count("OnContextReleased") >= 4; }));

  browser->GetMainFrame()->ExecuteJavaScript("console.warn('careful', 42)", "", 0);
  ASSERT_TRUE(WaitFor([&] { return log_.Count("OnConsoleMessage") == 1; }));
  EXPECT_EQ(log_.Named("OnConsoleMessage")[0].detail,
            std::to_string(LOGSEVERITY_WARNING) + "|careful 42");

  const std::string refused = "http://127.0.0.1:" + std::to_string(ClosedPort()) + "/";
  browser->GetMainFrame()->LoadURL(refused);
  ASSERT_TRUE(WaitFor([&] { return log_.Count("OnLoadError") == 1; }));
  EXPECT_EQ(log_.Named("OnLoadError")[0].detail,
            refused + "|" + std::to_string(ERR_CONNECTION_REFUSED));
}

TEST_F(DevToolsEngine, TheHostCallsAPageFunctionLater) {
  server_.Set("/later", {200,
                         "<html><script>Host.later((failed, answer) => {"
                         " document.title = failed + ':' + answer.message; });</script></html>",
                         ""});
  // On the renderer side, a message makes the kept page function run with a parsed answer.
  app_->onRendererMessage = [this](CefRefPtr<CefBrowser>, CefRefPtr<CefFrame>,
                                   CefRefPtr<CefProcessMessage>) {
    if (!kept_ || !keptContext_) return;
    keptContext_->Enter();
    CefRefPtr<CefV8Value> parse = keptContext_->GetGlobal()->GetValue("JSON")->GetValue("parse");
    CefRefPtr<CefV8Value> answer =
        parse->ExecuteFunction(nullptr, {CefV8Value::CreateString("{\"message\":\"done\"}")});
    kept_->ExecuteFunction(nullptr, {CefV8Value::CreateBool(false), answer});
    keptContext_->Exit();
  };
  Open(server_.Url("/later"));
  ASSERT_TRUE(WaitForLoadEnd(server_.Url("/later") + "|200"));
  client_->Browser()->GetMainFrame()->SendProcessMessage(PID_RENDERER,
                                                         CefProcessMessage::Create("answer"));
  EXPECT_TRUE(WaitForTitle([](const std::string& t) { return t == "false:done"; })) << LastTitle();
}

TEST_F(DevToolsEngine, AMutedPageReportsItsMediaMuted) {
  server_.Set("/media", {200,
                         "<html><body><video id=v></video><script>"
                         "setInterval(() => document.title = 'muted ' + "
                         "document.getElementById('v').muted, 50);"
                         "</script></body></html>",
                         ""});
  Open(server_.Url("/media"));
  ASSERT_TRUE(WaitForLoadEnd(server_.Url("/media") + "|200"));
  ASSERT_TRUE(WaitForTitle([](const std::string& t) { return t == "muted false"; }));
  client_->Browser()->GetHost()->SetAudioMuted(true);
  EXPECT_TRUE(client_->Browser()->GetHost()->IsAudioMuted());
  EXPECT_TRUE(WaitForTitle([](const std::string& t) { return t == "muted true"; })) << LastTitle();
  client_->Browser()->GetHost()->SetAudioMuted(false);
  EXPECT_TRUE(WaitForTitle([](const std::string& t) { return t == "muted false"; })) << LastTitle();
}

}  // namespace

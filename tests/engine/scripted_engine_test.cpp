// The engine's contract, shown on the scripted backend: which callback runs on which thread
// with which arguments, in which order.

#include <gtest/gtest.h>

#include <memory>
#include <thread>

#include "engine/cef/cef_app.h"
#include "engine/core/engine_core.h"
#include "engine/recording_client.h"
#include "engine/scripted/scripted_backend.h"

using engine::ScriptedBackend;
using namespace engine_test;

namespace {

const char kExtensionCode[] =
    "var Calc = {};\n"
    "(() => {\n"
    "  Calc.add = (a, b) => { native function add(a, b); return add(a, b); };\n"
    "  Calc.fail = () => { native function fail(); return fail(); };\n"
    "  Calc.later = (f) => { native function later(f); return later(f); };\n"
    "})();\n";

class ScriptedEngine : public ::testing::Test {
 protected:
  void SetUp() override {
    handler_ = new FunctionHandler();
    handler_->Add("add", [](const CefV8ValueList& args, CefRefPtr<CefV8Value>& ret, CefString&) {
      ret = CefV8Value::CreateInt(args[0]->GetIntValue() + args[1]->GetIntValue());
      return true;
    });
    handler_->Add("fail", [](const CefV8ValueList&, CefRefPtr<CefV8Value>&, CefString& exc) {
      exc = "Invalid arguments.";
      return false;
    });
    backend_ = std::make_shared<ScriptedBackend>();
    app_ = new RecordingApp(log_, {{"v8/calc", kExtensionCode, handler_.get()}});
    app_->switchesToAdd = {{"process-per-site", ""}, {"force-device-scale-factor", "1"}};
    engine::UseBackend(backend_);
    testThread_ = GetCurrentThreadId();
    ASSERT_TRUE(
        CefInitialize(CefMainArgs(GetModuleHandleW(nullptr)), ZeroSettings(), app_.get(), nullptr));
    client_ = new RecordingClient(log_);
  }

  void TearDown() override {
    CefShutdown();
    engine::UseBackend(nullptr);
  }

  // Creates a top-level browser and waits until it exists; its identifier.
  int CreateBrowser(const std::string& url = std::string()) {
    EXPECT_TRUE(OpenTopLevelBrowser(client_, url));
    EXPECT_TRUE(backend_->Settle());
    auto created = log_.Named("OnAfterCreated");
    if (!created.empty()) uiThread_ = created[0].thread;
    return client_->BrowserId();
  }

  DWORD UiThread() const { return uiThread_; }

  EventLog log_;
  DWORD testThread_ = 0;
  DWORD uiThread_ = 0;
  CefRefPtr<FunctionHandler> handler_;
  std::shared_ptr<ScriptedBackend> backend_;
  CefRefPtr<RecordingApp> app_;
  CefRefPtr<RecordingClient> client_;
};

const std::vector<std::string> kLoadEvents = {
    "OnBeforeBrowse", "OnLoadingStateChange", "OnAddressChange", "OnLoadStart", "OnTitleChange",
    "OnLoadEnd",      "OnLoadError"};

TEST_F(ScriptedEngine, StartUpRunsTheApplicationOnItsThreads) {
  EXPECT_EQ(CefExecuteProcess(CefMainArgs(), app_.get(), nullptr), -1);
  ASSERT_TRUE(backend_->Settle());
  auto commandLine = log_.Named("OnBeforeCommandLineProcessing");
  ASSERT_EQ(commandLine.size(), 1u);
  EXPECT_EQ(commandLine[0].detail, "") << "the browser process has an empty process type";
  EXPECT_EQ(commandLine[0].thread, testThread_);
  EXPECT_EQ(log_.Named("OnRegisterCustomSchemes")[0].thread, testThread_);
  const std::vector<std::wstring> switches = {L"--process-per-site",
                                              L"--force-device-scale-factor=1"};
  EXPECT_EQ(backend_->Options().extraSwitches, switches);

  auto context = log_.Named("OnContextInitialized");
  auto webKit = log_.Named("OnWebKitInitialized");
  ASSERT_EQ(context.size(), 1u);
  ASSERT_EQ(webKit.size(), 1u);
  EXPECT_NE(context[0].thread, testThread_);
  EXPECT_NE(webKit[0].thread, testThread_);
  EXPECT_NE(context[0].thread, webKit[0].thread) << "browser and renderer sides share a thread";
  EXPECT_TRUE(app_->extensionsRegistered);
  EXPECT_FALSE(CefInitialize(CefMainArgs(), ZeroSettings(), app_.get(), nullptr))
      << "a second start must be refused";
}

TEST_F(ScriptedEngine, ExtensionsRegisterOnlyOnTheRendererThread) {
  EXPECT_FALSE(CefRegisterExtension("v8/late", "var x = 1;", nullptr));
}

TEST_F(ScriptedEngine, BrowserCreationReportsOnBothSidesThenLoads) {
  const int id = CreateBrowser("http://site.test/start");
  ASSERT_NE(id, 0);
  auto created = log_.Named("OnAfterCreated");
  auto rendererCreated = log_.Named("OnBrowserCreated");
  ASSERT_EQ(created.size(), 1u);
  ASSERT_EQ(rendererCreated.size(), 1u);
  EXPECT_EQ(created[0].thread, log_.Named("OnContextInitialized")[0].thread);
  EXPECT_EQ(rendererCreated[0].thread, log_.Named("OnWebKitInitialized")[0].thread);
  EXPECT_EQ(rendererCreated[0].detail, std::to_string(id));
  EXPECT_EQ(log_.Named("OnLoadEnd")[0].detail, "http://site.test/start|200");
  EXPECT_NE(client_->Browser()->GetHost()->GetWindowHandle(), nullptr);
}

struct LoadCase {
  const char* name;
  ScriptedBackend::Page page;
  std::vector<std::string> sequence;
  std::string lastEventDetail;
};

class LoadOrder : public ScriptedEngine, public ::testing::WithParamInterface<LoadCase> {};

TEST_P(LoadOrder, NotificationsComeInTheEngineOrderOnTheUiThread) {
  const LoadCase& c = GetParam();
  const int id = CreateBrowser();
  backend_->SetPage("http://site.test/page", c.page);
  log_.Clear();
  client_->Browser()->GetMainFrame()->LoadURL("http://site.test/page");
  ASSERT_TRUE(WaitFor([&] { return log_.Count("OnLoadingStateChange") == 2; }));
  ASSERT_TRUE(backend_->Settle());
  EXPECT_EQ(log_.Sequence(kLoadEvents), c.sequence);
  for (const Event& e : log_.All()) {
    if (e.what.rfind("On", 0) == 0 && e.what != "OnContextCreated" &&
        e.what != "OnContextReleased") {
      EXPECT_EQ(e.thread, UiThread()) << e.what;
    }
  }
  auto last = log_.Named(c.sequence[c.sequence.size() - 2]);
  EXPECT_EQ(last.back().detail, c.lastEventDetail);
  EXPECT_FALSE(client_->Browser()->IsLoading());
  (void)id;
}

const std::vector<std::string> kLoaded = {
    "OnBeforeBrowse", "OnLoadingStateChange", "OnAddressChange", "OnLoadStart", "OnTitleChange",
    "OnLoadEnd",      "OnLoadingStateChange"};
const std::vector<std::string> kFailed = {"OnBeforeBrowse", "OnLoadingStateChange", "OnLoadError",
                                          "OnLoadingStateChange"};

INSTANTIATE_TEST_SUITE_P(
    Pages, LoadOrder,
    ::testing::Values(
        LoadCase{"ok", {200, "Hello", "", ERR_NONE}, kLoaded, "http://site.test/page|200"},
        LoadCase{"missing", {404, "", "", ERR_NONE}, kLoaded, "http://site.test/page|404"},
        LoadCase{
            "refused", {0, "", "", ERR_CONNECTION_REFUSED}, kFailed, "http://site.test/page|-102"}),
    [](const ::testing::TestParamInfo<LoadCase>& info) { return std::string(info.param.name); });

struct NavigationCase {
  const char* name;
  cef_transition_type_t cause;
  bool viaRedirect;  // the page goes to a redirecting address that leads to the target
};

class NavigationApproval : public ScriptedEngine,
                           public ::testing::WithParamInterface<NavigationCase> {};

TEST_P(NavigationApproval, CancelLeavesTheOldPageAndTheTargetUnasked) {
  const NavigationCase& c = GetParam();
  const int id = CreateBrowser("http://site.test/old");
  backend_->SetPage("http://site.test/hop", {302, "", "http://site.test/blocked", ERR_NONE});
  client_->cancelNavigation = [](const std::string& url, bool) {
    return url.find("blocked") != std::string::npos;
  };
  log_.Clear();
  const std::string start = c.viaRedirect ? "http://site.test/hop" : "http://site.test/blocked";
  ASSERT_TRUE(backend_->Navigate(id, start, c.cause));
  ASSERT_TRUE(backend_->Settle());
  EXPECT_EQ(backend_->RequestsFor("http://site.test/blocked"), 0);
  EXPECT_EQ(client_->Browser()->GetMainFrame()->GetURL().ToString(), "http://site.test/old");
  EXPECT_EQ(log_.Count("OnLoadStart"), 0u);
  EXPECT_EQ(log_.Count("OnAddressChange"), 0u);
  auto asked = log_.Named("OnBeforeBrowse");
  ASSERT_FALSE(asked.empty());
  EXPECT_EQ(asked.back().detail, std::string("http://site.test/blocked|") +
                                     (c.viaRedirect ? "redirect" : "first") + "|main");
  EXPECT_EQ(asked.back().thread, UiThread());

  // Allowed, the same navigation goes through.
  client_->cancelNavigation = nullptr;
  log_.Clear();
  ASSERT_TRUE(backend_->Navigate(id, start, c.cause));
  EXPECT_EQ(backend_->RequestsFor("http://site.test/blocked"), 1);
  EXPECT_EQ(client_->Browser()->GetMainFrame()->GetURL().ToString(), "http://site.test/blocked");
  EXPECT_EQ(log_.Named("OnLoadEnd").back().detail, "http://site.test/blocked|200");
}

INSTANTIATE_TEST_SUITE_P(Causes, NavigationApproval,
                         ::testing::Values(NavigationCase{"link", TT_LINK, false},
                                           NavigationCase{"form", TT_FORM_SUBMIT, false},
                                           NavigationCase{"redirect", TT_LINK, true}),
                         [](const ::testing::TestParamInfo<NavigationCase>& info) {
                           return std::string(info.param.name);
                         });

TEST_F(ScriptedEngine, HistoryGoesBackAndForwardThroughApproval) {
  const int id = CreateBrowser("http://site.test/a");
  ASSERT_TRUE(backend_->Navigate(id, "http://site.test/b", TT_LINK));
  CefRefPtr<CefBrowser> browser = client_->Browser();
  EXPECT_TRUE(browser->CanGoBack());
  EXPECT_FALSE(browser->CanGoForward());
  log_.Clear();
  browser->GoBack();
  ASSERT_TRUE(WaitFor([&] { return log_.Count("OnLoadEnd") == 1; }));
  ASSERT_TRUE(backend_->Settle());
  EXPECT_EQ(log_.Named("OnBeforeBrowse")[0].detail, "http://site.test/a|first|main");
  EXPECT_EQ(browser->GetMainFrame()->GetURL().ToString(), "http://site.test/a");
  EXPECT_FALSE(browser->CanGoBack());
  EXPECT_TRUE(browser->CanGoForward());
  browser->GoForward();
  ASSERT_TRUE(WaitFor([&] { return log_.Count("OnLoadEnd") == 2; }));
  EXPECT_EQ(browser->GetMainFrame()->GetURL().ToString(), "http://site.test/b");
}

TEST_F(ScriptedEngine, PopupsAreAskedAboutAndNeverLoaded) {
  const int id = CreateBrowser("http://site.test/opener");
  for (bool gesture : {true, false}) {
    ASSERT_TRUE(backend_->OpenPopup(id, "http://popup.test/x", "win", gesture));
  }
  auto popups = log_.Named("OnBeforePopup");
  ASSERT_EQ(popups.size(), 2u);
  EXPECT_EQ(popups[0].detail, "http://popup.test/x|win|gesture|main");
  EXPECT_EQ(popups[1].detail, "http://popup.test/x|win|no gesture|main");
  EXPECT_EQ(popups[0].thread, UiThread());
  ASSERT_TRUE(backend_->Settle());
  EXPECT_EQ(backend_->RequestsFor("http://popup.test/x"), 0);
  EXPECT_EQ(log_.Count("OnAfterCreated"), 1u) << "no second browser";
}

TEST_F(ScriptedEngine, DialogsAreDecidedByTheHandler) {
  const int id = CreateBrowser("http://site.test/d");
  // Suppressed (the default of the recording client): dismissed at once.
  auto suppressed = backend_->ShowDialog(id, JSDIALOGTYPE_ALERT, "hi", "");
  EXPECT_TRUE(suppressed.answered);
  EXPECT_FALSE(suppressed.accepted);
  // Answered later, from another thread.
  client_->dialogAnswer = [](CefRefPtr<CefJSDialogCallback> callback, bool&) {
    std::thread([callback] {
      Sleep(20);
      callback->Continue(true, "typed");
      callback->Continue(false, "ignored second answer");
    }).detach();
    return true;
  };
  auto prompt = backend_->ShowDialog(id, JSDIALOGTYPE_PROMPT, "name?", "default");
  EXPECT_TRUE(prompt.answered);
  EXPECT_TRUE(prompt.accepted);
  EXPECT_EQ(prompt.input, "typed");
  auto asked = log_.Named("OnJSDialog");
  ASSERT_EQ(asked.size(), 2u);
  EXPECT_EQ(asked[1].detail, "2|name?|default|http://site.test/d");
  EXPECT_EQ(asked[1].thread, UiThread());
}

TEST_F(ScriptedEngine, TitleConsoleContextMenuAndCrashReachTheirHandlers) {
  const int id = CreateBrowser("http://site.test/t");
  ASSERT_TRUE(backend_->SetTitle(id, "New \xE6\xA0\x87\xE9\xA2\x98"));
  EXPECT_EQ(log_.Named("OnTitleChange").back().detail, "New \xE6\xA0\x87\xE9\xA2\x98");
  log_.Clear();
  ASSERT_TRUE(backend_->NavigateInDocument(id, "http://site.test/t#part"));
  EXPECT_EQ(log_.Sequence({}), (std::vector<std::string>{"OnAddressChange"}))
      << "a same-document navigation only changes the address";
  EXPECT_EQ(client_->Browser()->GetMainFrame()->GetURL().ToString(), "http://site.test/t#part");
  ASSERT_TRUE(backend_->Console(id, LOGSEVERITY_WARNING, "careful"));
  EXPECT_EQ(log_.Named("OnConsoleMessage").back().detail,
            std::to_string(LOGSEVERITY_WARNING) + "|careful");
  CefContextMenuParams::Data params;
  params.typeFlags = CM_TYPEFLAG_PAGE;
  client_->clearMenu = true;
  EXPECT_TRUE(backend_->ContextMenu(id, params, {1, 2, 3}).empty());
  client_->clearMenu = false;
  EXPECT_EQ(backend_->ContextMenu(id, params, {1, 2}), (std::vector<int>{1, 2}));

  ASSERT_TRUE(backend_->Crash(id, TS_PROCESS_CRASHED));
  ASSERT_TRUE(backend_->Settle());
  EXPECT_EQ(log_.Named("OnRenderProcessTerminated").back().detail,
            std::to_string(TS_PROCESS_CRASHED));
  EXPECT_EQ(log_.Count("OnContextReleased"), 1u);
  EXPECT_FALSE(backend_->CallNative(id, "add", {}).handled) << "no document after the crash";
}

TEST_F(ScriptedEngine, ProcessMessagesTravelBothWays) {
  const int id = CreateBrowser("http://site.test/m");
  // The renderer answers "ping" with "pong" carrying the arguments back.
  app_->onRendererMessage = [](CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame>,
                               CefRefPtr<CefProcessMessage> message) {
    if (message->GetName() != CefString("ping")) return;
    CefRefPtr<CefProcessMessage> reply = CefProcessMessage::Create("pong");
    reply->GetArgumentList()->SetInt(0, message->GetArgumentList()->GetInt(0) + 1);
    reply->GetArgumentList()->SetString(1, message->GetArgumentList()->GetString(1));
    browser->GetMainFrame()->SendProcessMessage(PID_BROWSER, reply);
  };
  std::atomic<int> number{0};
  std::string text;
  client_->onMessage = [&](CefRefPtr<CefBrowser>, CefRefPtr<CefProcessMessage> m) {
    text = m->GetArgumentList()->GetString(1).ToString();
    number = m->GetArgumentList()->GetInt(0);
  };
  CefRefPtr<CefProcessMessage> ping = CefProcessMessage::Create("ping");
  ping->GetArgumentList()->SetInt(0, 41);
  ping->GetArgumentList()->SetString(1, "\xF0\x9F\x98\x80 text");
  client_->Browser()->GetMainFrame()->SendProcessMessage(PID_RENDERER, ping);
  ping->GetArgumentList()->SetInt(0, 0);  // the sent message was a copy
  ASSERT_TRUE(WaitFor([&] { return number.load() != 0; }));
  EXPECT_EQ(number.load(), 42);
  EXPECT_EQ(text, "\xF0\x9F\x98\x80 text");
  auto atRenderer = log_.Named("RendererMessage");
  auto atBrowser = log_.Named("OnProcessMessageReceived");
  ASSERT_EQ(atRenderer.size(), 1u);
  ASSERT_EQ(atBrowser.size(), 1u);
  EXPECT_EQ(atRenderer[0].detail, "ping|browser");
  EXPECT_EQ(atBrowser[0].detail, "pong|renderer");
  EXPECT_EQ(atRenderer[0].thread, log_.Named("OnWebKitInitialized")[0].thread);
  EXPECT_EQ(atBrowser[0].thread, UiThread());
  (void)id;
}

TEST_F(ScriptedEngine, NativeFunctionsReturnAndThrowOnTheRendererThread) {
  const int id = CreateBrowser("http://site.test/v8");
  DWORD ranOn = 0;
  bool hadContext = false;
  handler_->Add("later", [&](const CefV8ValueList& args, CefRefPtr<CefV8Value>& ret, CefString&) {
    ranOn = GetCurrentThreadId();
    CefRefPtr<CefV8Context> context = CefV8Context::GetCurrentContext();
    hadContext = context && context->IsValid() && context->GetFrame()->IsMain();
    // Calls the page's function with JSON.parse's result, as a bridge does.
    CefRefPtr<CefV8Value> parse = context->GetGlobal()->GetValue("JSON")->GetValue("parse");
    CefRefPtr<CefV8Value> parsed =
        parse->ExecuteFunction(nullptr, {CefV8Value::CreateString("{\"message\":\"ok\"}")});
    ret = args[0]->ExecuteFunction(nullptr, {CefV8Value::CreateBool(false), parsed});
    return true;
  });
  auto sum = backend_->CallNative(id, "add", {CefV8Value::CreateInt(2), CefV8Value::CreateInt(3)});
  EXPECT_TRUE(sum.handled);
  ASSERT_TRUE(sum.value);
  EXPECT_EQ(sum.value->GetIntValue(), 5);
  EXPECT_TRUE(sum.exception.empty());

  auto failed = backend_->CallNative(id, "fail", {});
  EXPECT_FALSE(failed.handled);
  EXPECT_EQ(failed.exception.ToString(), "Invalid arguments.");

  // A page function handed to the native side and called back with two arguments.
  auto pageFunction = std::make_shared<FunctionHandler>();
  std::string seen;
  CefRefPtr<FunctionHandler> callbackHandler = new FunctionHandler();
  callbackHandler->Add("cb",
                       [&](const CefV8ValueList& args, CefRefPtr<CefV8Value>& ret, CefString&) {
                         seen = std::string(args[0]->GetBoolValue() ? "true" : "false") + "|" +
                                args[1]->GetValue("message")->GetStringValue().ToString();
                         ret = CefV8Value::CreateString("done");
                         return true;
                       });
  auto later =
      backend_->CallNative(id, "later", {CefV8Value::CreateFunction("cb", callbackHandler.get())});
  EXPECT_EQ(seen, "false|ok");
  ASSERT_TRUE(later.value);
  EXPECT_EQ(later.value->GetStringValue().ToString(), "done");
  EXPECT_TRUE(hadContext);
  EXPECT_EQ(ranOn, log_.Named("OnWebKitInitialized")[0].thread);

  auto unknown = backend_->CallNative(id, "nosuch", {});
  EXPECT_FALSE(unknown.handled);
  EXPECT_FALSE(unknown.exception.empty());
}

TEST_F(ScriptedEngine, NavigationReleasesTheOldContextAndCreatesANewOne) {
  const int id = CreateBrowser("http://site.test/one");
  ASSERT_TRUE(backend_->Navigate(id, "http://site.test/two", TT_LINK));
  ASSERT_TRUE(backend_->Settle());
  EXPECT_EQ(
      log_.Sequence({"OnContextCreated", "OnContextReleased"}),
      (std::vector<std::string>{"OnContextCreated", "OnContextReleased", "OnContextCreated"}));
  for (const Event& e : log_.Named("OnContextReleased")) {
    EXPECT_EQ(e.thread, log_.Named("OnWebKitInitialized")[0].thread);
  }
}

TEST_F(ScriptedEngine, CloseAsksDoCloseThenReportsBeforeClose) {
  const int id = CreateBrowser("http://site.test/c");
  CefRefPtr<CefBrowser> browser = client_->Browser();
  browser->GetHost()->CloseBrowser(true);
  ASSERT_TRUE(WaitFor([&] { return log_.Count("OnBeforeClose") == 1; }));
  EXPECT_EQ(log_.Sequence({"DoClose", "OnBeforeClose"}),
            (std::vector<std::string>{"DoClose", "OnBeforeClose"}));
  EXPECT_EQ(log_.Named("OnBeforeClose")[0].detail, std::to_string(id));
  EXPECT_EQ(log_.Named("OnBeforeClose")[0].thread, UiThread());
  EXPECT_FALSE(browser->GetMainFrame()->IsValid());
  EXPECT_FALSE(backend_->Navigate(id, "http://site.test/after", TT_LINK));
  ASSERT_TRUE(backend_->Settle());
  EXPECT_EQ(log_.Count("OnContextReleased"), 1u);
}

TEST_F(ScriptedEngine, ShutdownClosesEveryBrowserStillOpen) {
  CreateBrowser("http://site.test/s");
  CefRefPtr<RecordingClient> second = new RecordingClient(log_);
  ASSERT_TRUE(OpenTopLevelBrowser(second, ""));
  CefShutdown();
  EXPECT_EQ(log_.Count("OnBeforeClose"), 2u);
  EXPECT_EQ(engine::EngineCore::Get(), nullptr);
  EXPECT_FALSE(OpenTopLevelBrowser(second, "")) << "no browser after shut-down";
}

TEST_F(ScriptedEngine, DestroyingTheParentWindowClosesTheBrowser) {
  HWND parent = CreateWindowExW(0, L"STATIC", L"parent", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200,
                                nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(parent, nullptr);
  CefWindowInfo info;
  info.SetAsChild(parent, CefRect(0, 0, 300, 200));
  ASSERT_TRUE(CefBrowserHost::CreateBrowser(info, client_.get(), "http://site.test/child",
                                            CefBrowserSettings(), nullptr, nullptr));
  ASSERT_TRUE(WaitFor([&] { return client_->Browser() != nullptr; }));
  HWND child = client_->Browser()->GetHost()->GetWindowHandle();
  EXPECT_EQ(GetParent(child), parent);
  DestroyWindow(parent);
  ASSERT_TRUE(WaitFor([&] { return log_.Count("OnBeforeClose") == 1; }));
  EXPECT_TRUE(WaitFor([&] { return !IsWindow(child); }));
}

TEST_F(ScriptedEngine, ChildOfAMissingWindowIsRefused) {
  CefWindowInfo info;
  info.SetAsChild(reinterpret_cast<HWND>(static_cast<intptr_t>(0x7777)), CefRect(0, 0, 10, 10));
  EXPECT_FALSE(CefBrowserHost::CreateBrowser(info, client_.get(), "", CefBrowserSettings(), nullptr,
                                             nullptr));
  EXPECT_FALSE(CefBrowserHost::CreateBrowser(CefWindowInfo(), nullptr, "", CefBrowserSettings(),
                                             nullptr, nullptr));
}

}  // namespace

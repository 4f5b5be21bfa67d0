#include "browser_host/cef_js_bridge.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cctype>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "browser_host/bridge_control.h"
#include "browser_host/cef_js_handler.h"
#include "browser_host/client_app.h"
#include "browser_host/engine_fixture.h"
#include "engine/cef/cef_process_message.h"
#include "engine/core/renderer_side.h"
#include "runtime/thread_registry.h"

namespace browser_host_test {
namespace {

using vok_comp::HostFunction;
using vok_comp::ReplyFunction;

// What page callbacks were called with, and on which thread.
struct Answer {
  bool hasError = false;
  CefRefPtr<CefV8Value> result;
  unsigned long thread = 0;
};

// A list that other threads add to while the test reads it.
template <typename T>
class SharedList {
 public:
  void Add(const T& item) {
    std::lock_guard<std::mutex> hold(lock_);
    items_.push_back(item);
  }
  std::vector<T> All() const {
    std::lock_guard<std::mutex> hold(lock_);
    return items_;
  }

 private:
  mutable std::mutex lock_;
  std::vector<T> items_;
};
using Answers = SharedList<Answer>;

// A function of the page: records each call.
class PageFunction : public CefV8Handler {
 public:
  explicit PageFunction(std::shared_ptr<Answers> answers) : answers_(answers) {}
  bool Execute(const CefString&, CefRefPtr<CefV8Value>, const CefV8ValueList& arguments,
               CefRefPtr<CefV8Value>&, CefString&) override {
    Answer answer;
    answer.hasError = !arguments.empty() && arguments[0]->GetBoolValue();
    if (arguments.size() > 1) answer.result = arguments[1];
    answer.thread = GetCurrentThreadId();
    answers_->Add(answer);
    return true;
  }

 private:
  std::shared_ptr<Answers> answers_;
  IMPLEMENT_REFCOUNTING(PageFunction);
};

// What host functions were called with, and on which thread.
struct HostCall {
  std::string params;
  unsigned long thread = 0;
  ReplyFunction reply;
};

class HostCalls {
 public:
  // A host function that records its call and answers with `result` at once (or never,
  // when `answer` is false).
  HostFunction Answering(const std::string& result, bool answer = true) {
    return [this, result, answer](const std::string& params, ReplyFunction reply) {
      calls_.Add({params, GetCurrentThreadId(), reply});
      if (answer) reply(false, result);
    };
  }
  std::vector<HostCall> All() const { return calls_.All(); }

 private:
  SharedList<HostCall> calls_;
};

std::string Text(CefRefPtr<CefV8Value> object, const char* key) {
  CefRefPtr<CefV8Value> value = object ? object->GetValue(key) : nullptr;
  return value ? value->GetStringValue().ToString() : std::string();
}

CefRefPtr<CefV8Value> Str(const std::string& text) {
  return CefV8Value::CreateString(text);
}

// The client's application object, a handler and a control that owns a bridge.
class JsBridgeTest : public EngineFixture {
 protected:
  CefRefPtr<CefApp> MakeApp() override { return app_ = new vok_comp::ClientApp(); }
  RecordingDelegate* MakeDelegate(CefRefPtr<vok_comp::BrowserHandler> handler) override {
    return control_ = new BridgeControl(log_, handler);
  }

  CefRefPtr<CefV8Value> Callback() {
    return CefV8Value::CreateFunction("callback", new PageFunction(answers_));
  }
  // The page calls a native function of the page object; the exception text it threw.
  std::string Native(int browserId, const std::string& name, const CefV8ValueList& arguments) {
    const engine::NativeCallResult result = backend_->CallNative(browserId, name, arguments);
    EXPECT_TRUE(result.handled || !result.exception.empty());
    return result.exception.ToString();
  }
  bool Register(BridgeControl* control, const std::wstring& name, HostFunction function,
                bool forAll) {
    bool registered = false;
    EXPECT_TRUE(
        ui_.Run([&] { registered = control->RegisterHostFunction(name, function, forAll); }));
    return registered;
  }
  // A page whose browser has the host function.
  int PageWith(const std::wstring& name, HostFunction function) {
    const int id = CreateBrowser("http://site.test/page");
    EXPECT_TRUE(Register(control_, name, std::move(function), false));
    return id;
  }
  // The page calls the host function with a callback only, and the answer comes back.
  void CallFromPage(int id, const std::string& name) {
    EXPECT_EQ(Native(id, "call", {Str(name), Callback()}), "");
    RoundTrip();
  }
  // The page got exactly one answer, with this error flag and message.
  void ExpectOneAnswer(bool hasError, const std::string& message) {
    const auto answers = answers_->All();
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0].hasError, hasError);
    EXPECT_EQ(Text(answers[0].result, "message"), message);
  }
  // The call reaches the engine's UI thread, the host function the UI thread, and its
  // answer the renderer.
  void RoundTrip() {
    Settle();
    ASSERT_TRUE(backend_->Settle());
  }

  CefRefPtr<vok_comp::ClientApp> app_;
  BridgeControl* control_ = nullptr;
  std::shared_ptr<Answers> answers_ = std::make_shared<Answers>();
  HostCalls host_;
};

TEST(JsBridgeSource, IsThePageObjectScriptWithItsTwoNativeFunctions) {
  struct Line {
    int tabs;
    const char* text;
  };
  const Line lines[] = {
      {2, "var VokCefWebInstance = {};"},
      {2, "(() => {"},
      {3, "VokCefWebInstance.call = (functionName, arg1, arg2) => {"},
      {4, "if (typeof arg1 === 'function') {"},
      {5, "native function call(functionName, arg1);"},
      {5, "return call(functionName, arg1);"},
      {4, "} else {"},
      {5, "const jsonString = JSON.stringify(arg1);"},
      {5, "native function call(functionName, jsonString, arg2);"},
      {5, "return call(functionName, jsonString, arg2);"},
      {4, "}"},
      {3, "};"},
      {3, "VokCefWebInstance.register = (functionName, callback) => {"},
      {4, "native function register(functionName, callback);"},
      {4, "return register(functionName, callback);"},
      {3, "};"},
      {2, "})();"},
  };
  std::string expected = "\n";
  for (const Line& line : lines) expected += std::string(line.tabs, '\t') + line.text + "\n";
  expected += "\t";
  const std::string source = vok_comp::CefJSHandler::kExtensionSource;
  EXPECT_EQ(source.size(), 581u);
  EXPECT_EQ(source, expected);
  EXPECT_EQ(engine::NativeFunctionNames(source), (std::vector<std::string>{"call", "register"}));
  EXPECT_STREQ(vok_comp::CefJSHandler::kExtensionName, "v8/extern");
}

TEST_F(JsBridgeTest, TheRendererRegistersThePageObjectOnce) {
  std::vector<engine::Extension> extensions;
  ASSERT_TRUE(engine::EngineCore::Get()->RendererThread().RunAndWait(
      [&] { extensions = engine::EngineCore::Get()->Renderer().Extensions(); }, 20000));
  ASSERT_EQ(extensions.size(), 1u);
  EXPECT_EQ(extensions[0].name, "v8/extern");
  EXPECT_EQ(extensions[0].code, vok_comp::CefJSHandler::kExtensionSource);
  EXPECT_NE(extensions[0].handler, nullptr);
}

struct ArgumentCase {
  const char* label;
  const char* native;              // "call" or "register"
  std::vector<std::string> kinds;  // s:<text>, f (function), u (undefined), i (integer)
  const char* exception;           // empty: accepted
  const char* params;              // what the host receives when accepted by "call"
};

class JsArgumentsTest : public JsBridgeTest, public ::testing::WithParamInterface<ArgumentCase> {
 protected:
  CefV8ValueList Arguments(const std::vector<std::string>& kinds) {
    CefV8ValueList arguments;
    for (const std::string& kind : kinds) {
      if (kind == "f") arguments.push_back(Callback());
      if (kind == "u") arguments.push_back(CefV8Value::CreateUndefined());
      if (kind == "i") arguments.push_back(CefV8Value::CreateInt(7));
      if (kind.rfind("s:", 0) == 0) arguments.push_back(Str(kind.substr(2)));
    }
    return arguments;
  }
};

TEST_P(JsArgumentsTest, ThePageGetsItsExceptionOrTheHostItsParameterText) {
  const ArgumentCase& c = GetParam();
  const int id = CreateBrowser("http://site.test/page");
  ASSERT_TRUE(Register(control_, L"Save", host_.Answering("{}"), false));
  EXPECT_EQ(Native(id, c.native, Arguments(c.kinds)), c.exception);
  RoundTrip();
  const auto calls = host_.All();
  if (std::string(c.native) == "call" && std::string(c.exception).empty()) {
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].params, c.params);
  } else {
    EXPECT_TRUE(calls.empty());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, JsArgumentsTest,
    ::testing::Values(
        ArgumentCase{"callback only sends an empty object", "call", {"s:Save", "f"}, "", "{}"},
        ArgumentCase{"a string keeps its JSON quotes",
                     "call",
                     {"s:Save", "s:\"hello\"", "f"},
                     "",
                     "\"hello\""},
        ArgumentCase{
            "an object's JSON text", "call", {"s:Save", "s:{\"a\":1}", "f"}, "", "{\"a\":1}"},
        ArgumentCase{"text beyond ASCII arrives as UTF-8",
                     "call",
                     {"s:Save", "s:{\"name\":\"\u4F60\u597D\"}", "f"},
                     "",
                     "{\"name\":\"\u4F60\u597D\"}"},
        ArgumentCase{
            "undefined parameters", "call", {"s:Save", "u", "f"}, "Invalid arguments.", ""},
        ArgumentCase{"no callback", "call", {"s:Save", "s:{\"a\":1}"}, "Invalid arguments.", ""},
        ArgumentCase{"no callback nor parameters", "call", {"s:Save"}, "Invalid arguments.", ""},
        ArgumentCase{"a name that is no string", "call", {"i", "f"}, "Invalid arguments.", ""},
        ArgumentCase{"a callback that is no function",
                     "call",
                     {"s:Save", "s:{}", "s:x"},
                     "Invalid arguments.",
                     ""},
        ArgumentCase{"register without a function",
                     "register",
                     {"s:onPush", "s:x"},
                     "Invalid arguments.",
                     ""},
        ArgumentCase{
            "register with one argument", "register", {"s:onPush"}, "Invalid arguments.", ""},
        ArgumentCase{"register with a name that is no string",
                     "register",
                     {"i", "f"},
                     "Invalid arguments.",
                     ""},
        ArgumentCase{"register", "register", {"s:onPush", "f"}, "", ""}),
    [](const ::testing::TestParamInfo<ArgumentCase>& info) {
      std::string name;
      for (const char* p = info.param.label; *p; ++p)
        name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
      return name;
    });

TEST(JsHandlerAlone, AnotherNativeNameIsNotHandled) {
  CefRefPtr<vok_comp::CefJSHandler> handler = new vok_comp::CefJSHandler();
  handler->AttachJSBridge(std::make_shared<vok_comp::CefJSBridge>());
  CefRefPtr<CefV8Value> retval;
  CefString exception;
  EXPECT_FALSE(handler->Execute("other", nullptr, {Str("a"), Str("b")}, retval, exception));
  EXPECT_TRUE(exception.empty());
  EXPECT_EQ(retval, nullptr);
}

TEST(JsHandlerAlone, MissingArgumentValuesAreInvalidArguments) {
  CefRefPtr<vok_comp::CefJSHandler> handler = new vok_comp::CefJSHandler();
  handler->AttachJSBridge(std::make_shared<vok_comp::CefJSBridge>());
  const CefRefPtr<CefV8Value> none;
  const CefRefPtr<CefV8Value> function = CefV8Value::CreateFunction("f", nullptr);
  const CefV8ValueList cases[] = {
      {none, none}, {Str("Save"), none}, {none, function}, {Str("Save"), Str("{}"), none}};
  for (const char* name : {"call", "register"}) {
    for (const CefV8ValueList& arguments : cases) {
      CefRefPtr<CefV8Value> retval;
      CefString exception;
      EXPECT_FALSE(handler->Execute(name, nullptr, arguments, retval, exception));
      EXPECT_EQ(exception.ToString(), "Invalid arguments.") << name;
    }
  }
}

TEST_F(JsBridgeTest, AHostFunctionRunsOnTheUiThreadAndThePageCallbackGetsItsAnswer) {
  const int id = CreateBrowser("http://site.test/page");
  ASSERT_TRUE(
      Register(control_, L"Save", host_.Answering("{\"message\":\"Saved \u4FDD\u5B58\"}"), false));
  EXPECT_EQ(Native(id, "call", {Str("Save"), Str("{\"a\":1}"), Callback()}), "");
  RoundTrip();
  const auto calls = host_.All();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].thread, ui_.Id());
  ASSERT_EQ(log_.Named("OnExecuteCppFunc").size(), 1u);
  EXPECT_EQ(log_.Named("OnExecuteCppFunc")[0].detail, "Save|{\"a\":1}|0");
  ExpectOneAnswer(false, "Saved \u4FDD\u5B58");
  ASSERT_FALSE(answers_->All().empty());
  EXPECT_NE(answers_->All()[0].thread, ui_.Id());
}

TEST_F(JsBridgeTest, AReplyFromAnotherThreadLaterStillReachesThePageOnce) {
  const int id = PageWith(L"Later", host_.Answering("", false));
  CallFromPage(id, "Later");
  EXPECT_TRUE(answers_->All().empty());
  ASSERT_EQ(host_.All().size(), 1u);
  const ReplyFunction reply = host_.All()[0].reply;
  std::thread worker([reply] {
    reply(true, "{\"message\":\"Late.\"}");
    reply(false, "{\"message\":\"Again.\"}");
  });
  worker.join();
  ASSERT_TRUE(backend_->Settle());
  ExpectOneAnswer(true, "Late.");
}

// The host answers after the page's browser has closed: the answer goes nowhere.
TEST_F(JsBridgeTest, AnAnswerAfterTheBrowserClosedIsDropped) {
  const int id = PageWith(L"Later", host_.Answering("", false));
  CallFromPage(id, "Later");
  ASSERT_EQ(host_.All().size(), 1u);
  handler_->GetBrowserHost()->CloseBrowser(true);
  ASSERT_TRUE(WaitFor([&] { return !log_.Named("OnBeforeClose").empty(); }));
  host_.All()[0].reply(false, "{\"message\":\"Too late.\"}");
  ASSERT_TRUE(backend_->Settle());
  EXPECT_TRUE(answers_->All().empty());
}

TEST_F(JsBridgeTest, AnUnregisteredNameIsAnsweredWithAnError) {
  const int id = PageWith(L"Save", host_.Answering("{}"));
  CallFromPage(id, "Missing");
  EXPECT_TRUE(host_.All().empty());
  ExpectOneAnswer(true, "Function does not exist.");
}

TEST_F(JsBridgeTest, UnparsableResultTextReachesThePageAsText) {
  const int id = PageWith(L"Raw", host_.Answering("not json"));
  CallFromPage(id, "Raw");
  const auto answers = answers_->All();
  ASSERT_EQ(answers.size(), 1u);
  ASSERT_NE(answers[0].result, nullptr);
  EXPECT_EQ(answers[0].result->GetStringValue().ToString(), "not json");
}

TEST_F(JsBridgeTest, APageFunctionNameIsTakenOncePerFrameUntilThePageGoes) {
  const int first = CreateBrowser("http://site.test/one");
  EXPECT_EQ(Native(first, "register", {Str("onPush"), Callback()}), "");
  EXPECT_EQ(Native(first, "register", {Str("onPush"), Callback()}), "Failed to register function.");
  EXPECT_EQ(Native(first, "register", {Str("onPull"), Callback()}), "");
  // The same renderer, another frame.
  const int second = CreateBrowser("http://site.test/two");
  EXPECT_EQ(Native(second, "register", {Str("onPush"), Callback()}), "");
  // A new document in the first browser may take its names again.
  ASSERT_TRUE(backend_->Navigate(first, "http://site.test/one", TT_RELOAD));
  Settle();
  EXPECT_EQ(Native(first, "register", {Str("onPush"), Callback()}), "");
  EXPECT_EQ(Native(second, "register", {Str("onPush"), Callback()}),
            "Failed to register function.");
}

TEST_F(JsBridgeTest, ReloadingDropsPendingCallbacksAndLateAnswersAreIgnored) {
  const int id = PageWith(L"Later", host_.Answering("", false));
  CallFromPage(id, "Later");
  ASSERT_EQ(host_.All().size(), 1u);
  handler_->GetBrowser()->Reload();
  Settle();
  host_.All()[0].reply(false, "{\"message\":\"Too late.\"}");
  ASSERT_TRUE(backend_->Settle());
  EXPECT_TRUE(answers_->All().empty());
  // The new document's calls are answered as usual.
  ASSERT_TRUE(Register(control_, L"Now", host_.Answering("{\"message\":\"Now.\"}"), false));
  CallFromPage(id, "Now");
  ExpectOneAnswer(false, "Now.");
}

TEST_F(JsBridgeTest, OnlyExecuteJsCallbackMessagesRunPageCallbacks) {
  const int id = PageWith(L"Later", host_.Answering("", false));
  CallFromPage(id, "Later");
  auto message = [](const char* name) {
    CefRefPtr<CefProcessMessage> m = CefProcessMessage::Create(name);
    m->GetArgumentList()->SetInt(0, 0);
    m->GetArgumentList()->SetBool(1, false);
    m->GetArgumentList()->SetString(2, "{\"message\":\"Here.\"}");
    return m;
  };
  std::vector<bool> results;
  std::vector<size_t> answered;
  ASSERT_TRUE(backend_->RunInPage(id, [&](CefRefPtr<CefV8Context> context) {
    for (const char* name : {"CallCppFunction", "executejscallback", "ExecuteJsCallback"}) {
      results.push_back(app_->OnProcessMessageReceived(context->GetBrowser(), context->GetFrame(),
                                                       PID_BROWSER, message(name)));
      answered.push_back(answers_->All().size());
    }
  }));
  // Every answer is false; the callback ran only for its own message name.
  EXPECT_EQ(results, (std::vector<bool>{false, false, false}));
  EXPECT_EQ(answered, (std::vector<size_t>{0, 0, 1}));
  ExpectOneAnswer(false, "Here.");
}

// A function of the page that throws.
class ThrowingFunction : public CefV8Handler {
 public:
  bool Execute(const CefString&, CefRefPtr<CefV8Value>, const CefV8ValueList&,
               CefRefPtr<CefV8Value>&, CefString& exception) override {
    exception = "no parsing here";
    return true;
  }
  IMPLEMENT_REFCOUNTING(ThrowingFunction);
};

// A page that replaces JSON or JSON.parse gets the answer as its text, once, in the right
// callback.
TEST_F(JsBridgeTest, APageWithoutAWorkingJsonParseGetsTheAnswerAsText) {
  struct Replacement {
    const char* name;
    std::function<void(CefRefPtr<CefV8Value> global)> apply;
  };
  const Replacement replacements[] = {
      {"JSON is a string",
       [](CefRefPtr<CefV8Value> global) {
         global->SetValue("JSON", Str("not an object"), V8_PROPERTY_ATTRIBUTE_NONE);
       }},
      {"JSON is gone",
       [](CefRefPtr<CefV8Value> global) {
         global->SetValue("JSON", CefV8Value::CreateUndefined(), V8_PROPERTY_ATTRIBUTE_NONE);
       }},
      {"JSON.parse is not a function",
       [](CefRefPtr<CefV8Value> global) {
         global->GetValue("JSON")->SetValue("parse", CefV8Value::CreateInt(3),
                                            V8_PROPERTY_ATTRIBUTE_NONE);
       }},
      {"JSON.parse throws",
       [](CefRefPtr<CefV8Value> global) {
         global->GetValue("JSON")->SetValue(
             "parse", CefV8Value::CreateFunction("parse", new ThrowingFunction()),
             V8_PROPERTY_ATTRIBUTE_NONE);
       }},
  };
  const int id = PageWith(L"Raw", host_.Answering("{\"message\":\"ok\"}"));
  size_t before = 0;
  for (const Replacement& r : replacements) {
    SCOPED_TRACE(r.name);
    ASSERT_TRUE(backend_->RunInPage(
        id, [&](CefRefPtr<CefV8Context> context) { r.apply(context->GetGlobal()); }));
    CallFromPage(id, "Raw");
    const auto answers = answers_->All();
    ASSERT_EQ(answers.size(), before + 1);
    ASSERT_NE(answers.back().result, nullptr);
    EXPECT_EQ(answers.back().result->GetStringValue().ToString(), "{\"message\":\"ok\"}");
    before = answers.size();
  }
}

// Two controls, each with its own browser and bridge; the first control has two browsers.
TEST_F(JsBridgeTest, ABrowsersOwnHostFunctionComesBeforeTheOneForAllBrowsers) {
  const int a1 = CreateBrowser("http://site.test/a1");
  ASSERT_TRUE(Register(control_, L"Who", host_.Answering("{\"message\":\"a1\"}"), false));
  EXPECT_FALSE(Register(control_, L"Who", host_.Answering("{\"message\":\"again\"}"), false));
  const int a2 = CreateBrowser("http://site.test/a2");
  ASSERT_TRUE(Register(control_, L"Who", host_.Answering("{\"message\":\"all\"}"), true));
  EXPECT_FALSE(Register(control_, L"Who", host_.Answering("{\"message\":\"again\"}"), true));

  CefRefPtr<vok_comp::BrowserHandler> otherHandler = new vok_comp::BrowserHandler();
  auto* other = new BridgeControl(log_, otherHandler);
  ASSERT_TRUE(ui_.Run([&] { otherHandler->SetHandlerDelegate(other); }));
  const int b = CreateBrowser("http://site.test/b", otherHandler);
  ASSERT_TRUE(Register(other, L"Who", host_.Answering("{\"message\":\"b\"}"), false));

  for (int id : {a1, a2, b}) {
    CallFromPage(id, "Who");
  }
  std::vector<std::string> who;
  for (const Answer& answer : answers_->All()) who.push_back(Text(answer.result, "message"));
  EXPECT_EQ(who, (std::vector<std::string>{"a1", "all", "b"}));

  otherHandler->GetBrowserHost()->CloseBrowser(true);
  Settle();
  ASSERT_TRUE(ui_.Run([&] {
    otherHandler->SetHandlerDelegate(nullptr);
    delete other;
  }));
}

// Registrations on the UI thread while pages call on the engine's threads.
TEST_F(JsBridgeTest, RegistrationsMeetCallsWithoutLosingAny) {
  const int id = CreateBrowser("http://site.test/page");
  constexpr int kNames = 150;
  std::atomic<int> registered{0};
  std::atomic<bool> refused{false};
  for (int i = 0; i < kNames; ++i) {
    ASSERT_TRUE(kbase::ThreadRegistry::PostToThread(kbase::kMainThreadId, [&, i] {
      const std::wstring name = L"f" + std::to_wstring(i);
      if (!control_->RegisterHostFunction(name, host_.Answering("{\"message\":\"ok\"}"), i % 2))
        refused = true;
      registered = i + 1;
    }));
  }
  int calls = 0;
  while (registered < kNames) {
    const int known = registered;
    if (known == 0) continue;
    EXPECT_EQ(Native(id, "call", {Str("f" + std::to_string(known - 1)), Callback()}), "");
    ++calls;
  }
  RoundTrip();
  EXPECT_FALSE(refused);
  const auto answers = answers_->All();
  ASSERT_EQ(static_cast<int>(answers.size()), calls);
  for (const Answer& answer : answers) {
    EXPECT_FALSE(answer.hasError) << Text(answer.result, "message");
  }
}

// The table alone: one thread registers while others look up names already registered
// and names that never will be.
TEST(JsBridgeTable, ConcurrentRegistrationsAndLookUpsStayConsistent) {
  UiThread ui;
  vok_comp::CefJSBridge bridge;
  constexpr int kNames = 20000;
  constexpr int kReaders = 2;
  std::atomic<int> registered{0};
  std::atomic<int> ran{0};
  std::atomic<int> found{0};
  std::atomic<int> missed{0};
  std::atomic<int> phantom{0};
  std::thread writer([&] {
    for (int i = 0; i < kNames; ++i) {
      bridge.RegisterHostFunction(
          "f" + std::to_string(i), [&](const std::string&, ReplyFunction) { ++ran; }, nullptr);
      registered = i + 1;
    }
  });
  std::vector<std::thread> readers;
  for (int r = 0; r < kReaders; ++r) {
    readers.emplace_back([&, r] {
      unsigned seed = 12345u + r;
      for (int lookUp = 0; registered < kNames || lookUp < 2000; ++lookUp) {
        const int known = registered;
        if (known == 0) continue;
        seed = seed * 1103515245u + 12345u;
        const int index = static_cast<int>((seed >> 8) % static_cast<unsigned>(known));
        if (bridge.ExecuteHostFunction("f" + std::to_string(index), "{}", lookUp, nullptr)) {
          ++found;
        } else {
          ++missed;
        }
        if (bridge.ExecuteHostFunction("g" + std::to_string(index), "{}", lookUp, nullptr))
          ++phantom;
      }
    });
  }
  writer.join();
  for (std::thread& reader : readers) reader.join();
  EXPECT_EQ(missed, 0);
  EXPECT_EQ(phantom, 0);
  EXPECT_GT(found, 0);
  EXPECT_TRUE(ui.Run([] {}, 60000));
  EXPECT_EQ(ran, found);
}

// A host function whose next copy, once armed, takes a while: a look-up copying it out of
// the table keeps the table for that long.
struct SlowToCopy {
  std::atomic<bool>* armed;
  std::atomic<bool>* copying;
  std::atomic<bool>* copied;
  SlowToCopy(std::atomic<bool>* a, std::atomic<bool>* b, std::atomic<bool>* c)
      : armed(a), copying(b), copied(c) {}
  SlowToCopy(const SlowToCopy& other)
      : armed(other.armed), copying(other.copying), copied(other.copied) {
    if (!armed->exchange(false)) return;
    *copying = true;
    Sleep(500);
    *copied = true;
  }
  void operator()(const std::string&, ReplyFunction) const {}
};

TEST(JsBridgeTable, ARegistrationWaitsWhileALookUpCopiesAFunctionOut) {
  vok_comp::CefJSBridge bridge;
  std::atomic<bool> armed{false}, copying{false}, copied{false};
  ASSERT_TRUE(bridge.RegisterHostFunction("Slow", SlowToCopy(&armed, &copying, &copied), nullptr));
  armed = true;
  std::thread engineThread([&] { bridge.ExecuteHostFunction("Slow", "{}", 0, nullptr); });
  ASSERT_TRUE(WaitFor([&] { return copying.load(); }));
  EXPECT_TRUE(bridge.RegisterHostFunction(
      "Other", [](const std::string&, ReplyFunction) {}, nullptr));
  EXPECT_TRUE(copied) << "the table changed while a look-up was reading it";
  engineThread.join();
}

TEST(JsBridgeTable, AFunctionThatCannotReachTheUiThreadIsNotReportedAsRun) {
  vok_comp::CefJSBridge bridge;
  std::atomic<int> ran{0};
  ASSERT_TRUE(bridge.RegisterHostFunction(
      "Save", [&](const std::string&, ReplyFunction) { ++ran; }, nullptr));
  EXPECT_FALSE(bridge.ExecuteHostFunction("Save", "{}", 0, nullptr));
  {
    UiThread ui;
    EXPECT_TRUE(bridge.ExecuteHostFunction("Save", "{}", 1, nullptr));
    EXPECT_TRUE(ui.Drain());
  }
  EXPECT_EQ(ran, 1);
}

}  // namespace
}  // namespace browser_host_test

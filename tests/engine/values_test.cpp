// The engine's plain types: strings, lists, messages, command lines, extension parsing.

#include <gtest/gtest.h>

#include "engine/cef/cef_app.h"
#include "engine/core/renderer_side.h"

namespace {

struct Utf8Case {
  std::string utf8;
  std::wstring wide;
};

TEST(CefStringTest, ConvertsUtf8AndReplacesWhatIsIllFormed) {
  const Utf8Case cases[] = {
      {"", L""},
      {"plain", L"plain"},
      {"\xE4\xB8\xAD\xE6\x96\x87", L"\x4E2D\x6587"},
      {"\xF0\x9F\x98\x80", L"\xD83D\xDE00"},
      {"a\xFFz", L"a\xFFFDz"},                  // a byte that never starts a sequence
      {"\xE4\xB8", L"\xFFFD"},                  // cut off at the end
      {"\xC0\xAF", L"\xFFFD\xFFFD"},            // overlong
      {"\xED\xA0\x80", L"\xFFFD\xFFFD\xFFFD"},  // an encoded surrogate
  };
  for (const Utf8Case& c : cases) {
    EXPECT_EQ(CefString(c.utf8).ToWString(), c.wide) << c.utf8;
  }
  EXPECT_EQ(CefString(std::wstring(L"\xD800x")).ToString(), "\xEF\xBF\xBDx")
      << "a lone surrogate becomes U+FFFD";
  EXPECT_EQ(CefString(std::wstring(L"\x4E2D\xD83D\xDE00")).ToString(),
            "\xE4\xB8\xAD\xF0\x9F\x98\x80");
  const std::string big(1 << 20, 'x');
  EXPECT_EQ(CefString(big).length(), big.size());
}

TEST(CefStringTest, SettingsStringsStartZeroAndClear) {
  cef_string_t s = {};
  EXPECT_TRUE(CefStringOf(s).empty());
  cef_string_set(L"C:\\cache", 8, &s, 1);
  EXPECT_EQ(CefStringOf(s).ToWString(), L"C:\\cache");
  cef_string_set(L"D:", 2, &s, 1);
  EXPECT_EQ(CefStringOf(s).ToWString(), L"D:");
  cef_string_clear(&s);
  EXPECT_EQ(s.str, nullptr);
  EXPECT_TRUE(CefStringOf(s).empty());
}

TEST(CefListValueTest, KeepsTypesAndAnswersEmptyForOtherTypes) {
  CefRefPtr<CefListValue> list = CefListValue::Create();
  list->SetString(0, "name");
  list->SetInt(1, -7);
  list->SetBool(2, true);
  list->SetDouble(4, 2.5);
  EXPECT_EQ(list->GetSize(), 5u) << "setting past the end grows the list";
  EXPECT_EQ(list->GetType(0), VTYPE_STRING);
  EXPECT_EQ(list->GetType(1), VTYPE_INT);
  EXPECT_EQ(list->GetType(2), VTYPE_BOOL);
  EXPECT_EQ(list->GetType(3), VTYPE_INVALID);
  EXPECT_EQ(list->GetType(9), VTYPE_INVALID);
  EXPECT_EQ(list->GetString(0).ToString(), "name");
  EXPECT_EQ(list->GetInt(1), -7);
  EXPECT_TRUE(list->GetBool(2));
  EXPECT_EQ(list->GetDouble(4), 2.5);
  EXPECT_EQ(list->GetInt(0), 0);
  EXPECT_TRUE(list->GetString(1).empty());
  EXPECT_FALSE(list->GetBool(1));
  EXPECT_EQ(list->GetInt(99), 0);
  CefRefPtr<CefListValue> copy = list->Copy();
  list->SetInt(1, 5);
  EXPECT_EQ(copy->GetInt(1), -7);
}

TEST(CefProcessMessageTest, CopiesAreIndependent) {
  CefRefPtr<CefProcessMessage> m = CefProcessMessage::Create("CallCppFunction");
  m->GetArgumentList()->SetString(0, "ShowMessageBox");
  CefRefPtr<CefProcessMessage> copy = m->Copy();
  m->GetArgumentList()->SetString(0, "changed");
  EXPECT_EQ(copy->GetName().ToString(), "CallCppFunction");
  EXPECT_EQ(copy->GetArgumentList()->GetString(0).ToString(), "ShowMessageBox");
}

TEST(CefCommandLineTest, KeepsSwitchesInOrderAndTheLastValue) {
  CefRefPtr<CefCommandLine> line = CefCommandLine::CreateCommandLine();
  line->AppendSwitchWithValue("ppapi-flash-version", "20.0.0.228");
  line->AppendSwitch("process-per-site");
  line->AppendSwitchWithValue("enable-webgl", "1");
  line->AppendSwitchWithValue("enable-webgl", "2");
  EXPECT_TRUE(line->HasSwitch("process-per-site"));
  EXPECT_FALSE(line->HasSwitch("process"));
  EXPECT_EQ(line->GetSwitchValue("enable-webgl").ToString(), "2");
  EXPECT_EQ(line->GetCommandLineString().ToString(),
            "--ppapi-flash-version=20.0.0.228 --process-per-site --enable-webgl=1 "
            "--enable-webgl=2");
}

TEST(ExtensionTest, FindsNativeFunctionDeclarations) {
  struct Case {
    std::string code;
    std::vector<std::string> names;
  };
  const Case cases[] = {
      {"native function call(a, b);", {"call"}},
      {"native function call(a); native function call(a, b); native function register(n, f);",
       {"call", "register"}},
      {"native  function\tx();", {}},
      {"native function\n\t$y_1(); // native functionz()", {"$y_1"}},
      {"var s = 'native function';", {}},
      {"", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(engine::NativeFunctionNames(c.code), c.names) << c.code;
}

TEST(CefV8ValueTest, PlainValuesAndObjects) {
  EXPECT_TRUE(CefV8Value::CreateInt(3)->IsUInt());
  EXPECT_FALSE(CefV8Value::CreateInt(-3)->IsUInt());
  EXPECT_EQ(CefV8Value::CreateDouble(1e12)->GetIntValue(), 0) << "out of range";
  EXPECT_TRUE(CefV8Value::CreateString("a")->IsSame(CefV8Value::CreateString("a")));
  CefRefPtr<CefV8Value> object = CefV8Value::CreateObject(nullptr, nullptr);
  EXPECT_TRUE(object->SetValue("k", CefV8Value::CreateBool(true), V8_PROPERTY_ATTRIBUTE_NONE));
  EXPECT_TRUE(object->HasValue("k"));
  EXPECT_TRUE(object->GetValue("k")->GetBoolValue());
  EXPECT_TRUE(object->GetValue("missing")->IsUndefined());
  CefRefPtr<CefV8Value> array = CefV8Value::CreateArray(0);
  array->SetValue(2, CefV8Value::CreateNull());
  EXPECT_EQ(array->GetArrayLength(), 3);
  EXPECT_FALSE(CefV8Value::CreateString("f")->ExecuteFunction(nullptr, {}));
  EXPECT_EQ(CefV8Value::CreateFunction("f", nullptr), nullptr);
}

}  // namespace

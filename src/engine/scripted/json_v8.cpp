#include "engine/scripted/json_v8.h"

#include <nlohmann/json.hpp>

#include "engine/cef/v8_object.h"

namespace engine {
namespace {

using nlohmann::json;

// Nesting deeper than this is cut off, so that page-made text cannot exhaust the stack.
constexpr int kMaxDepth = 200;

CefRefPtr<CefV8Value> Convert(const json& value, int depth = 0) {
  if (depth > kMaxDepth) return CefV8Value::CreateUndefined();
  switch (value.type()) {
    case json::value_t::null:
      return CefV8Value::CreateNull();
    case json::value_t::boolean:
      return CefV8Value::CreateBool(value.get<bool>());
    case json::value_t::number_integer:
    case json::value_t::number_unsigned: {
      const double d = value.get<double>();
      if (d >= -2147483648.0 && d <= 2147483647.0) {
        return CefV8Value::CreateInt(static_cast<int32_t>(d));
      }
      return CefV8Value::CreateDouble(d);
    }
    case json::value_t::number_float:
      return CefV8Value::CreateDouble(value.get<double>());
    case json::value_t::string:
      return CefV8Value::CreateString(value.get<std::string>());
    case json::value_t::array: {
      CefRefPtr<CefV8Value> array = CefV8Value::CreateArray(static_cast<int>(value.size()));
      for (size_t i = 0; i < value.size(); ++i)
        array->SetValue(static_cast<int>(i), Convert(value[i], depth + 1));
      return array;
    }
    case json::value_t::object: {
      CefRefPtr<CefV8Value> object = CefV8Value::CreateObject(nullptr, nullptr);
      for (auto it = value.begin(); it != value.end(); ++it) {
        object->SetValue(it.key(), Convert(it.value(), depth + 1), V8_PROPERTY_ATTRIBUTE_NONE);
      }
      return object;
    }
    default:
      return CefV8Value::CreateUndefined();
  }
}

class JsonParseHandler : public CefV8Handler {
 public:
  bool Execute(const CefString&, CefRefPtr<CefV8Value>, const CefV8ValueList& arguments,
               CefRefPtr<CefV8Value>& retval, CefString& exception) override {
    const std::string text = arguments.empty() || !arguments[0]->IsString()
                                 ? std::string("undefined")
                                 : arguments[0]->GetStringValue().ToString();
    retval = JsonToV8(text, exception);
    return true;
  }

 private:
  IMPLEMENT_REFCOUNTING(JsonParseHandler);
};

}  // namespace

CefRefPtr<CefV8Value> JsonToV8(const std::string& text, CefString& error) {
  json value = json::parse(text, nullptr, false);
  if (value.is_discarded()) {
    error = "SyntaxError: Unexpected token in JSON";
    return nullptr;
  }
  return Convert(value);
}

CefRefPtr<CefV8Value> MakeJsonParseFunction() {
  return CefV8Value::CreateFunction("parse", new JsonParseHandler());
}

}  // namespace engine

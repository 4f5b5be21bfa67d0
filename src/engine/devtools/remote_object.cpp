#include "engine/devtools/remote_object.h"

#include <atomic>

namespace engine {

RemoteObject::RemoteObject(std::weak_ptr<DevToolsConnection> connection, std::string session,
                           int contextId, PagePath path, std::string release)
    : connection_(std::move(connection)),
      session_(std::move(session)),
      contextId_(contextId),
      path_(std::move(path)),
      release_(std::move(release)) {}

RemoteObject::~RemoteObject() {
  if (!release_.empty()) Evaluate(release_);
}

bool RemoteObject::Evaluate(const std::string& expression) {
  auto connection = connection_.lock();
  if (!connection) return false;
  connection->Send("Runtime.evaluate", {{"expression", expression}, {"contextId", contextId_}},
                   session_);
  return true;
}

CefRefPtr<CefV8Value> RemoteObject::Get(const CefString& key) {
  return CefV8Value::CreateFor(
      CefV8Value::Kind::kFunction,
      std::make_shared<RemoteObject>(connection_, session_, contextId_,
                                     path_.Property(key.ToString()), std::string()));
}

bool RemoteObject::Set(const CefString& key, CefRefPtr<CefV8Value> value) {
  return Evaluate(path_.Property(key.ToString()).Expression() + " = " + ExpressionOf(value));
}

CefRefPtr<CefV8Value> RemoteObject::Call(CefRefPtr<CefV8Context>, CefRefPtr<CefV8Value> self,
                                         const CefV8ValueList& arguments, CefString& exception) {
  if (connection_.expired()) {
    exception = "The page is gone.";
    return nullptr;
  }
  static std::atomic<int> nextResult{1};
  const int slot = nextResult++;
  std::string list;
  for (const auto& a : arguments) list += (list.empty() ? "" : ", ") + ExpressionOf(a);
  const std::string receiver = self ? ExpressionOf(self) : "undefined";
  Evaluate("try { window.__engine.results.set(" + std::to_string(slot) + ", (" + Expression() +
           ").apply(" + receiver + ", [" + list + "])); } catch (e) {}");
  return CefV8Value::CreateFor(CefV8Value::Kind::kObject,
                               std::make_shared<RemoteObject>(
                                   connection_, session_, contextId_, PagePath::Result(slot),
                                   "window.__engine.results.delete(" + std::to_string(slot) + ")"));
}

std::string RemoteObject::ExpressionOf(CefRefPtr<CefV8Value> v) {
  if (!v) return "undefined";
  if (auto* remote = dynamic_cast<RemoteObject*>(v->Object())) return remote->Expression();
  if (v->IsNull()) return "null";
  if (v->IsBool()) return v->GetBoolValue() ? "true" : "false";
  if (v->IsInt()) return std::to_string(v->GetIntValue());
  if (v->IsDouble()) return json(v->GetDoubleValue()).dump();
  if (v->IsString()) return Dump(json(v->GetStringValue().ToString()));
  return "undefined";
}

}  // namespace engine

#include "engine/cef/cef_v8.h"

#include <cmath>
#include <map>
#include <mutex>
#include <string>
#include <thread>

#include "engine/cef/v8_object.h"

using engine::LocalObject;
using engine::V8ContextData;

namespace {

// Contexts entered on each thread, innermost last. A map rather than a thread-local
// vector: objects with destructors in thread-local storage are not reliably destroyed at
// thread exit with this toolchain.
std::mutex enteredLock;
std::map<std::thread::id, std::vector<CefRefPtr<CefV8Context>>> enteredContexts;

}  // namespace

CefRefPtr<CefV8Value> CefV8Value::CreateUndefined() {
  return new CefV8Value(Kind::kUndefined);
}
CefRefPtr<CefV8Value> CefV8Value::CreateNull() {
  return new CefV8Value(Kind::kNull);
}

CefRefPtr<CefV8Value> CefV8Value::CreateBool(bool value) {
  CefRefPtr<CefV8Value> v = new CefV8Value(Kind::kBool);
  v->bool_ = value;
  return v;
}

CefRefPtr<CefV8Value> CefV8Value::CreateInt(int32_t value) {
  CefRefPtr<CefV8Value> v = new CefV8Value(Kind::kInt);
  v->int_ = value;
  return v;
}

CefRefPtr<CefV8Value> CefV8Value::CreateUInt(uint32_t value) {
  CefRefPtr<CefV8Value> v = new CefV8Value(Kind::kUInt);
  v->uint_ = value;
  return v;
}

CefRefPtr<CefV8Value> CefV8Value::CreateDouble(double value) {
  CefRefPtr<CefV8Value> v = new CefV8Value(Kind::kDouble);
  v->double_ = value;
  return v;
}

CefRefPtr<CefV8Value> CefV8Value::CreateString(const CefString& value) {
  CefRefPtr<CefV8Value> v = new CefV8Value(Kind::kString);
  v->string_ = value;
  return v;
}

CefRefPtr<CefV8Value> CefV8Value::CreateObject(std::nullptr_t, std::nullptr_t) {
  return CreateFor(Kind::kObject, std::make_shared<LocalObject>());
}

CefRefPtr<CefV8Value> CefV8Value::CreateArray(int length) {
  auto array = std::make_shared<LocalObject>();
  array->SetLength(length < 0 ? 0 : length);
  return CreateFor(Kind::kArray, array);
}

CefRefPtr<CefV8Value> CefV8Value::CreateFunction(const CefString& name,
                                                 CefRefPtr<CefV8Handler> handler) {
  if (!handler) return nullptr;
  return CreateFor(Kind::kFunction, std::make_shared<LocalObject>(name, handler));
}

CefRefPtr<CefV8Value> CefV8Value::CreateFor(Kind kind, std::shared_ptr<engine::V8Object> object) {
  CefRefPtr<CefV8Value> v = new CefV8Value(object ? kind : Kind::kInvalid);
  v->object_ = std::move(object);
  return v;
}

bool CefV8Value::IsSame(CefRefPtr<CefV8Value> that) const {
  if (!that) return false;
  if (object_ || that->object_) return object_ == that->object_;
  if (kind_ != that->kind_) return false;
  switch (kind_) {
    case Kind::kBool:
      return bool_ == that->bool_;
    case Kind::kInt:
      return int_ == that->int_;
    case Kind::kUInt:
      return uint_ == that->uint_;
    case Kind::kDouble:
      return double_ == that->double_;
    case Kind::kString:
      return string_ == that->string_;
    default:
      return true;
  }
}

int32_t CefV8Value::GetIntValue() const {
  switch (kind_) {
    case Kind::kInt:
      return int_;
    case Kind::kUInt:
      return static_cast<int32_t>(uint_);
    case Kind::kDouble:
      return std::isfinite(double_) && std::fabs(double_) < 2147483648.0
                 ? static_cast<int32_t>(double_)
                 : 0;
    default:
      return 0;
  }
}

uint32_t CefV8Value::GetUIntValue() const {
  switch (kind_) {
    case Kind::kUInt:
      return uint_;
    case Kind::kInt:
      return static_cast<uint32_t>(int_);
    case Kind::kDouble:
      return std::isfinite(double_) && double_ >= 0 && double_ < 4294967296.0
                 ? static_cast<uint32_t>(double_)
                 : 0;
    default:
      return 0;
  }
}

double CefV8Value::GetDoubleValue() const {
  switch (kind_) {
    case Kind::kDouble:
      return double_;
    case Kind::kInt:
      return int_;
    case Kind::kUInt:
      return uint_;
    default:
      return 0;
  }
}

bool CefV8Value::HasValue(const CefString& key) const {
  return object_ && object_->Has(key);
}

CefRefPtr<CefV8Value> CefV8Value::GetValue(const CefString& key) const {
  return object_ ? object_->Get(key) : nullptr;
}

CefRefPtr<CefV8Value> CefV8Value::GetValue(int index) const {
  return index >= 0 ? GetValue(CefString(std::to_wstring(index))) : nullptr;
}

bool CefV8Value::SetValue(const CefString& key, CefRefPtr<CefV8Value> value, PropertyAttribute) {
  return object_ && value && object_->Set(key, value);
}

bool CefV8Value::SetValue(int index, CefRefPtr<CefV8Value> value) {
  if (!object_ || !value || index < 0) return false;
  if (!object_->Set(CefString(std::to_wstring(index)), value)) return false;
  if (auto* local = dynamic_cast<LocalObject*>(object_.get())) {
    if (index >= local->Length()) local->SetLength(index + 1);
  }
  return true;
}

int CefV8Value::GetArrayLength() const {
  return IsArray() ? object_->Length() : 0;
}
CefString CefV8Value::GetFunctionName() const {
  return IsFunction() ? object_->FunctionName() : CefString();
}
CefRefPtr<CefV8Handler> CefV8Value::GetFunctionHandler() const {
  return IsFunction() ? object_->FunctionHandler() : nullptr;
}

CefRefPtr<CefV8Value> CefV8Value::ExecuteFunction(CefRefPtr<CefV8Value> object,
                                                  const CefV8ValueList& arguments) {
  return ExecuteFunctionWithContext(CefV8Context::GetCurrentContext(), object, arguments);
}

CefRefPtr<CefV8Value> CefV8Value::ExecuteFunctionWithContext(CefRefPtr<CefV8Context> context,
                                                             CefRefPtr<CefV8Value> object,
                                                             const CefV8ValueList& arguments) {
  exception_ = nullptr;
  if (!IsFunction()) return nullptr;
  for (const auto& argument : arguments) {
    if (!argument) return nullptr;
  }
  CefString exception;
  CefRefPtr<CefV8Value> result = object_->Call(context, object, arguments, exception);
  if (!exception.empty()) {
    exception_ = new CefV8Exception(exception);
    return nullptr;
  }
  return result ? result : CreateUndefined();
}

namespace engine {

CefRefPtr<CefV8Value> LocalObject::Get(const CefString& key) {
  auto it = properties_.find(key);
  return it == properties_.end() ? CefV8Value::CreateUndefined() : it->second;
}

bool LocalObject::Set(const CefString& key, CefRefPtr<CefV8Value> value) {
  properties_[key] = value;
  return true;
}

CefRefPtr<CefV8Value> LocalObject::Call(CefRefPtr<CefV8Context> context, CefRefPtr<CefV8Value> self,
                                        const CefV8ValueList& arguments, CefString& exception) {
  if (!handler_) {
    exception = "not a function";
    return nullptr;
  }
  const bool enter = context && context->IsValid();
  if (enter) context->Enter();
  CefRefPtr<CefV8Value> result;
  handler_->Execute(name_, self ? self : CefV8Value::CreateUndefined(), arguments, result,
                    exception);
  if (enter) context->Exit();
  return result;
}

}  // namespace engine

CefRefPtr<CefV8Context> CefV8Context::GetCurrentContext() {
  std::lock_guard<std::mutex> hold(enteredLock);
  auto it = enteredContexts.find(std::this_thread::get_id());
  return it == enteredContexts.end() ? nullptr : it->second.back();
}

CefRefPtr<CefV8Context> CefV8Context::GetEnteredContext() {
  return GetCurrentContext();
}

bool CefV8Context::InContext() {
  return !enteredContexts.empty();
}

CefV8Context::CefV8Context(std::shared_ptr<engine::V8ContextData> data) : data_(std::move(data)) {}

bool CefV8Context::IsValid() const {
  return data_->valid.load();
}

CefRefPtr<CefBrowser> CefV8Context::GetBrowser() const {
  return data_->frame ? data_->frame->GetBrowser() : nullptr;
}

CefRefPtr<CefFrame> CefV8Context::GetFrame() const {
  return data_->frame;
}

CefRefPtr<CefV8Value> CefV8Context::GetGlobal() const {
  return data_->global;
}

bool CefV8Context::Enter() {
  std::lock_guard<std::mutex> hold(enteredLock);
  enteredContexts[std::this_thread::get_id()].push_back(this);
  return true;
}

bool CefV8Context::Exit() {
  CefRefPtr<CefV8Context> left;  // released after the lock
  std::lock_guard<std::mutex> hold(enteredLock);
  auto entry = enteredContexts.find(std::this_thread::get_id());
  if (entry == enteredContexts.end()) return false;
  auto& stack = entry->second;
  for (auto it = stack.rbegin(); it != stack.rend(); ++it) {
    if (it->get() == this) {
      left = *it;
      stack.erase(std::next(it).base());
      if (stack.empty()) enteredContexts.erase(entry);
      return true;
    }
  }
  return false;
}

bool CefV8Context::IsSame(CefRefPtr<CefV8Context> that) const {
  return that && that->data_ == data_;
}

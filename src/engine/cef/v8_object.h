#pragma once

// What stands behind an object, array or function value: properties and calls, held here
// (LocalObject) or in a page (the backend's own kinds).

#include <atomic>
#include <map>
#include <memory>

#include "engine/cef/cef_browser.h"
#include "engine/cef/cef_v8.h"

namespace engine {

class V8Object {
 public:
  virtual ~V8Object() = default;
  virtual bool Has(const CefString& key) = 0;
  virtual CefRefPtr<CefV8Value> Get(const CefString& key) = 0;
  virtual bool Set(const CefString& key, CefRefPtr<CefV8Value> value) = 0;
  virtual int Length() { return 0; }
  virtual CefString FunctionName() { return CefString(); }
  virtual CefRefPtr<CefV8Handler> FunctionHandler() { return nullptr; }
  // Calls the function; the result (null when none) or a non-empty exception text.
  virtual CefRefPtr<CefV8Value> Call(CefRefPtr<CefV8Context> context, CefRefPtr<CefV8Value> self,
                                     const CefV8ValueList& arguments, CefString& exception) = 0;
};

// An object or function made on the renderer side.
class LocalObject : public V8Object {
 public:
  LocalObject() = default;
  LocalObject(const CefString& name, CefRefPtr<CefV8Handler> handler)
      : name_(name), handler_(handler) {}

  bool Has(const CefString& key) override { return properties_.count(key) != 0; }
  CefRefPtr<CefV8Value> Get(const CefString& key) override;
  bool Set(const CefString& key, CefRefPtr<CefV8Value> value) override;
  int Length() override { return length_; }
  void SetLength(int length) { length_ = length; }
  CefString FunctionName() override { return name_; }
  CefRefPtr<CefV8Handler> FunctionHandler() override { return handler_; }
  CefRefPtr<CefV8Value> Call(CefRefPtr<CefV8Context> context, CefRefPtr<CefV8Value> self,
                             const CefV8ValueList& arguments, CefString& exception) override;

 private:
  std::map<CefString, CefRefPtr<CefV8Value>> properties_;
  int length_ = 0;
  CefString name_;
  CefRefPtr<CefV8Handler> handler_;
};

// What a script context is: its frame and global object, alive until the document goes.
class V8ContextData {
 public:
  V8ContextData(int id, int browserId, CefRefPtr<CefFrame> frame, CefRefPtr<CefV8Value> global)
      : id(id), browserId(browserId), frame(frame), global(global) {}
  const int id;
  const int browserId;
  const CefRefPtr<CefFrame> frame;
  const CefRefPtr<CefV8Value> global;
  std::atomic<bool> valid{true};
};

}  // namespace engine

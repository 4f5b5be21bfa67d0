#pragma once

// Script values, contexts, handlers and extensions of the renderer side. Everything here
// runs on the engine's renderer thread.

#include <memory>
#include <string>
#include <vector>

#include "engine/cef/cef_base.h"
#include "engine/cef/cef_string.h"

class CefBrowser;
class CefFrame;
class CefV8Context;
class CefV8Value;
typedef std::vector<CefRefPtr<CefV8Value>> CefV8ValueList;

namespace engine {
class V8Object;
class V8ContextData;
}  // namespace engine

class CefV8Handler : public virtual CefBaseRefCounted {
 public:
  // Runs the function called `name`. True when handled: `retval` is the result, or a
  // non-empty `exception` is thrown into the script as an Error with that message.
  virtual bool Execute(const CefString& name, CefRefPtr<CefV8Value> object,
                       const CefV8ValueList& arguments, CefRefPtr<CefV8Value>& retval,
                       CefString& exception) = 0;
};

class CefV8Exception : public virtual CefBaseRefCounted {
 public:
  explicit CefV8Exception(const CefString& message) : message_(message) {}
  CefString GetMessage() const { return message_; }

 private:
  CefString message_;
  IMPLEMENT_REFCOUNTING(CefV8Exception);
};

enum cef_v8_propertyattribute_t {
  V8_PROPERTY_ATTRIBUTE_NONE = 0,
  V8_PROPERTY_ATTRIBUTE_READONLY = 1 << 0,
  V8_PROPERTY_ATTRIBUTE_DONTENUM = 1 << 1,
  V8_PROPERTY_ATTRIBUTE_DONTDELETE = 1 << 2,
};

// A script value: a plain value held here, or an object, array or function living in a page
// (or made here with CreateObject/CreateFunction).
class CefV8Value : public virtual CefBaseRefCounted {
 public:
  typedef cef_v8_propertyattribute_t PropertyAttribute;
  enum class Kind {
    kInvalid,
    kUndefined,
    kNull,
    kBool,
    kInt,
    kUInt,
    kDouble,
    kString,
    kObject,
    kArray,
    kFunction
  };

  static CefRefPtr<CefV8Value> CreateUndefined();
  static CefRefPtr<CefV8Value> CreateNull();
  static CefRefPtr<CefV8Value> CreateBool(bool value);
  static CefRefPtr<CefV8Value> CreateInt(int32_t value);
  static CefRefPtr<CefV8Value> CreateUInt(uint32_t value);
  static CefRefPtr<CefV8Value> CreateDouble(double value);
  static CefRefPtr<CefV8Value> CreateString(const CefString& value);
  // An object with no accessor or interceptor (both must be null here).
  static CefRefPtr<CefV8Value> CreateObject(std::nullptr_t accessor, std::nullptr_t interceptor);
  static CefRefPtr<CefV8Value> CreateArray(int length);
  static CefRefPtr<CefV8Value> CreateFunction(const CefString& name,
                                              CefRefPtr<CefV8Handler> handler);
  // For the engine: a value standing for an object, array or function.
  static CefRefPtr<CefV8Value> CreateFor(Kind kind, std::shared_ptr<engine::V8Object> object);

  bool IsValid() const { return kind_ != Kind::kInvalid; }
  bool IsUndefined() const { return kind_ == Kind::kUndefined; }
  bool IsNull() const { return kind_ == Kind::kNull; }
  bool IsBool() const { return kind_ == Kind::kBool; }
  bool IsInt() const { return kind_ == Kind::kInt; }
  bool IsUInt() const { return kind_ == Kind::kUInt || (kind_ == Kind::kInt && int_ >= 0); }
  bool IsDouble() const { return kind_ == Kind::kDouble || IsInt() || kind_ == Kind::kUInt; }
  bool IsString() const { return kind_ == Kind::kString; }
  bool IsObject() const {
    return kind_ == Kind::kObject || kind_ == Kind::kArray || kind_ == Kind::kFunction;
  }
  bool IsArray() const { return kind_ == Kind::kArray; }
  bool IsFunction() const { return kind_ == Kind::kFunction; }
  bool IsSame(CefRefPtr<CefV8Value> that) const;

  bool GetBoolValue() const { return kind_ == Kind::kBool && bool_; }
  int32_t GetIntValue() const;
  uint32_t GetUIntValue() const;
  double GetDoubleValue() const;
  CefString GetStringValue() const { return kind_ == Kind::kString ? string_ : CefString(); }

  bool HasValue(const CefString& key) const;
  CefRefPtr<CefV8Value> GetValue(const CefString& key) const;
  CefRefPtr<CefV8Value> GetValue(int index) const;
  bool SetValue(const CefString& key, CefRefPtr<CefV8Value> value, PropertyAttribute attribute);
  bool SetValue(int index, CefRefPtr<CefV8Value> value);
  int GetArrayLength() const;
  CefString GetFunctionName() const;
  CefRefPtr<CefV8Handler> GetFunctionHandler() const;

  // Calls the function in the context it belongs to (or the current one). The result is
  // null when the call threw; the exception is then kept on this value.
  CefRefPtr<CefV8Value> ExecuteFunction(CefRefPtr<CefV8Value> object,
                                        const CefV8ValueList& arguments);
  CefRefPtr<CefV8Value> ExecuteFunctionWithContext(CefRefPtr<CefV8Context> context,
                                                   CefRefPtr<CefV8Value> object,
                                                   const CefV8ValueList& arguments);
  bool HasException() const { return exception_ != nullptr; }
  CefRefPtr<CefV8Exception> GetException() const { return exception_; }
  bool ClearException() {
    exception_ = nullptr;
    return true;
  }

  Kind GetKind() const { return kind_; }
  engine::V8Object* Object() const { return object_.get(); }

 private:
  explicit CefV8Value(Kind kind) : kind_(kind) {}

  Kind kind_;
  bool bool_ = false;
  int32_t int_ = 0;
  uint32_t uint_ = 0;
  double double_ = 0;
  CefString string_;
  std::shared_ptr<engine::V8Object> object_;
  CefRefPtr<CefV8Exception> exception_;
  IMPLEMENT_REFCOUNTING(CefV8Value);
};

// The script context of one frame's document. The current context is the one a native
// function was called in, or the one last entered on this thread.
class CefV8Context : public virtual CefBaseRefCounted {
 public:
  static CefRefPtr<CefV8Context> GetCurrentContext();
  static CefRefPtr<CefV8Context> GetEnteredContext();
  static bool InContext();

  explicit CefV8Context(std::shared_ptr<engine::V8ContextData> data);

  bool IsValid() const;
  CefRefPtr<CefBrowser> GetBrowser() const;
  CefRefPtr<CefFrame> GetFrame() const;
  CefRefPtr<CefV8Value> GetGlobal() const;
  bool Enter();
  bool Exit();
  bool IsSame(CefRefPtr<CefV8Context> that) const;

  engine::V8ContextData& Data() const { return *data_; }

 private:
  std::shared_ptr<engine::V8ContextData> data_;
  IMPLEMENT_REFCOUNTING(CefV8Context);
};

// Registers script that runs in every new context before the page's own scripts. Its
// `native function NAME(...);` declarations call `handler` with NAME. Only on the renderer
// thread, from OnWebKitInitialized.
bool CefRegisterExtension(const CefString& extensionName, const CefString& javascriptCode,
                          CefRefPtr<CefV8Handler> handler);

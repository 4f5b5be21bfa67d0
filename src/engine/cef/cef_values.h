#pragma once

// List and dictionary values: what process messages carry between the two sides.

#include <map>
#include <memory>
#include <vector>

#include "engine/cef/cef_base.h"
#include "engine/cef/cef_string.h"

enum cef_value_type_t {
  VTYPE_INVALID = 0,
  VTYPE_NULL,
  VTYPE_BOOL,
  VTYPE_INT,
  VTYPE_DOUBLE,
  VTYPE_STRING,
};
using CefValueType = cef_value_type_t;

namespace engine {
// One stored value of a list or dictionary.
struct StoredValue {
  CefValueType type = VTYPE_INVALID;
  bool boolValue = false;
  int intValue = 0;
  double doubleValue = 0;
  CefString stringValue;
};
}  // namespace engine

// A list of typed values; reading a value as another type gives the type's empty value.
class CefListValue : public virtual CefBaseRefCounted {
 public:
  static CefRefPtr<CefListValue> Create();

  bool IsValid() const { return true; }
  CefRefPtr<CefListValue> Copy() const;
  bool SetSize(size_t size);
  size_t GetSize() const { return values_.size(); }
  bool Clear();
  bool Remove(size_t index);
  CefValueType GetType(size_t index) const;

  bool GetBool(size_t index) const;
  int GetInt(size_t index) const;
  double GetDouble(size_t index) const;
  CefString GetString(size_t index) const;

  bool SetNull(size_t index);
  bool SetBool(size_t index, bool value);
  bool SetInt(size_t index, int value);
  bool SetDouble(size_t index, double value);
  bool SetString(size_t index, const CefString& value);

 private:
  CefListValue() = default;
  engine::StoredValue* Slot(size_t index);
  const engine::StoredValue* At(size_t index) const;

  std::vector<engine::StoredValue> values_;
  IMPLEMENT_REFCOUNTING(CefListValue);
};

// A dictionary of typed values (the engine hands one to popups as their extra information).
class CefDictionaryValue : public virtual CefBaseRefCounted {
 public:
  static CefRefPtr<CefDictionaryValue> Create();

  size_t GetSize() const { return values_.size(); }
  bool HasKey(const CefString& key) const { return values_.count(key) != 0; }
  CefValueType GetType(const CefString& key) const;
  CefString GetString(const CefString& key) const;
  int GetInt(const CefString& key) const;
  bool GetBool(const CefString& key) const;
  bool SetString(const CefString& key, const CefString& value);
  bool SetInt(const CefString& key, int value);
  bool SetBool(const CefString& key, bool value);

 private:
  CefDictionaryValue() = default;
  const engine::StoredValue* Find(const CefString& key) const;

  std::map<CefString, engine::StoredValue> values_;
  IMPLEMENT_REFCOUNTING(CefDictionaryValue);
};

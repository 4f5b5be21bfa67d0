#include "engine/cef/cef_values.h"

using engine::StoredValue;

CefRefPtr<CefListValue> CefListValue::Create() {
  return new CefListValue();
}

CefRefPtr<CefListValue> CefListValue::Copy() const {
  CefRefPtr<CefListValue> copy = Create();
  copy->values_ = values_;
  return copy;
}

bool CefListValue::SetSize(size_t size) {
  values_.resize(size);
  return true;
}

bool CefListValue::Clear() {
  values_.clear();
  return true;
}

bool CefListValue::Remove(size_t index) {
  if (index >= values_.size()) return false;
  values_.erase(values_.begin() + index);
  return true;
}

const StoredValue* CefListValue::At(size_t index) const {
  return index < values_.size() ? &values_[index] : nullptr;
}

// Setting beyond the end grows the list, as the engine's lists do.
StoredValue* CefListValue::Slot(size_t index) {
  if (index >= values_.size()) values_.resize(index + 1);
  values_[index] = StoredValue();
  return &values_[index];
}

CefValueType CefListValue::GetType(size_t index) const {
  const StoredValue* v = At(index);
  return v ? v->type : VTYPE_INVALID;
}

bool CefListValue::GetBool(size_t index) const {
  const StoredValue* v = At(index);
  return v && v->type == VTYPE_BOOL && v->boolValue;
}

int CefListValue::GetInt(size_t index) const {
  const StoredValue* v = At(index);
  return v && v->type == VTYPE_INT ? v->intValue : 0;
}

double CefListValue::GetDouble(size_t index) const {
  const StoredValue* v = At(index);
  if (!v) return 0;
  if (v->type == VTYPE_DOUBLE) return v->doubleValue;
  return v->type == VTYPE_INT ? v->intValue : 0;
}

CefString CefListValue::GetString(size_t index) const {
  const StoredValue* v = At(index);
  return v && v->type == VTYPE_STRING ? v->stringValue : CefString();
}

bool CefListValue::SetNull(size_t index) {
  Slot(index)->type = VTYPE_NULL;
  return true;
}

bool CefListValue::SetBool(size_t index, bool value) {
  StoredValue* v = Slot(index);
  v->type = VTYPE_BOOL;
  v->boolValue = value;
  return true;
}

bool CefListValue::SetInt(size_t index, int value) {
  StoredValue* v = Slot(index);
  v->type = VTYPE_INT;
  v->intValue = value;
  return true;
}

bool CefListValue::SetDouble(size_t index, double value) {
  StoredValue* v = Slot(index);
  v->type = VTYPE_DOUBLE;
  v->doubleValue = value;
  return true;
}

bool CefListValue::SetString(size_t index, const CefString& value) {
  StoredValue* v = Slot(index);
  v->type = VTYPE_STRING;
  v->stringValue = value;
  return true;
}

CefRefPtr<CefDictionaryValue> CefDictionaryValue::Create() {
  return new CefDictionaryValue();
}

const StoredValue* CefDictionaryValue::Find(const CefString& key) const {
  auto it = values_.find(key);
  return it == values_.end() ? nullptr : &it->second;
}

CefValueType CefDictionaryValue::GetType(const CefString& key) const {
  const StoredValue* v = Find(key);
  return v ? v->type : VTYPE_INVALID;
}

CefString CefDictionaryValue::GetString(const CefString& key) const {
  const StoredValue* v = Find(key);
  return v && v->type == VTYPE_STRING ? v->stringValue : CefString();
}

int CefDictionaryValue::GetInt(const CefString& key) const {
  const StoredValue* v = Find(key);
  return v && v->type == VTYPE_INT ? v->intValue : 0;
}

bool CefDictionaryValue::GetBool(const CefString& key) const {
  const StoredValue* v = Find(key);
  return v && v->type == VTYPE_BOOL && v->boolValue;
}

bool CefDictionaryValue::SetString(const CefString& key, const CefString& value) {
  StoredValue& v = values_[key] = StoredValue();
  v.type = VTYPE_STRING;
  v.stringValue = value;
  return true;
}

bool CefDictionaryValue::SetInt(const CefString& key, int value) {
  StoredValue& v = values_[key] = StoredValue();
  v.type = VTYPE_INT;
  v.intValue = value;
  return true;
}

bool CefDictionaryValue::SetBool(const CefString& key, bool value) {
  StoredValue& v = values_[key] = StoredValue();
  v.type = VTYPE_BOOL;
  v.boolValue = value;
  return true;
}

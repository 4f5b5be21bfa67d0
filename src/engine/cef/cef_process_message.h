#pragma once

#include "engine/cef/cef_base.h"
#include "engine/cef/cef_string.h"
#include "engine/cef/cef_values.h"

enum cef_process_id_t {
  PID_BROWSER,
  PID_RENDERER,
};
using CefProcessId = cef_process_id_t;

// A named message with a list of arguments, sent between the browser and renderer sides.
class CefProcessMessage : public virtual CefBaseRefCounted {
 public:
  static CefRefPtr<CefProcessMessage> Create(const CefString& name);

  bool IsValid() const { return true; }
  bool IsReadOnly() const { return false; }
  CefRefPtr<CefProcessMessage> Copy() const;
  CefString GetName() const { return name_; }
  CefRefPtr<CefListValue> GetArgumentList() const { return arguments_; }

 private:
  explicit CefProcessMessage(const CefString& name);

  CefString name_;
  CefRefPtr<CefListValue> arguments_;
  IMPLEMENT_REFCOUNTING(CefProcessMessage);
};

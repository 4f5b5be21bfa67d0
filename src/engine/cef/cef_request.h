#pragma once

#include <cstdint>

#include "engine/cef/cef_base.h"
#include "engine/cef/cef_string.h"
#include "engine/cef/cef_types.h"

// A request the engine is about to make; the engine fills it, handlers read it.
class CefRequest : public virtual CefBaseRefCounted {
 public:
  static CefRefPtr<CefRequest> Create();

  bool IsReadOnly() const { return readOnly_; }
  CefString GetURL() const { return url_; }
  void SetURL(const CefString& url) { url_ = url; }
  CefString GetMethod() const { return method_; }
  void SetMethod(const CefString& method) { method_ = method; }
  CefString GetReferrerURL() const { return referrer_; }
  void SetReferrerURL(const CefString& referrer) { referrer_ = referrer; }
  cef_resource_type_t GetResourceType() const { return resourceType_; }
  void SetResourceType(cef_resource_type_t type) { resourceType_ = type; }
  cef_transition_type_t GetTransitionType() const { return transition_; }
  void SetTransitionType(cef_transition_type_t type) { transition_ = type; }
  uint64_t GetIdentifier() const { return identifier_; }
  void SetIdentifier(uint64_t identifier) { identifier_ = identifier; }
  void SetReadOnly(bool readOnly) { readOnly_ = readOnly; }

 private:
  CefRequest() = default;

  CefString url_;
  CefString method_ = "GET";
  CefString referrer_;
  cef_resource_type_t resourceType_ = RT_MAIN_FRAME;
  cef_transition_type_t transition_ = TT_EXPLICIT;
  uint64_t identifier_ = 0;
  bool readOnly_ = false;
  IMPLEMENT_REFCOUNTING(CefRequest);
};

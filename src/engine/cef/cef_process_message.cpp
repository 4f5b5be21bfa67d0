#include "engine/cef/cef_process_message.h"

CefProcessMessage::CefProcessMessage(const CefString& name)
    : name_(name), arguments_(CefListValue::Create()) {}

CefRefPtr<CefProcessMessage> CefProcessMessage::Create(const CefString& name) {
  return new CefProcessMessage(name);
}

CefRefPtr<CefProcessMessage> CefProcessMessage::Copy() const {
  CefRefPtr<CefProcessMessage> copy = Create(name_);
  copy->arguments_ = arguments_->Copy();
  return copy;
}

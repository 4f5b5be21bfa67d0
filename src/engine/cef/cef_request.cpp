#include "engine/cef/cef_request.h"

CefRefPtr<CefRequest> CefRequest::Create() {
  return new CefRequest();
}

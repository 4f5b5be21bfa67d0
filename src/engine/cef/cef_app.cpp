#include "engine/cef/cef_app.h"

#include <mutex>

namespace {
std::mutex cookieLock;
}  // namespace

CefRefPtr<CefCookieManager> CefCookieManager::GetGlobalManager(
    CefRefPtr<CefCompletionCallback> callback) {
  static CefRefPtr<CefCookieManager> manager = new CefCookieManager();
  if (callback) callback->OnComplete();
  return manager;
}

bool CefCookieManager::SetSupportedSchemes(const std::vector<CefString>& schemes,
                                           bool includeDefaults,
                                           CefRefPtr<CefCompletionCallback> callback) {
  {
    std::lock_guard<std::mutex> hold(cookieLock);
    schemes_ = schemes;
    includeDefaults_ = includeDefaults;
  }
  if (callback) callback->OnComplete();
  return true;
}

std::vector<CefString> CefCookieManager::SupportedSchemes() const {
  std::lock_guard<std::mutex> hold(cookieLock);
  return schemes_;
}

#pragma once

#include <mutex>

#include "engine/cef/cef_browser.h"

namespace engine {

// A frame of a browser. It finds its browser through the engine by identifier, so that a
// frame kept by a client never keeps a closed browser alive.
class FrameImpl : public CefFrame {
 public:
  FrameImpl(int browserId, int64_t id, bool isMain);

  bool IsValid() override;
  void LoadURL(const CefString& url) override;
  bool IsMain() override { return isMain_; }
  bool IsFocused() override { return isMain_; }
  CefString GetName() override { return CefString(); }
  int64_t GetIdentifier() override { return id_; }
  CefRefPtr<CefFrame> GetParent() override { return nullptr; }
  CefString GetURL() override;
  CefRefPtr<CefBrowser> GetBrowser() override;
  void SendProcessMessage(CefProcessId target, CefRefPtr<CefProcessMessage> message) override;
  void ExecuteJavaScript(const CefString& code, const CefString& scriptUrl, int startLine) override;

  void SetURL(const CefString& url);

 private:
  const int browserId_;
  const int64_t id_;
  const bool isMain_;
  std::mutex lock_;
  CefString url_;
  IMPLEMENT_REFCOUNTING(FrameImpl);
};

}  // namespace engine

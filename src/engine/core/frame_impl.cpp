#include "engine/core/frame_impl.h"

#include "engine/core/browser_impl.h"
#include "engine/core/engine_core.h"

namespace engine {

FrameImpl::FrameImpl(int browserId, int64_t id, bool isMain)
    : browserId_(browserId), id_(id), isMain_(isMain) {}

bool FrameImpl::IsValid() {
  auto core = EngineCore::Get();
  return core && core->FindBrowser(browserId_);
}

CefRefPtr<CefBrowser> FrameImpl::GetBrowser() {
  auto core = EngineCore::Get();
  return core ? core->FindBrowser(browserId_).get() : nullptr;
}

CefString FrameImpl::GetURL() {
  std::lock_guard<std::mutex> hold(lock_);
  return url_;
}

void FrameImpl::SetURL(const CefString& url) {
  std::lock_guard<std::mutex> hold(lock_);
  url_ = url;
}

void FrameImpl::LoadURL(const CefString& url) {
  auto core = EngineCore::Get();
  if (!core) return;
  const int id = browserId_;
  const std::string address = url.ToString();
  core->UiThread().Post([core, id, address] {
    CefRefPtr<BrowserImpl> browser = core->FindBrowser(id);
    if (browser && !browser->IsClosing()) core->GetBackend().LoadUrl(*browser, address);
  });
}

void FrameImpl::ExecuteJavaScript(const CefString& code, const CefString&, int) {
  auto core = EngineCore::Get();
  if (!core) return;
  const int id = browserId_;
  const std::string text = code.ToString();
  core->UiThread().Post([core, id, text] {
    CefRefPtr<BrowserImpl> browser = core->FindBrowser(id);
    if (browser && !browser->IsClosing()) core->GetBackend().ExecuteJavaScript(*browser, text);
  });
}

// Both sides live in this process: the message is copied, as it would be between
// processes, and handed to the other side's thread.
void FrameImpl::SendProcessMessage(CefProcessId target, CefRefPtr<CefProcessMessage> message) {
  auto core = EngineCore::Get();
  if (!core || !message) return;
  CefRefPtr<CefProcessMessage> copy = message->Copy();
  CefRefPtr<FrameImpl> self = this;
  const int id = browserId_;
  if (target == PID_RENDERER) {
    core->RendererThread().Post([core, id, self, copy] {
      CefRefPtr<BrowserImpl> browser = core->FindBrowser(id);
      if (browser) core->Renderer().MessageFromBrowser(browser.get(), self.get(), copy);
    });
  } else {
    core->UiThread().Post([core, id, self, copy] {
      CefRefPtr<BrowserImpl> browser = core->FindBrowser(id);
      if (browser && !browser->IsClosing()) browser->NotifyProcessMessage(self.get(), copy);
    });
  }
}

}  // namespace engine

#include "engine/devtools/screencast_receiver.h"

#include <windows.h>

#include "engine/core/browser_impl.h"
#include "engine/core/engine_core.h"
#include "engine/transport/websocket_client.h"

namespace engine {

ScreencastReceiver::ScreencastReceiver(std::shared_ptr<DevToolsConnection> connection,
                                       std::shared_ptr<const SessionTable> sessions)
    : connection_(std::move(connection)), sessions_(std::move(sessions)) {}

void ScreencastReceiver::Receive(DevToolsConnection::Event event) {
  if (!EngineCore::Get()) return;
  const std::string session = Text(*event, "sessionId");
  DevToolsConnection::Event replaced;
  {
    std::lock_guard<std::mutex> hold(lock_);
    DevToolsConnection::Event& slot = waiting_[session];
    replaced = std::move(slot);
    slot = std::move(event);
  }
  if (replaced) {
    Acknowledge(*replaced);
    return;  // the decoding task already posted takes the newer frame
  }
  std::weak_ptr<ScreencastReceiver> weak = shared_from_this();
  decoder_.Post([weak, session] {
    if (auto s = weak.lock()) s->DecodeLatest(session);
  });
}

void ScreencastReceiver::DecodeLatest(const std::string& session) {
  DevToolsConnection::Event event;
  {
    std::lock_guard<std::mutex> hold(lock_);
    auto it = waiting_.find(session);
    if (it == waiting_.end()) return;
    event = std::move(it->second);
    waiting_.erase(it);
  }
  if (event) Guarded([&] { OnFrame(*event); });
}

void ScreencastReceiver::Acknowledge(const json& event) {
  Guarded([&] {
    connection_->Send("Page.screencastFrameAck",
                      {{"sessionId", Member(event, "params").value("sessionId", 0)}},
                      Text(event, "sessionId"));
  });
}

// The frame is acknowledged as its decoding starts, so that the browser makes the next frame
// meanwhile yet is never more than one frame ahead of the decoder.
void ScreencastReceiver::OnFrame(const json& event) {
  Acknowledge(event);
  ShowFrame(Text(event, "sessionId"), Text(Member(event, "params"), "data"));
}

void ScreencastReceiver::ShowFrame(const std::string& session, const std::string& data) {
  SessionTable::Entry info;
  auto core = EngineCore::Get();
  if (!core || !sessions_->Find(session, info)) return;
  CefRefPtr<BrowserImpl> browser = core->FindBrowser(info.browserId);
  if (!browser || browser->IsClosing()) return;
  browser->Surface().NoteReceived();
  int width = 0;
  int height = 0;
  if (!jpeg_.Decode(Base64Decode(data), spare_, width, height)) return;
  browser->Surface().Publish(spare_, width, height);
  if (HWND window = browser->GetWindowHandle()) InvalidateRect(window, nullptr, FALSE);
}

}  // namespace engine

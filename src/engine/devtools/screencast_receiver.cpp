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
  std::weak_ptr<ScreencastReceiver> weak = shared_from_this();
  decoder_.Post([weak, event] {
    if (auto s = weak.lock()) Guarded([&] { s->OnFrame(*event); });
  });
}

// The frame is acknowledged as its decoding starts, so that the browser makes the next frame
// meanwhile yet is never more than one frame ahead of the decoder.
void ScreencastReceiver::OnFrame(const json& event) {
  const std::string session = Text(event, "sessionId");
  const json& params = Member(event, "params");
  connection_->Send("Page.screencastFrameAck", {{"sessionId", params.value("sessionId", 0)}},
                    session);
  ShowFrame(session, Text(params, "data"));
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

#pragma once

// The channel over the browser's DevTools WebSocket: the fallback for a browser started with
// a debugging port.

#include <string>

#include "engine/transport/cdp_channel.h"
#include "engine/transport/websocket_client.h"

namespace engine {

class WebSocketChannel : public CdpChannel {
 public:
  WebSocketChannel(std::string host, int port, std::string path);

  bool Open(MessageFunction onMessage, ClosedFunction onClosed) override;
  bool Send(const std::string& text) override;
  void Close() override;
  bool IsOpen() const override;

 private:
  std::string host_;
  int port_;
  std::string path_;
  WebSocketClient socket_;
};

}  // namespace engine

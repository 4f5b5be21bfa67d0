#include "engine/transport/websocket_channel.h"

#include <utility>

namespace engine {

WebSocketChannel::WebSocketChannel(std::string host, int port, std::string path)
    : host_(std::move(host)), port_(port), path_(std::move(path)) {}

bool WebSocketChannel::Open(MessageFunction onMessage, ClosedFunction onClosed) {
  return socket_.Connect(host_, port_, path_, std::move(onMessage), std::move(onClosed));
}

bool WebSocketChannel::Send(const std::string& text) {
  return socket_.Send(text);
}

void WebSocketChannel::Close() {
  socket_.Close();
}

bool WebSocketChannel::IsOpen() const {
  return socket_.IsOpen();
}

}  // namespace engine

#pragma once

// A WebSocket client (the client side of RFC 6455) over Winsock, for text messages: the
// handshake, masked frames, fragmented messages, ping and pong, close. One thread reads; any
// thread may send.

#include <functional>
#include <memory>
#include <string>

namespace engine {

class WebSocketClient {
 public:
  using MessageFunction = std::function<void(std::string&& text)>;
  using ClosedFunction = std::function<void()>;

  WebSocketClient();
  ~WebSocketClient();
  WebSocketClient(const WebSocketClient&) = delete;
  WebSocketClient& operator=(const WebSocketClient&) = delete;

  // Connects to ws://host:port/path and starts reading. Messages and the close arrive on the
  // reading thread; onClosed runs once, when the connection ends for any reason.
  bool Connect(const std::string& host, int port, const std::string& path,
               MessageFunction onMessage, ClosedFunction onClosed, unsigned timeoutMs = 5000);
  // False when the connection is not open.
  bool Send(const std::string& text);
  // Closes the connection and waits for the reading thread.
  void Close();
  bool IsOpen() const;

  // Messages longer than this end the connection as a protocol error (the pipe channel's
  // bound).
  static constexpr size_t kMaxMessage = 64u << 20;

  class Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

// Base64 of bytes, and back (empty on malformed input).
std::string Base64Encode(const std::string& bytes);
std::string Base64Decode(const std::string& text);

}  // namespace engine

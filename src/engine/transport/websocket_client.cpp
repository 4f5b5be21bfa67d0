#include "engine/transport/websocket_client.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>
#include <new>
#include <random>
#include <thread>
#include <vector>

namespace engine {
namespace {

const char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

enum Opcode : uint8_t {
  kContinuation = 0,
  kText = 1,
  kBinary = 2,
  kClose = 8,
  kPing = 9,
  kPong = 10,
};

bool StartWinsock() {
  static const bool started = [] {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  return started;
}

}  // namespace

std::string Base64Encode(const std::string& bytes) {
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  size_t i = 0;
  for (; i + 2 < bytes.size(); i += 3) {
    const uint32_t n =
        (uint8_t(bytes[i]) << 16) | (uint8_t(bytes[i + 1]) << 8) | uint8_t(bytes[i + 2]);
    out += kBase64[n >> 18];
    out += kBase64[(n >> 12) & 63];
    out += kBase64[(n >> 6) & 63];
    out += kBase64[n & 63];
  }
  if (i < bytes.size()) {
    uint32_t n = uint8_t(bytes[i]) << 16;
    if (i + 1 < bytes.size()) n |= uint8_t(bytes[i + 1]) << 8;
    out += kBase64[n >> 18];
    out += kBase64[(n >> 12) & 63];
    out += i + 1 < bytes.size() ? kBase64[(n >> 6) & 63] : '=';
    out += '=';
  }
  return out;
}

std::string Base64Decode(const std::string& text) {
  std::string out;
  uint32_t buffer = 0;
  int bits = 0;
  for (char c : text) {
    if (c == '=') break;
    const char* p = std::strchr(kBase64, c);
    if (!p || c == 0) return std::string();
    buffer = (buffer << 6) | static_cast<uint32_t>(p - kBase64);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      out += static_cast<char>((buffer >> bits) & 0xFF);
    }
  }
  return out;
}

class WebSocketClient::Impl {
 public:
  ~Impl() { Close(); }

  bool Connect(const std::string& host, int port, const std::string& path,
               MessageFunction onMessage, ClosedFunction onClosed, unsigned timeoutMs) {
    if (!StartWinsock() || socket_ != INVALID_SOCKET) return false;
    socket_ = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (socket_ == INVALID_SOCKET) return false;
    DWORD timeout = timeoutMs;
    setsockopt(socket_, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout),
               sizeof(timeout));
    BOOL noDelay = TRUE;
    setsockopt(socket_, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay),
               sizeof(noDelay));
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<u_short>(port));
    address.sin_addr.s_addr = inet_addr(host.c_str());
    if (::connect(socket_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        !Handshake(host, port, path)) {
      closesocket(socket_);
      socket_ = INVALID_SOCKET;
      return false;
    }
    timeout = 0;  // reading waits as long as the connection lives
    setsockopt(socket_, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout),
               sizeof(timeout));
    onMessage_ = std::move(onMessage);
    onClosed_ = std::move(onClosed);
    open_ = true;
    reader_ = std::thread([this] { ReadLoop(); });
    return true;
  }

  bool Send(const std::string& text) { return SendFrame(kText, text); }

  void Close() {
    if (open_.exchange(false)) {
      SendFrameUnchecked(kClose, std::string("\x03\xE8", 2));
      shutdown(socket_, SD_BOTH);
    }
    if (reader_.joinable() && reader_.get_id() != std::this_thread::get_id()) reader_.join();
    if (reader_.joinable()) reader_.detach();
    std::lock_guard<std::mutex> hold(sendLock_);
    if (socket_ != INVALID_SOCKET) {
      closesocket(socket_);
      socket_ = INVALID_SOCKET;
    }
  }

  bool IsOpen() const { return open_; }

 private:
  bool Handshake(const std::string& host, int port, const std::string& path) {
    std::random_device random;
    std::string nonce(16, '\0');
    for (char& c : nonce) c = static_cast<char>(random() & 0xFF);
    const std::string request = "GET " + path + " HTTP/1.1\r\nHost: " + host + ":" +
                                std::to_string(port) +
                                "\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
                                "Sec-WebSocket-Key: " +
                                Base64Encode(nonce) + "\r\nSec-WebSocket-Version: 13\r\n\r\n";
    if (!SendAll(request.data(), request.size())) return false;
    // The answer's head, read a byte at a time so that no frame byte is taken with it.
    std::string head;
    char c;
    while (head.size() < 8192 && head.find("\r\n\r\n") == std::string::npos) {
      if (recv(socket_, &c, 1, 0) != 1) return false;
      head += c;
    }
    return head.compare(0, 12, "HTTP/1.1 101") == 0;
  }

  bool SendAll(const char* data, size_t size) {
    while (size > 0) {
      const int sent = ::send(socket_, data, static_cast<int>(size), 0);
      if (sent <= 0) return false;
      data += sent;
      size -= sent;
    }
    return true;
  }

  // Reads through a buffer: under Wine every recv is a trip through the Wine server, so a
  // frame's head and payload should not cost one each.
  bool RecvAll(char* data, size_t size) {
    while (size > 0) {
      if (bufferAt_ == bufferEnd_) {
        const int got = recv(socket_, buffer_, sizeof(buffer_), 0);
        if (got <= 0) return false;
        bufferAt_ = 0;
        bufferEnd_ = static_cast<size_t>(got);
      }
      const size_t n = std::min(size, bufferEnd_ - bufferAt_);
      std::memcpy(data, buffer_ + bufferAt_, n);
      bufferAt_ += n;
      data += n;
      size -= n;
    }
    return true;
  }

  bool SendFrame(Opcode opcode, const std::string& payload) {
    if (!open_) return false;
    return SendFrameUnchecked(opcode, payload);
  }

  bool SendFrameUnchecked(Opcode opcode, const std::string& payload) {
    std::string frame;
    frame.reserve(payload.size() + 14);
    frame += static_cast<char>(0x80 | opcode);
    const uint64_t size = payload.size();
    if (size < 126) {
      frame += static_cast<char>(0x80 | size);
    } else if (size <= 0xFFFF) {
      frame += static_cast<char>(0x80 | 126);
      frame += static_cast<char>(size >> 8);
      frame += static_cast<char>(size & 0xFF);
    } else {
      frame += static_cast<char>(0x80 | 127);
      for (int shift = 56; shift >= 0; shift -= 8)
        frame += static_cast<char>((size >> shift) & 0xFF);
    }
    uint8_t mask[4];
    {
      std::lock_guard<std::mutex> hold(sendLock_);
      for (uint8_t& m : mask) m = static_cast<uint8_t>(maskSource_() & 0xFF);
    }
    frame.append(reinterpret_cast<char*>(mask), 4);
    const size_t start = frame.size();
    frame += payload;
    for (size_t i = 0; i < payload.size(); ++i) frame[start + i] ^= mask[i & 3];
    std::lock_guard<std::mutex> hold(sendLock_);
    return socket_ != INVALID_SOCKET && SendAll(frame.data(), frame.size());
  }

  // One frame: false when the connection ended or broke the protocol.
  bool ReadFrame(bool& fin, uint8_t& opcode, std::string& payload) {
    uint8_t head[2];
    if (!RecvAll(reinterpret_cast<char*>(head), 2)) return false;
    fin = (head[0] & 0x80) != 0;
    opcode = head[0] & 0x0F;
    if (head[1] & 0x80) return false;  // a server never masks
    uint64_t size = head[1] & 0x7F;
    if (size >= 126) {
      uint8_t ext[8];
      const int n = size == 126 ? 2 : 8;
      if (!RecvAll(reinterpret_cast<char*>(ext), n)) return false;
      size = 0;
      for (int i = 0; i < n; ++i) size = (size << 8) | ext[i];
    }
    if (size > kMaxMessage) return false;
    payload.resize(static_cast<size_t>(size));
    return size == 0 || RecvAll(&payload[0], payload.size());
  }

  // Without memory for a frame the connection ends, as it does for a broken frame: the
  // process goes on.
  bool ReadFrameOrNoMemory(bool& fin, uint8_t& opcode, std::string& payload) {
    try {
      return ReadFrame(fin, opcode, payload);
    } catch (const std::bad_alloc&) {
      return false;
    }
  }

  static bool Append(std::string& message, const std::string& payload) {
    try {
      message += payload;
      return true;
    } catch (const std::bad_alloc&) {
      return false;
    }
  }

  void ReadLoop() {
    std::string message;
    bool inMessage = false;
    while (true) {
      bool fin;
      uint8_t opcode;
      std::string payload;
      if (!ReadFrameOrNoMemory(fin, opcode, payload)) break;
      if (opcode == kPing) {
        SendFrame(kPong, payload);
      } else if (opcode == kClose) {
        break;
      } else if (opcode == kText || opcode == kBinary || opcode == kContinuation) {
        if ((opcode == kContinuation) != inMessage) break;  // out of order
        if (message.size() + payload.size() > kMaxMessage) break;
        if (!Append(message, payload)) break;
        inMessage = !fin;
        if (fin) {
          onMessage_(std::move(message));
          message.clear();
        }
      } else if (opcode != kPong) {
        break;
      }
    }
    if (open_.exchange(false)) {
      SendFrameUnchecked(kClose, std::string());
      shutdown(socket_, SD_BOTH);
    }
    if (onClosed_) onClosed_();
  }

  SOCKET socket_ = INVALID_SOCKET;
  char buffer_[64 * 1024];
  size_t bufferAt_ = 0;
  size_t bufferEnd_ = 0;
  std::atomic<bool> open_{false};
  std::mutex sendLock_;
  std::minstd_rand maskSource_{std::random_device{}()};
  std::thread reader_;
  MessageFunction onMessage_;
  ClosedFunction onClosed_;
};

WebSocketClient::WebSocketClient() : impl_(new Impl()) {}
WebSocketClient::~WebSocketClient() = default;

bool WebSocketClient::Connect(const std::string& host, int port, const std::string& path,
                              MessageFunction onMessage, ClosedFunction onClosed,
                              unsigned timeoutMs) {
  return impl_->Connect(host, port, path, std::move(onMessage), std::move(onClosed), timeoutMs);
}

bool WebSocketClient::Send(const std::string& text) {
  return impl_->Send(text);
}
void WebSocketClient::Close() {
  impl_->Close();
}
bool WebSocketClient::IsOpen() const {
  return impl_->IsOpen();
}

}  // namespace engine

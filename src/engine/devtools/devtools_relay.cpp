#include "engine/devtools/devtools_relay.h"

#include <winsock2.h>
#include <ws2tcpip.h>
// winsock2.h before windows.h
#include <bcrypt.h>
#include <windows.h>

#include <new>

#include "engine/transport/websocket_client.h"

namespace engine {
namespace {

const char kAcceptGuid[] = "258EAFA5-E914-47DA-95CA-C5AB0DC85B11";
const char kRefused[] = "HTTP/1.1 403 Forbidden\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";

bool SendAll(SOCKET s, const char* data, size_t size) {
  while (size > 0) {
    const int sent = ::send(s, data, static_cast<int>(size), 0);
    if (sent <= 0) return false;
    data += sent;
    size -= static_cast<size_t>(sent);
  }
  return true;
}

// Waits for the bytes, looking at `stop` every 100 ms: a thread blocked in recv is not woken
// by shutdown everywhere (Wine), and Stop must not wait on a silent frontend.
bool RecvAll(SOCKET s, char* data, size_t size, const std::atomic<bool>& stop) {
  while (size > 0) {
    fd_set ready;
    FD_ZERO(&ready);
    FD_SET(s, &ready);
    timeval wait = {0, 100 * 1000};
    const int count = select(0, &ready, nullptr, nullptr, &wait);
    if (stop || count < 0) return false;
    if (count == 0) continue;
    const int got = recv(s, data, static_cast<int>(size < (1u << 20) ? size : (1u << 20)), 0);
    if (got <= 0) return false;
    data += got;
    size -= static_cast<size_t>(got);
  }
  return true;
}

std::string Sha1(const std::string& bytes) {
  std::string digest;
  BCRYPT_ALG_HANDLE algorithm = nullptr;
  if (BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA1_ALGORITHM, nullptr, 0) != 0) {
    return digest;
  }
  BCRYPT_HASH_HANDLE hash = nullptr;
  if (BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0) == 0) {
    UCHAR out[20];
    if (BCryptHashData(hash, reinterpret_cast<PUCHAR>(const_cast<char*>(bytes.data())),
                       static_cast<ULONG>(bytes.size()), 0) == 0 &&
        BCryptFinishHash(hash, out, sizeof(out), 0) == 0) {
      digest.assign(reinterpret_cast<char*>(out), sizeof(out));
    }
    BCryptDestroyHash(hash);
  }
  BCryptCloseAlgorithmProvider(algorithm, 0);
  return digest;
}

constexpr ULONGLONG kHeadDeadlineMs = 3000;
constexpr size_t kMaxHead = 8192;
// Requests whose heads are still coming; past this the oldest gives way to a new one.
constexpr size_t kMaxPending = 16;

enum class HeadState { kMore, kDone, kBroken };

// Takes what has arrived of a request's head without waiting, a byte at a time so that
// nothing after the head is taken.
HeadState ReadHeadPart(SOCKET s, std::string& head) {
  char c;
  while (head.find("\r\n\r\n") == std::string::npos) {
    if (head.size() >= kMaxHead) return HeadState::kBroken;
    const int got = recv(s, &c, 1, 0);
    if (got == 1) {
      head += c;
      continue;
    }
    return got < 0 && WSAGetLastError() == WSAEWOULDBLOCK ? HeadState::kMore : HeadState::kBroken;
  }
  return HeadState::kDone;
}

void SetBlocking(SOCKET s, bool blocking) {
  u_long nonBlocking = blocking ? 0 : 1;
  ioctlsocket(s, FIONBIO, &nonBlocking);
}

std::string HeaderValue(const std::string& head, const std::string& name) {
  size_t at = 0;
  while ((at = head.find("\r\n", at)) != std::string::npos) {
    at += 2;
    if (_strnicmp(head.c_str() + at, name.c_str(), name.size()) != 0 ||
        head.compare(at + name.size(), 1, ":") != 0) {
      continue;
    }
    size_t start = at + name.size() + 1;
    while (start < head.size() && head[start] == ' ') ++start;
    return head.substr(start, head.find("\r\n", start) - start);
  }
  return std::string();
}

std::string ServerFrame(uint8_t opcode, const std::string& payload) {
  std::string frame(1, static_cast<char>(0x80 | opcode));
  const uint64_t size = payload.size();
  if (size < 126) {
    frame += static_cast<char>(size);
  } else if (size <= 0xFFFF) {
    frame += static_cast<char>(126);
    frame += static_cast<char>(size >> 8);
    frame += static_cast<char>(size & 0xFF);
  } else {
    frame += static_cast<char>(127);
    for (int shift = 56; shift >= 0; shift -= 8) frame += static_cast<char>((size >> shift) & 0xFF);
  }
  return frame + payload;
}

// One frame of the frontend (always masked); false when the connection ended or broke the
// protocol.
bool ReadClientFrame(SOCKET s, const std::atomic<bool>& stop, bool& fin, uint8_t& opcode,
                     std::string& payload) {
  uint8_t head[2];
  if (!RecvAll(s, reinterpret_cast<char*>(head), 2, stop) || !(head[1] & 0x80)) return false;
  fin = (head[0] & 0x80) != 0;
  opcode = head[0] & 0x0F;
  uint64_t size = head[1] & 0x7F;
  if (size >= 126) {
    uint8_t ext[8];
    const int n = size == 126 ? 2 : 8;
    if (!RecvAll(s, reinterpret_cast<char*>(ext), n, stop)) return false;
    size = 0;
    for (int i = 0; i < n; ++i) size = (size << 8) | ext[i];
  }
  uint8_t mask[4];
  if (size > WebSocketClient::kMaxMessage || !RecvAll(s, reinterpret_cast<char*>(mask), 4, stop)) {
    return false;
  }
  payload.resize(static_cast<size_t>(size));
  if (size > 0 && !RecvAll(s, &payload[0], payload.size(), stop)) return false;
  for (size_t i = 0; i < payload.size(); ++i) payload[i] ^= static_cast<char>(mask[i & 3]);
  return true;
}

}  // namespace

std::string RandomSecret() {
  unsigned char bits[16];
  if (BCryptGenRandom(nullptr, bits, sizeof(bits), BCRYPT_USE_SYSTEM_PREFERRED_RNG) != 0) {
    return std::string();
  }
  static const char kHex[] = "0123456789abcdef";
  std::string text;
  for (unsigned char b : bits) {
    text += kHex[b >> 4];
    text += kHex[b & 15];
  }
  return text;
}

// The browser gives a page showing its bundled tools the bindings of its own tools window,
// which a page is not: the tools' title would stay "DevTools". Without them the tools run
// as they do served by a debugging port, and name the inspected page in their title.
const char* DevToolsRelay::FrontendScript() {
  return "(() => {\n"
         "  try { delete window.InspectorFrontendHost; } catch (e) {}\n"
         "  Object.defineProperty(window, 'InspectorFrontendHost', {\n"
         "    configurable: true,\n"
         "    get() { return undefined; },\n"
         "    set(value) {\n"
         "      if (value && value.constructor &&\n"
         "          value.constructor.name === 'InspectorFrontendHostImpl') return;\n"
         "      Object.defineProperty(window, 'InspectorFrontendHost',\n"
         "                            {value, writable: true, configurable: true});\n"
         "    },\n"
         "  });\n"
         "})();\n";
}

DevToolsRelay::~DevToolsRelay() {
  Stop();
}

std::string DevToolsRelay::Address() const {
  return "127.0.0.1:" + std::to_string(port_) + path_;
}

std::string DevToolsRelay::FrontendUrl() const {
  return "devtools://devtools/bundled/devtools_app.html?ws=" + Address();
}

bool DevToolsRelay::Start(const std::string& session, MessageFunction toBrowser) {
  static const bool winsock = [] {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  const std::string secret = RandomSecret();
  if (secret.empty() || !winsock) return false;
  SOCKET listener = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (listener == INVALID_SOCKET) return false;
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int size = sizeof(address);
  if (::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
      ::listen(listener, 4) != 0 ||
      getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
    closesocket(listener);
    return false;
  }
  listener_ = listener;
  port_ = ntohs(address.sin_port);
  path_ = "/" + secret;
  toBrowser_ = std::move(toBrowser);
  sessions_[session] = true;
  acceptor_ = std::thread([this] { AcceptLoop(); });
  return true;
}

void DevToolsRelay::Stop() {
  stopping_ = true;
  if (acceptor_.joinable()) acceptor_.join();
  {
    std::lock_guard<std::mutex> hold(sendLock_);
    if (connection_ != INVALID_SOCKET) shutdown(connection_, SD_BOTH);
  }
  if (server_.joinable()) server_.join();
  if (connection_ != INVALID_SOCKET) closesocket(connection_);
  connection_ = INVALID_SOCKET;
  if (listener_ != INVALID_SOCKET) closesocket(listener_);
  listener_ = INVALID_SOCKET;
}

void DevToolsRelay::ToFrontend(const std::string& text) {
  std::lock_guard<std::mutex> hold(sendLock_);
  if (connection_ == INVALID_SOCKET) return;
  const std::string frame = ServerFrame(1, text);
  SendAll(connection_, frame.data(), frame.size());
}

bool DevToolsRelay::FromBrowser(json& message) {
  const std::string session = Text(message, "sessionId");
  if (session.empty()) return false;
  {
    std::lock_guard<std::mutex> hold(sessionLock_);
    auto it = sessions_.find(session);
    if (it == sessions_.end()) return false;
    const bool root = it->second;
    const std::string method = Text(message, "method");
    const std::string child = Text(Member(message, "params"), "sessionId");
    if (method == "Target.attachedToTarget" && !child.empty()) {
      sessions_[child] = false;
    } else if (method == "Target.detachedFromTarget") {
      sessions_.erase(child);
    }
    if (root) message.erase("sessionId");
  }
  ToFrontend(Dump(message));
  return true;
}

// The frontend speaks in the page's session, or in the sessions of the page's own frames and
// workers that it attached to, and in no other.
void DevToolsRelay::FromFrontend(std::string&& text) {
  json message = ParseJson(text);
  if (message.is_discarded() || !message.is_object()) return;
  {
    std::lock_guard<std::mutex> hold(sessionLock_);
    std::string session = Text(message, "sessionId");
    for (auto& entry : sessions_) {
      if (session.empty() && entry.second) session = entry.first;
    }
    if (!sessions_.count(session)) return;
    message["sessionId"] = session;
  }
  toBrowser_(Dump(message));
}

// No client can hold the door: requests are read side by side without waiting, each with
// one deadline for its whole head, and the loop looks at stopping_ every 100 ms.
void DevToolsRelay::AcceptLoop() {
  std::vector<PendingRequest> pending;
  while (!stopping_) {
    fd_set ready;
    FD_ZERO(&ready);
    FD_SET(listener_, &ready);
    for (const PendingRequest& p : pending) FD_SET(p.socket, &ready);
    timeval wait = {0, 100 * 1000};
    const int count = select(0, &ready, nullptr, nullptr, &wait);
    if (count > 0 && FD_ISSET(listener_, &ready)) Admit(pending);
    const ULONGLONG now = GetTickCount64();
    for (auto it = pending.begin(); it != pending.end();) {
      const bool readable = count > 0 && FD_ISSET(it->socket, &ready);
      const HeadState state = readable ? ReadHeadPart(it->socket, it->head) : HeadState::kMore;
      if (state == HeadState::kMore && now < it->deadline) {
        ++it;
        continue;
      }
      if (state != HeadState::kDone || !TakeConnection(it->socket, it->head)) {
        closesocket(it->socket);
      }
      it = pending.erase(it);
    }
  }
  for (const PendingRequest& p : pending) closesocket(p.socket);
}

void DevToolsRelay::Admit(std::vector<PendingRequest>& pending) {
  SOCKET s = accept(listener_, nullptr, nullptr);
  if (s == INVALID_SOCKET) return;
  SetBlocking(s, false);
  if (pending.size() >= kMaxPending) {
    closesocket(pending.front().socket);
    pending.erase(pending.begin());
  }
  pending.push_back({s, std::string(), GetTickCount64() + kHeadDeadlineMs});
}

// The first request on the secret path becomes the connection; any other is refused.
bool DevToolsRelay::TakeConnection(uintptr_t candidate, const std::string& head) {
  const SOCKET s = candidate;
  SetBlocking(s, true);
  const std::string key = HeaderValue(head, "Sec-WebSocket-Key");
  const std::string expected = "GET " + path_ + " HTTP/1.1\r\n";
  if (used_ || key.empty() || head.compare(0, expected.size(), expected) != 0) {
    SendAll(s, kRefused, sizeof(kRefused) - 1);
    return false;
  }
  used_ = true;
  const std::string answer =
      "HTTP/1.1 101 Switching Protocols\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
      "Sec-WebSocket-Accept: " +
      Base64Encode(Sha1(key + kAcceptGuid)) + "\r\n\r\n";
  std::lock_guard<std::mutex> hold(sendLock_);
  if (!SendAll(s, answer.data(), answer.size())) return false;
  connection_ = s;
  server_ = std::thread([this] { Serve(); });
  return true;
}

void DevToolsRelay::Serve() {
  // Without memory for a frame the connection ends, not the process.
  try {
    ServeFrames();
  } catch (const std::bad_alloc&) {
  }
  std::lock_guard<std::mutex> hold(sendLock_);
  shutdown(connection_, SD_BOTH);
}

void DevToolsRelay::ServeFrames() {
  const SOCKET s = connection_;
  std::string message;
  bool fin;
  uint8_t opcode;
  std::string payload;
  while (!stopping_ && ReadClientFrame(s, stopping_, fin, opcode, payload)) {
    if (opcode == 8) break;
    if (opcode == 9) {
      std::lock_guard<std::mutex> hold(sendLock_);
      const std::string pong = ServerFrame(10, payload);
      SendAll(s, pong.data(), pong.size());
    } else if (opcode <= 2) {
      if (message.size() + payload.size() > WebSocketClient::kMaxMessage) break;
      message += payload;
      if (fin) {
        FromFrontend(std::move(message));
        message.clear();
      }
    }
  }
}

}  // namespace engine

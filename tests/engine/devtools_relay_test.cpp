// The developer tools' relay: a client that trickles its request cannot keep the tools out
// nor hold up Stop.

#include <gtest/gtest.h>

#include <winsock2.h>
// winsock2.h before windows.h
#include <windows.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "engine/devtools/devtools_relay.h"

namespace {

// A loopback client of the relay; waits at most 20 s for anything, so a broken relay fails
// the test instead of hanging it.
class Client {
 public:
  explicit Client(int port) {
    socket_ = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    DWORD timeout = 20000;
    setsockopt(socket_, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout),
               sizeof(timeout));
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<u_short>(port));
    connected_ = connect(socket_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
  }
  ~Client() { closesocket(socket_); }
  Client(const Client&) = delete;
  Client& operator=(const Client&) = delete;

  bool Connected() const { return connected_; }
  bool Send(const std::string& bytes) {
    return ::send(socket_, bytes.data(), static_cast<int>(bytes.size()), 0) ==
           static_cast<int>(bytes.size());
  }
  // The answer's head, up to its blank line; empty when none came.
  std::string ReadHead() {
    std::string head;
    char c;
    while (head.find("\r\n\r\n") == std::string::npos && recv(socket_, &c, 1, 0) == 1) head += c;
    return head;
  }
  // True once the relay has closed the connection (and sent nothing more first); a close
  // with bytes still unread there arrives as a reset.
  bool ClosedByPeer() {
    char c;
    const int got = recv(socket_, &c, 1, 0);
    return got == 0 || (got < 0 && WSAGetLastError() != WSAETIMEDOUT);
  }

 private:
  SOCKET socket_ = INVALID_SOCKET;
  bool connected_ = false;
};

std::string Upgrade(const std::string& path) {
  return "GET " + path +
         " HTTP/1.1\r\nHost: 127.0.0.1\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
         "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\n\r\n";
}

// A masked text frame of the frontend (short payloads only).
std::string MaskedText(const std::string& text) {
  std::string frame;
  frame += static_cast<char>(0x81);
  frame += static_cast<char>(0x80 | text.size());
  const char mask[4] = {1, 2, 3, 4};
  frame.append(mask, 4);
  for (size_t i = 0; i < text.size(); ++i) frame += static_cast<char>(text[i] ^ mask[i & 3]);
  return frame;
}

class RelayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(relay_.Start("PAGE", [this](std::string&& text) {
      std::lock_guard<std::mutex> hold(lock_);
      received_.push_back(std::move(text));
      arrived_.notify_all();
    }));
  }
  bool WaitForMessage(std::string& text) {
    std::unique_lock<std::mutex> hold(lock_);
    if (!arrived_.wait_for(hold, std::chrono::seconds(20), [this] { return !received_.empty(); }))
      return false;
    text = received_.front();
    return true;
  }

  engine::DevToolsRelay relay_;
  std::mutex lock_;
  std::condition_variable arrived_;
  std::vector<std::string> received_;
};

TEST_F(RelayTest, TricklingClientDoesNotKeepTheToolsOut) {
  Client slow(relay_.Port());
  ASSERT_TRUE(slow.Connected());
  const std::string request = Upgrade(relay_.Path());
  ASSERT_TRUE(slow.Send(request.substr(0, 5)));

  Client tools(relay_.Port());
  ASSERT_TRUE(tools.Connected());
  ASSERT_TRUE(tools.Send(request));
  EXPECT_EQ(tools.ReadHead().compare(0, 12, "HTTP/1.1 101"), 0);
  ASSERT_TRUE(tools.Send(MaskedText("{\"id\":1,\"method\":\"DOM.enable\"}")));
  std::string message;
  ASSERT_TRUE(WaitForMessage(message));
  EXPECT_NE(message.find("\"sessionId\":\"PAGE\""), std::string::npos) << message;

  // The trickler is still being read while the tools work, and is let go once its head has
  // taken too long as a whole, however steadily it trickles.
  EXPECT_TRUE(slow.Send(request.substr(5, 1)));
  EXPECT_TRUE(slow.ClosedByPeer());
}

TEST_F(RelayTest, RefusesTheWrongPathAndASecondConnection) {
  Client wrong(relay_.Port());
  ASSERT_TRUE(wrong.Send(Upgrade("/not-the-secret")));
  EXPECT_EQ(wrong.ReadHead().compare(0, 12, "HTTP/1.1 403"), 0);
  Client first(relay_.Port());
  ASSERT_TRUE(first.Send(Upgrade(relay_.Path())));
  EXPECT_EQ(first.ReadHead().compare(0, 12, "HTTP/1.1 101"), 0);
  Client second(relay_.Port());
  ASSERT_TRUE(second.Send(Upgrade(relay_.Path())));
  EXPECT_EQ(second.ReadHead().compare(0, 12, "HTTP/1.1 403"), 0);
}

// Stop must not wait for clients: the bound of one second is far above what Stop needs (a
// tenth of a second for the accepting loop to look up) and only catches a Stop that waits
// on a client's reads, which took five seconds per read before.
TEST_F(RelayTest, StopReturnsPromptlyWhileClientsTrickle) {
  Client slow(relay_.Port());
  ASSERT_TRUE(slow.Send("GET "));
  Client tools(relay_.Port());
  ASSERT_TRUE(tools.Send(Upgrade(relay_.Path())));
  ASSERT_EQ(tools.ReadHead().compare(0, 12, "HTTP/1.1 101"), 0);
  ASSERT_TRUE(tools.Send(std::string("\x81", 1)));  // a frame begun, never finished
  ASSERT_TRUE(slow.Send("/"));
  const auto start = std::chrono::steady_clock::now();
  relay_.Stop();
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(took).count(), 1000);
  EXPECT_TRUE(slow.ClosedByPeer());
}

}  // namespace

// The port's channel on its own, against a local server that answers the WebSocket
// handshake and then sends what a browser may not: the channel ends once, with the message
// before it delivered and none after it, without a crash or a hang (the same failure path
// as the pipes').

#include "engine/transport/websocket_channel.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "engine/http_test_server.h"
#include "engine/recording_client.h"
#include "engine/transport/websocket_client.h"

namespace {

using engine_test::WaitFor;

// A server's text frame (unmasked) of up to 125 bytes.
std::string TextFrame(const std::string& text) {
  return std::string{'\x81', static_cast<char>(text.size())} + text;
}

// The head of a text frame announcing the given payload size in the 64-bit form.
std::string LongFrameHead(uint64_t size) {
  std::string head = {'\x81', '\x7F'};
  for (int shift = 56; shift >= 0; shift -= 8) head += static_cast<char>((size >> shift) & 0xFF);
  return head;
}

struct BadFrame {
  const char* what;
  std::string bytes;  // after one good message
};

class WebSocketChannelBadFrame : public ::testing::TestWithParam<BadFrame> {};

TEST_P(WebSocketChannelBadFrame, EndsTheChannelOnceWithoutAHang) {
  const BadFrame& frame = GetParam();
  engine_test::HttpTestServer server;
  ASSERT_TRUE(server.Started());
  server.Set("/devtools/browser/x", {101, TextFrame("{\"ok\":1}") + frame.bytes, ""});
  engine::WebSocketChannel channel("127.0.0.1", server.Port(), "/devtools/browser/x");
  std::mutex lock;
  std::vector<std::string> messages;
  std::atomic<int> closed{0};
  ASSERT_TRUE(channel.Open(
      [&](std::string&& text) {
        std::lock_guard<std::mutex> hold(lock);
        messages.push_back(std::move(text));
      },
      [&] { ++closed; }));
  ASSERT_TRUE(WaitFor([&] { return closed.load() == 1; }, 60000)) << frame.what;
  EXPECT_FALSE(channel.IsOpen());
  EXPECT_FALSE(channel.Send("{\"id\":1}"));
  channel.Close();
  EXPECT_EQ(closed.load(), 1);
  std::lock_guard<std::mutex> hold(lock);
  EXPECT_EQ(messages, std::vector<std::string>{"{\"ok\":1}"}) << frame.what;
}

INSTANTIATE_TEST_SUITE_P(
    Table, WebSocketChannelBadFrame,
    ::testing::Values(BadFrame{"a frame longer than any message", LongFrameHead(uint64_t(1) << 40)},
                      BadFrame{"a frame just past the longest message",
                               LongFrameHead(engine::WebSocketClient::kMaxMessage + 1)},
                      BadFrame{"a frame the server masked", {'\x81', '\x82', 1, 2, 3, 4, 'a', 'b'}},
                      BadFrame{"a frame cut by the server's end",
                               TextFrame("{\"a\":1}").substr(0, 5)}));

}  // namespace

// The pipe channel on its own, over in-process pipes that the test writes as the browser
// would: whole messages at their NULs however the bytes arrive, and every message the
// browser may not send ends the channel (the engine's path for a broken connection)
// without a crash or a hang; messages past their bound, or without memory for them, are
// skipped and the channel goes on.

#include "engine/transport/pipe_channel.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <cstring>
#include <mutex>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include "engine/bad_pipe_input.h"
#include "engine/recording_client.h"

namespace {

using engine_test::BadPipeInput;
using engine_test::Bytes;
using engine_test::WaitFor;

// Both pipes of a channel, with the browser's ends kept by the test.
class PipeChannelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    HANDLE toBrowserRead, toBrowserWrite, fromBrowserRead, fromBrowserWrite;
    ASSERT_TRUE(CreatePipe(&toBrowserRead, &toBrowserWrite, nullptr, 0));
    ASSERT_TRUE(CreatePipe(&fromBrowserRead, &fromBrowserWrite, nullptr, 0));
    browserReads_ = toBrowserRead;
    browserWrites_ = fromBrowserWrite;
    channel_ = MakeChannel(toBrowserWrite, fromBrowserRead);
    // Messages of the kind "Console." have a bound of their own, as console output has.
    channel_->SetLimits(
        [](const std::string& head) {
          return head.compare(0, 19, "{\"method\":\"Console.") == 0 ? kConsoleBound : ~size_t(0);
        },
        [this](const std::string& head) {
          std::lock_guard<std::mutex> hold(lock_);
          skipped_.push_back(head);
        });
    ASSERT_TRUE(channel_->Open(
        [this](std::string&& text) {
          std::lock_guard<std::mutex> hold(lock_);
          messages_.push_back(std::move(text));
        },
        [this] { ++closed_; }));
  }

  void TearDown() override {
    channel_.reset();
    EndBrowserWriting();
    CloseHandle(browserReads_);
  }

  static constexpr size_t kConsoleBound = 1u << 20;

  virtual std::unique_ptr<engine::PipeChannel> MakeChannel(HANDLE toBrowser, HANDLE fromBrowser) {
    return std::unique_ptr<engine::PipeChannel>(new engine::PipeChannel(toBrowser, fromBrowser));
  }

  // Writes as the browser: false once the channel stopped reading.
  bool BrowserWrites(const std::string& bytes) {
    return engine_test::WriteWhole(browserWrites_, bytes);
  }

  void EndBrowserWriting() {
    if (browserWrites_) CloseHandle(browserWrites_);
    browserWrites_ = nullptr;
  }

  std::vector<std::string> Messages() {
    std::lock_guard<std::mutex> hold(lock_);
    return messages_;
  }
  std::vector<std::string> Skipped() {
    std::lock_guard<std::mutex> hold(lock_);
    return skipped_;
  }

  HANDLE browserReads_ = nullptr;
  HANDLE browserWrites_ = nullptr;
  std::unique_ptr<engine::PipeChannel> channel_;
  std::mutex lock_;
  std::vector<std::string> messages_;
  std::vector<std::string> skipped_;
  std::atomic<int> closed_{0};
};

TEST_F(PipeChannelTest, MessagesArriveWholeAtTheirNulsAndGoOutWithOne) {
  // A message split across writes, two in one write, and text beyond ASCII.
  ASSERT_TRUE(BrowserWrites(Bytes("{\"id\":")));
  ASSERT_TRUE(BrowserWrites(Bytes("1}\0{\"a\":\"\xE4\xB8\xAD\"}\0{\"b\":2}\0")));
  const std::string big = "{\"x\":\"" + std::string(3 << 20, 'y') + "\"}";
  ASSERT_TRUE(BrowserWrites(big + std::string(1, '\0')));
  ASSERT_TRUE(WaitFor([&] { return Messages().size() == 4; }));
  const std::vector<std::string> got = Messages();
  EXPECT_EQ(got[0], "{\"id\":1}");
  EXPECT_EQ(got[1], "{\"a\":\"\xE4\xB8\xAD\"}");
  EXPECT_EQ(got[2], "{\"b\":2}");
  EXPECT_EQ(got[3], big);
  EXPECT_TRUE(channel_->IsOpen());

  ASSERT_TRUE(channel_->Send("{\"id\":7}"));
  char read[16] = {};
  DWORD n = 0;
  ASSERT_TRUE(ReadFile(browserReads_, read, sizeof(read), &n, nullptr));
  EXPECT_EQ(std::string(read, n), Bytes("{\"id\":7}\0"));
  EXPECT_EQ(closed_.load(), 0);
}

// What a browser may not send, and the browser's end, after one good message.
class PipeChannelBadInput : public PipeChannelTest,
                            public ::testing::WithParamInterface<BadPipeInput> {};

TEST_P(PipeChannelBadInput, EndsTheChannelOnceWithoutAHang) {
  const BadPipeInput& input = GetParam();
  ASSERT_TRUE(BrowserWrites(Bytes("{\"ok\":1}\0")));
  // The browser writes on its own thread: a channel that stops reading must not leave it
  // blocked either.
  std::thread browser([&] {
    BrowserWrites(input.Bytes());
    if (input.browserEnds) EndBrowserWriting();
  });
  const bool closed = WaitFor([&] { return closed_.load() == 1; }, 60000);
  browser.join();
  ASSERT_TRUE(closed) << input.what;
  EXPECT_FALSE(channel_->IsOpen());
  EXPECT_FALSE(channel_->Send("{\"id\":1}"));
  const std::vector<std::string> got = Messages();
  ASSERT_EQ(got.size(), 1u) << input.what;
  EXPECT_EQ(got[0], "{\"ok\":1}");
  channel_->Close();
  EXPECT_EQ(closed_.load(), 1);
}

INSTANTIATE_TEST_SUITE_P(Table, PipeChannelBadInput,
                         ::testing::ValuesIn(engine_test::BadPipeInputs()));

// Messages past their bound, each between two good ones: skipped as they stream in, told by
// their beginning, and the channel goes on.
TEST_F(PipeChannelTest, OversizedMessagesAreSkippedAndReadingGoesOn) {
  struct Case {
    const char* what;
    std::string bytes;
    const char* head;
  };
  const Case cases[] = {
      {"past the channel's bound", engine_test::OversizedReply(5), "{\"id\":5,"},
      {"a kind past its own bound",
       "{\"method\":\"Console.log\",\"params\":\"" + std::string(kConsoleBound, 'z') + "\"}",
       "{\"method\":\"Console.log\""},
      {"300 MB without a NUL until its end", std::string(300u << 20, 'x'), "xxxx"},
  };
  size_t expected = 0;
  for (const Case& c : cases) {
    std::thread browser([&] {
      BrowserWrites(Bytes("{\"ok\":1}\0") + c.bytes + std::string(1, '\0') +
                    Bytes("{\"after\":1}\0"));
    });
    expected += 2;
    const bool arrived = WaitFor([&] { return Messages().size() == expected; }, 60000);
    browser.join();
    ASSERT_TRUE(arrived) << c.what;
    const std::vector<std::string> got = Messages();
    EXPECT_EQ(got[expected - 2], "{\"ok\":1}") << c.what;
    EXPECT_EQ(got[expected - 1], "{\"after\":1}") << c.what;
    const std::vector<std::string> skipped = Skipped();
    ASSERT_EQ(skipped.size(), expected / 2) << c.what;
    EXPECT_EQ(skipped.back().compare(0, strlen(c.head), c.head), 0) << c.what;
    EXPECT_LE(skipped.back().size(), engine::CdpChannel::kHeadSize) << c.what;
    EXPECT_TRUE(channel_->IsOpen()) << c.what;
  }
  // A kind within its bound, and a large message of another kind, arrive whole.
  const std::string console =
      "{\"method\":\"Console.log\",\"params\":\"" + std::string(kConsoleBound - 100, 'z') + "\"}";
  const std::string large = "{\"id\":9,\"result\":\"" + std::string(20u << 20, 'r') + "\"}";
  std::thread browser(
      [&] { BrowserWrites(console + std::string(1, '\0') + large + std::string(1, '\0')); });
  const bool arrived = WaitFor([&] { return Messages().size() == expected + 2; }, 60000);
  browser.join();
  ASSERT_TRUE(arrived);
  EXPECT_EQ(Messages()[expected], console);
  EXPECT_EQ(Messages()[expected + 1], large);
  EXPECT_EQ(closed_.load(), 0);
}

// A channel whose memory runs out for messages past 2 MB.
class ScarceMemoryChannel : public engine::PipeChannel {
 public:
  using PipeChannel::PipeChannel;

 protected:
  void Append(std::string& message, const char* data, size_t size) override {
    if (message.size() + size > (2u << 20)) throw std::bad_alloc();
    PipeChannel::Append(message, data, size);
  }
};

class PipeChannelScarceMemory : public PipeChannelTest {
 protected:
  std::unique_ptr<engine::PipeChannel> MakeChannel(HANDLE toBrowser, HANDLE fromBrowser) override {
    return std::unique_ptr<engine::PipeChannel>(new ScarceMemoryChannel(toBrowser, fromBrowser));
  }
};

TEST_F(PipeChannelScarceMemory, NoMemoryForAMessageEndsThatMessageOnly) {
  const std::string big = "{\"id\":3,\"result\":\"" + std::string(3u << 20, 'y') + "\"}";
  std::thread browser([&] {
    BrowserWrites(Bytes("{\"ok\":1}\0") + big + std::string(1, '\0') + Bytes("{\"after\":1}\0"));
  });
  const bool arrived = WaitFor([&] { return Messages().size() == 2; }, 60000);
  browser.join();
  ASSERT_TRUE(arrived);
  EXPECT_EQ(Messages(), (std::vector<std::string>{"{\"ok\":1}", "{\"after\":1}"}));
  ASSERT_EQ(Skipped().size(), 1u);
  EXPECT_EQ(Skipped()[0].compare(0, 7, "{\"id\":3"), 0);
  EXPECT_TRUE(channel_->IsOpen());
  EXPECT_EQ(closed_.load(), 0);
}

TEST_F(PipeChannelTest, CloseReturnsWhileTheBrowserSaysNothing) {
  const DWORD start = GetTickCount();
  channel_->Close();
  EXPECT_LT(GetTickCount() - start, 5000u);
  EXPECT_FALSE(channel_->IsOpen());
  EXPECT_EQ(closed_.load(), 1);
}

}  // namespace

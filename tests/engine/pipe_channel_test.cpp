// The pipe channel on its own, over in-process pipes that the test writes as the browser
// would: whole messages at their NULs however the bytes arrive, and every message the
// browser may not send ends the channel (the engine's path for a broken connection)
// without a crash or a hang.

#include "engine/transport/pipe_channel.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <mutex>
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
    channel_.reset(new engine::PipeChannel(toBrowserWrite, fromBrowserRead));
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

  HANDLE browserReads_ = nullptr;
  HANDLE browserWrites_ = nullptr;
  std::unique_ptr<engine::PipeChannel> channel_;
  std::mutex lock_;
  std::vector<std::string> messages_;
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

TEST_F(PipeChannelTest, CloseReturnsWhileTheBrowserSaysNothing) {
  const DWORD start = GetTickCount();
  channel_->Close();
  EXPECT_LT(GetTickCount() - start, 5000u);
  EXPECT_FALSE(channel_->IsOpen());
  EXPECT_EQ(closed_.load(), 1);
}

}  // namespace

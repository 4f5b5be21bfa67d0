// The browser's pipes as a Windows browser takes them. This machine has no Windows browser:
// BrowserProcess starts a stand-in (stand_in_browser.exe) as a Windows program even under
// Wine, the stand-in opens its descriptors 3 and 4 through its C runtime from the block
// BrowserProcess handed it, and the pipe channel drives it as it drives the browser.

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "engine/bad_pipe_input.h"
#include "engine/core/backend.h"
#include "engine/devtools/devtools_backend.h"
#include "engine/process/browser_process.h"
#include "engine/process/child_pipes.h"
#include "engine/recording_client.h"
#include "engine/transport/cdp_channel.h"

namespace {

using engine_test::BadPipeInput;
using engine_test::WaitFor;

std::wstring StandInProgram() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder = path;
  return folder.substr(0, folder.find_last_of(L"\\/") + 1) + L"stand_in_browser.exe";
}

std::string Reply(int id, const std::string& result = "{}") {
  return "{\"id\":" + std::to_string(id) + ",\"result\":" + result + "}";
}

std::string Command(int id, const std::string& method, const std::string& params = "{}") {
  return "{\"id\":" + std::to_string(id) + ",\"method\":\"" + method + "\",\"params\":" + params +
         "}";
}

// One stand-in browser started the Windows way, its channel open, recording what arrives.
class StandInBrowser {
 public:
  ~StandInBrowser() { channel_.reset(); }

  bool Start() {
    process_.StartAsWindowsProgram(true);
    if (!process_.Launch(StandInProgram(), engine::StartOptions(), 30000)) return false;
    channel_ = process_.MakeChannel();
    if (!channel_) return false;
    channel_->SetLimits(nullptr, [this](const std::string& head) {
      std::lock_guard<std::mutex> hold(lock_);
      skipped_.push_back(head);
    });
    return channel_->Open(
        [this](std::string&& text) {
          std::lock_guard<std::mutex> hold(lock_);
          messages_.push_back(std::move(text));
        },
        [this] { ++closed_; });
  }

  bool Send(const std::string& text) { return channel_->Send(text); }
  std::vector<std::string> Messages() {
    std::lock_guard<std::mutex> hold(lock_);
    return messages_;
  }
  std::vector<std::string> Skipped() {
    std::lock_guard<std::mutex> hold(lock_);
    return skipped_;
  }
  bool WaitForMessages(size_t count) {
    return WaitFor([&] { return Messages().size() >= count; }, 30000);
  }
  bool WaitForClosed() {
    return WaitFor([&] { return closed_.load() > 0; }, 60000);
  }
  // The stand-in reads until its command pipe ends: dropping the channel ends it.
  void DropChannel() { channel_.reset(); }
  int Closed() const { return closed_.load(); }
  engine::BrowserProcess& Process() { return process_; }
  engine::CdpChannel& Channel() { return *channel_; }

 private:
  engine::BrowserProcess process_;
  std::unique_ptr<engine::CdpChannel> channel_;
  std::mutex lock_;
  std::vector<std::string> messages_;
  std::vector<std::string> skipped_;
  std::atomic<int> closed_{0};
};

// The block the C runtime reads: a count, a flag byte per descriptor, then the handles,
// unaligned, as wide as the program's pointers.
TEST(CrtDescriptorBlock, HoldsCountFlagsAndHandlesForEitherWordSize) {
  const std::vector<engine::CrtDescriptor> descriptors = {
      {INVALID_HANDLE_VALUE, 0},
      {reinterpret_cast<void*>(0x1234), engine::kCrtOpen | engine::kCrtPipe},
      {reinterpret_cast<void*>(0x89AB), engine::kCrtOpen}};
  // The count (a little-endian int) and the flags are the same in either layout.
  const std::vector<unsigned char> head = {3, 0, 0, 0, 0x00, 0x09, 0x01};
  struct Case {
    size_t handleSize;
    std::vector<unsigned char> handles;
  };
  // clang-format off
  const Case cases[] = {
      {4, {0xFF, 0xFF, 0xFF, 0xFF,  0x34, 0x12, 0, 0,  0xAB, 0x89, 0, 0}},
      {8, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
           0x34, 0x12, 0, 0, 0, 0, 0, 0,
           0xAB, 0x89, 0, 0, 0, 0, 0, 0}},
  };
  // clang-format on
  for (const Case& c : cases) {
    std::vector<unsigned char> expected = head;
    expected.insert(expected.end(), c.handles.begin(), c.handles.end());
    EXPECT_EQ(engine::CrtDescriptorBlock(descriptors, c.handleSize), expected) << c.handleSize;
  }
  EXPECT_EQ(engine::CrtDescriptorBlock(descriptors).size(), 4 + 3 * (1 + sizeof(HANDLE)));
  EXPECT_EQ(engine::CrtDescriptorBlock({}), std::vector<unsigned char>(4, 0));
}

TEST(NativePipe, RepliesArriveAndTheChannelClosesWhenTheBrowserEnds) {
  StandInBrowser browser;
  ASSERT_TRUE(browser.Start()) << browser.Process().Error();
  EXPECT_EQ(browser.Process().Channel(), engine::ControlChannel::kPipe);
  EXPECT_EQ(browser.Process().Port(), 0);
  ASSERT_TRUE(browser.Send(Command(1, "Target.setDiscoverTargets")));
  ASSERT_TRUE(browser.Send(Command(2, "Test.big")));
  ASSERT_TRUE(browser.Send(Command(3, "Browser.getVersion")));
  ASSERT_TRUE(browser.WaitForMessages(3));
  const std::vector<std::string> got = browser.Messages();
  EXPECT_EQ(got[0], Reply(1));
  EXPECT_EQ(got[1], Reply(2, "{\"x\":\"" + std::string(3 << 20, 'y') + "\"}"));
  EXPECT_EQ(got[2], Reply(3));
  EXPECT_FALSE(browser.Process().HasExited());

  ASSERT_TRUE(browser.Send(Command(4, "Test.exit")));
  ASSERT_TRUE(browser.WaitForClosed());
  EXPECT_TRUE(WaitFor([&] { return browser.Process().HasExited(); }));
  EXPECT_FALSE(browser.Channel().IsOpen());
  EXPECT_FALSE(browser.Send(Command(5, "Browser.getVersion")));
  EXPECT_EQ(browser.Messages().size(), 3u);
  EXPECT_EQ(browser.Closed(), 1);
}

// What a browser may not send, sent by the stand-in after one good reply: the channel's
// failure path, once, and the stand-in ends when the channel is gone.
class NativePipeBadInput : public ::testing::TestWithParam<BadPipeInput> {};

TEST_P(NativePipeBadInput, EndsTheChannelOnceWithoutAHang) {
  const BadPipeInput& input = GetParam();
  StandInBrowser browser;
  ASSERT_TRUE(browser.Start()) << browser.Process().Error();
  ASSERT_TRUE(browser.Send(Command(1, "Target.setDiscoverTargets")));
  ASSERT_TRUE(browser.WaitForMessages(1));
  ASSERT_TRUE(
      browser.Send(Command(2, "Test.bad", std::string("{\"what\":\"") + input.what + "\"}")));
  ASSERT_TRUE(browser.WaitForClosed()) << input.what;
  EXPECT_FALSE(browser.Channel().IsOpen());
  EXPECT_FALSE(browser.Send(Command(3, "Browser.getVersion")));
  EXPECT_EQ(browser.Messages(), std::vector<std::string>{Reply(1)}) << input.what;
  EXPECT_EQ(browser.Closed(), 1);
  browser.DropChannel();
  EXPECT_TRUE(WaitFor([&] { return browser.Process().HasExited(); }, 30000)) << input.what;
}

INSTANTIATE_TEST_SUITE_P(Table, NativePipeBadInput,
                         ::testing::ValuesIn(engine_test::BadPipeInputs()));

// A reply past the channel's bound is skipped as it streams in and the channel goes on.
TEST(NativePipe, AnOversizedReplyIsSkippedAndTheNextArrives) {
  StandInBrowser browser;
  ASSERT_TRUE(browser.Start()) << browser.Process().Error();
  ASSERT_TRUE(browser.Send(Command(1, "Test.huge")));
  ASSERT_TRUE(browser.Send(Command(2, "Browser.getVersion")));
  ASSERT_TRUE(browser.WaitForMessages(1));
  EXPECT_EQ(browser.Messages(), std::vector<std::string>{Reply(2)});
  const std::vector<std::string> skipped = browser.Skipped();
  ASSERT_EQ(skipped.size(), 1u);
  EXPECT_EQ(skipped[0].compare(0, 7, "{\"id\":1"), 0) << skipped[0].substr(0, 40);
  EXPECT_TRUE(browser.Channel().IsOpen());
  EXPECT_EQ(browser.Closed(), 0);
}

// A second browser started while the first runs, and while the client holds an inheritable
// handle of its own, inherits none of them: each pipe ends when its own holders let go.
TEST(NativePipe, NoOtherChildHoldsTheEnds) {
  StandInBrowser first;
  ASSERT_TRUE(first.Start()) << first.Process().Error();
  SECURITY_ATTRIBUTES inheritable = {sizeof(inheritable), nullptr, TRUE};
  HANDLE ownRead = nullptr;
  HANDLE ownWrite = nullptr;
  ASSERT_TRUE(CreatePipe(&ownRead, &ownWrite, &inheritable, 0));
  StandInBrowser second;
  const bool started = second.Start();
  CloseHandle(ownWrite);
  const bool ownEnded = WaitFor([&] {
    DWORD available = 0;
    return !PeekNamedPipe(ownRead, nullptr, 0, nullptr, &available, nullptr) &&
           GetLastError() == ERROR_BROKEN_PIPE;
  });
  CloseHandle(ownRead);
  ASSERT_TRUE(started) << second.Process().Error();
  EXPECT_TRUE(ownEnded) << "the second browser holds the client's own inheritable handle";

  // The first browser's end is the end of its channel while the second still runs.
  ASSERT_TRUE(first.Send(Command(1, "Test.exit")));
  EXPECT_TRUE(first.WaitForClosed());
  ASSERT_TRUE(second.Send(Command(1, "Browser.getVersion")));
  ASSERT_TRUE(second.WaitForMessages(1));
  EXPECT_EQ(second.Messages()[0], Reply(1));
  EXPECT_FALSE(second.Process().HasExited());
  // And the second's command pipe ends with its channel.
  second.DropChannel();
  EXPECT_TRUE(WaitFor([&] { return second.Process().HasExited(); }));
}

// The engine's backend over the same road: it starts the browser, gets its first commands
// answered on the pipes, opens no port, and stops without waiting on the browser.
TEST(NativePipe, TheBackendStartsAndStopsOverIt) {
  auto backend = std::make_shared<engine::DevToolsBackend>(StandInProgram());
  backend->StartAsWindowsProgram(true);
  ASSERT_TRUE(backend->Start(engine::StartOptions())) << backend->LastError();
  EXPECT_EQ(backend->Port(), 0);
  const std::wstring profile = backend->ProfileFolder();
  EXPECT_NE(GetFileAttributesW(profile.c_str()), INVALID_FILE_ATTRIBUTES);
  const DWORD start = GetTickCount();
  backend->Stop();
  EXPECT_LT(GetTickCount() - start, 15000u) << "shut-down must not wait on the browser";
  EXPECT_EQ(GetFileAttributesW(profile.c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace

// The connection's bounds on what a page can make the browser send: console output past its
// bound or its budget is dropped, other events wait for room and are never dropped, and a
// reply too large for the channel fails its command instead of leaving it waiting.

#include "engine/devtools/devtools_connection.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "engine/bad_pipe_input.h"
#include "engine/recording_client.h"
#include "engine/transport/pipe_channel.h"

namespace {

using engine::DevToolsConnection;
using engine_test::WaitFor;

std::string EventText(const std::string& method, size_t filler) {
  return "{\"method\":\"" + method + "\",\"params\":{\"x\":\"" + std::string(filler, 'z') +
         "\"},\"sessionId\":\"S\"}";
}

class ConnectionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    HANDLE toBrowserRead, toBrowserWrite, fromBrowserRead, fromBrowserWrite;
    ASSERT_TRUE(CreatePipe(&toBrowserRead, &toBrowserWrite, nullptr, 0));
    ASSERT_TRUE(CreatePipe(&fromBrowserRead, &fromBrowserWrite, nullptr, 0));
    browserReads_ = toBrowserRead;
    browserWrites_ = fromBrowserWrite;
    DevToolsConnection::Routes routes;
    routes.pages = [this](DevToolsConnection::Event event) { Hold(event); };
    routes.renderer = routes.pages;
    routes.frames = routes.pages;
    ASSERT_TRUE(connection_->Open(
        std::make_unique<engine::PipeChannel>(toBrowserWrite, fromBrowserRead), routes));
  }

  void TearDown() override {
    connection_->Close();
    {
      std::lock_guard<std::mutex> hold(lock_);
      held_.clear();
    }
    CloseHandle(browserWrites_);
    CloseHandle(browserReads_);
  }

  // The reading thread: keeps the event as a slow thread's queue would.
  void Hold(DevToolsConnection::Event event) {
    std::lock_guard<std::mutex> hold(lock_);
    size_t bytes = 0;
    for (const auto& e : held_) bytes += e->dump().size();
    heldBeforeArrival_.push_back(bytes);
    methods_.push_back(engine::Text(*event, "method"));
    held_.push_back(event);
  }

  // Writes the messages as the browser, each with its NUL, on a thread of its own (the
  // reader may make it wait).
  void BrowserWrites(const std::vector<std::string>& messages) {
    std::string bytes;
    for (const std::string& m : messages) bytes += m + std::string(1, '\0');
    writer_.reset(
        new std::thread([this, bytes] { engine_test::WriteWhole(browserWrites_, bytes); }));
  }
  void JoinWriter() {
    if (writer_) writer_->join();
    writer_.reset();
  }

  size_t Count(const std::string& method) {
    std::lock_guard<std::mutex> hold(lock_);
    size_t n = 0;
    for (const std::string& m : methods_) n += m == method;
    return n;
  }
  void Release() {
    std::lock_guard<std::mutex> hold(lock_);
    held_.clear();
  }

  std::shared_ptr<DevToolsConnection> connection_ = std::make_shared<DevToolsConnection>();
  HANDLE browserReads_ = nullptr;
  HANDLE browserWrites_ = nullptr;
  std::unique_ptr<std::thread> writer_;
  std::mutex lock_;
  std::vector<DevToolsConnection::Event> held_;
  std::vector<std::string> methods_;
  std::vector<size_t> heldBeforeArrival_;
};

TEST_F(ConnectionTest, ConsoleOutputPastItsBoundOrBudgetIsDropped) {
  const size_t share = DevToolsConnection::kMaxConsoleMessage - 1000;
  const size_t fitting = DevToolsConnection::kConsoleBudget / (share + 100);
  const std::string console = "Runtime.consoleAPICalled";
  // As many as fit in the budget arrive while their thread holds them; the next ones do not.
  // One past the bound of a single message never arrives.
  std::vector<std::string> flood(fitting + 2, EventText(console, share));
  flood.push_back(EventText(console, DevToolsConnection::kMaxConsoleMessage + 10));
  flood.push_back(EventText("Page.marker", 0));
  BrowserWrites(flood);
  ASSERT_TRUE(WaitFor([&] { return Count("Page.marker") == 1; }, 60000));
  JoinWriter();
  ASSERT_GT(fitting, 1u);
  EXPECT_EQ(Count(console), fitting);
  // Once they were taken, console output arrives again.
  Release();
  BrowserWrites({EventText(console, 10), EventText("Page.marker", 0)});
  ASSERT_TRUE(WaitFor([&] { return Count("Page.marker") == 2; }, 60000));
  JoinWriter();
  EXPECT_EQ(Count(console), fitting + 1);
}

TEST_F(ConnectionTest, OtherEventsWaitForRoomAndAreNeverDropped) {
  const size_t half = DevToolsConnection::kEventBudget / 2 - 1000;
  BrowserWrites({EventText("Page.a", half), EventText("Page.b", half), EventText("Page.c", half)});
  ASSERT_TRUE(WaitFor([&] { return Count("Page.b") == 1; }, 60000));
  // The third waits until the held ones are let go, then arrives.
  Release();
  ASSERT_TRUE(WaitFor([&] { return Count("Page.c") == 1; }, 60000));
  JoinWriter();
  std::lock_guard<std::mutex> hold(lock_);
  EXPECT_EQ(methods_, (std::vector<std::string>{"Page.a", "Page.b", "Page.c"}));
  for (size_t bytes : heldBeforeArrival_) EXPECT_LE(bytes + half, DevToolsConnection::kEventBudget);
}

TEST_F(ConnectionTest, AReplyTooLargeForTheChannelFailsItsCommand) {
  std::mutex lock;
  std::vector<std::pair<bool, std::string>> replies;
  auto record = [&](const nlohmann::json& result, bool failed) {
    std::lock_guard<std::mutex> hold(lock);
    replies.push_back({failed, result.dump()});
  };
  connection_->Send("Test.huge", nlohmann::json::object(), "", record);
  connection_->Send("Test.small", nlohmann::json::object(), "", record);
  BrowserWrites({engine_test::OversizedReply(1), "{\"id\":2,\"result\":{\"v\":1}}"});
  ASSERT_TRUE(WaitFor(
      [&] {
        std::lock_guard<std::mutex> hold(lock);
        return replies.size() == 2;
      },
      60000));
  JoinWriter();
  EXPECT_TRUE(replies[0].first);
  EXPECT_FALSE(replies[1].first);
  EXPECT_EQ(replies[1].second, "{\"v\":1}");
  EXPECT_TRUE(connection_->IsOpen());
}

}  // namespace

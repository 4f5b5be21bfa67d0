#include "app/client_entry.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/main_thread.h"
#include "app/startup_services.h"
#include "runtime/message_loop.h"
#include "runtime/path_util.h"
#include "runtime/string_util.h"
#include "runtime/thread_registry.h"

namespace {

using kbase::ThreadRegistry;

bool DrainQuitMessage() {
  bool sawQuit = false;
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) sawQuit |= message.message == WM_QUIT;
  return sawQuit;
}

std::string Narrow(const std::wstring& text) {
  return kbase::WideToUtf8(text);
}

// Records every call in order, with the state of the thread at the moment of the call.
class RecordingServices : public StartupServices {
 public:
  bool oleWorks = true;
  bool engineAnswer = true;
  std::function<void()> engineWork;       // runs inside InitializeEngine
  std::function<void()> startWindowWork;  // runs inside OpenStartWindow
  std::vector<std::string> calls;

  void PrepareEngineFolder() override { calls.push_back("PrepareEngineFolder"); }
  bool InitializeOle() override {
    calls.push_back("InitializeOle");
    return oleWorks;
  }
  void UninitializeOle() override { calls.push_back("UninitializeOle" + ThreadState()); }
  bool InitializeEngine(const std::wstring& cacheFolder) override {
    calls.push_back("InitializeEngine " + Narrow(cacheFolder));
    if (engineWork) engineWork();
    return engineAnswer;
  }
  void UninitializeEngine() override { calls.push_back("UninitializeEngine" + ThreadState()); }
  void StartUi(const std::wstring& resourceFolder, const std::wstring& theme,
               const std::wstring& language) override {
    calls.push_back("StartUi " + Narrow(resourceFolder) + " " + Narrow(theme) + " " +
                    Narrow(language) + ThreadState());
  }
  void ShutdownUi() override { calls.push_back("ShutdownUi" + ThreadState()); }
  void OpenStartWindow(const StartWindowParams& params) override {
    char style[16];
    snprintf(style, sizeof(style), "%08X", params.style);
    calls.push_back("OpenStartWindow " + Narrow(params.text) + " " + style + " " +
                    std::to_string(params.exStyle) + (params.layered ? " layered" : "") +
                    ThreadState());
    if (startWindowWork) startWindowWork();
  }

 private:
  // Whether the main thread is registered and its UI loop exists at this point.
  static std::string ThreadState() {
    std::string state;
    if (ThreadRegistry::CurrentId() == kbase::kMainThreadId) state += " [registered]";
    if (kbase::MessageLoop* loop = kbase::MessageLoop::Current()) {
      state += loop->kind() == kbase::kUILoop ? " [UI loop]" : " [plain loop]";
    }
    return state;
  }
};

const std::string kModuleFolder = Narrow(kbase::ModuleFolder());
const std::string kEngineStart = "InitializeEngine " + kModuleFolder + "cef_temp\\";

struct EntryCase {
  const char* name;
  bool oleWorks;
  bool engineAnswer;
  bool subProcess;
  std::vector<std::string> expected;
};

class ClientEntryTest : public ::testing::TestWithParam<EntryCase> {
 protected:
  void TearDown() override { DrainQuitMessage(); }
};

TEST_P(ClientEntryTest, StartsAndStopsInOrderAndReturnsZero) {
  RecordingServices services;
  services.oleWorks = GetParam().oleWorks;
  services.engineAnswer = GetParam().engineAnswer;
  if (GetParam().subProcess) {
    services.engineWork = [&] { services.calls.push_back("sub-process runs"); };
  }
  // The start window's close posts the quit message.
  services.startWindowWork = [] {
    kbase::MessageLoop::Current()->Post([] { PostQuitMessage(0); });
  };
  EXPECT_EQ(RunClientEntry(services), 0);
  EXPECT_EQ(services.calls, GetParam().expected);
  EXPECT_EQ(ThreadRegistry::CurrentId(), -1);
  EXPECT_EQ(kbase::MessageLoop::Current(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Starts, ClientEntryTest,
    ::testing::Values(
        EntryCase{"OleFails", false, true, false, {"PrepareEngineFolder", "InitializeOle"}},
        EntryCase{"EngineRefuses",
                  true,
                  false,
                  false,
                  {"PrepareEngineFolder", "InitializeOle", kEngineStart}},
        EntryCase{"EngineSubProcess",
                  true,
                  false,
                  true,
                  {"PrepareEngineFolder", "InitializeOle", kEngineStart, "sub-process runs"}},
        EntryCase{"NormalRun",
                  true,
                  true,
                  false,
                  {"PrepareEngineFolder", "InitializeOle", kEngineStart,
                   "StartUi " + kModuleFolder + "resources\\ themes\\default lang\\zh_CN" +
                       " [registered] [UI loop]",
                   "OpenStartWindow Game_start 00CE0000 0 layered [registered] [UI loop]",
                   "ShutdownUi [registered] [UI loop]", "UninitializeEngine", "UninitializeOle"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ClientEntryRunTest, MainThreadTakesPostsByIdentifierWhileItRuns) {
  RecordingServices services;
  std::vector<std::string> order;
  std::thread engineThread;
  auto leftover = std::make_shared<int>(0);
  services.startWindowWork = [&] {
    auto* thread = static_cast<MainThread*>(ThreadRegistry::FindThread(kbase::kMainThreadId));
    ASSERT_NE(thread, nullptr);
    EXPECT_EQ(thread->name(), "MainThread");
    // Another thread, as the browser engine's would, reaches the UI thread by identifier.
    engineThread = std::thread([&] {
      EXPECT_TRUE(ThreadRegistry::PostToThread(kbase::kMainThreadId,
                                               [&] { order.push_back("posted by id"); }));
      EXPECT_TRUE(ThreadRegistry::PostToThreadAfter(
          [&] {
            order.push_back("posted by id, delayed");
            PostQuitMessage(0);
            // Still queued when the loop returns: destroyed without running.
            kbase::MessageLoop::Current()->Post([leftover] { ++*leftover; });
          },
          5 * 1000));
    });
  };
  EXPECT_EQ(RunClientEntry(services), 0);
  engineThread.join();
  EXPECT_EQ(order, (std::vector<std::string>{"posted by id", "posted by id, delayed"}));
  EXPECT_EQ(*leftover, 0);
  EXPECT_EQ(leftover.use_count(), 1);
  EXPECT_FALSE(ThreadRegistry::PostToThread(kbase::kMainThreadId, [] {}));
  // The pump hands its quit message on to enclosing loops; the entry has none, and takes it.
  EXPECT_FALSE(DrainQuitMessage());
}

TEST(ClientEntryRunTest, ASecondRunInTheSameThreadRunsUntilItsOwnQuit) {
  for (int run = 1; run <= 2; ++run) {
    RecordingServices services;
    bool workRan = false;
    // Work that comes a little later, as a run's pages and clicks do; then the user quits.
    services.startWindowWork = [&] {
      kbase::MessageLoop::Current()->PostAfter(
          [&] {
            workRan = true;
            PostQuitMessage(0);
          },
          50 * 1000);
    };
    EXPECT_EQ(RunClientEntry(services), 0);
    EXPECT_TRUE(workRan) << "run " << run << " ended before its own quit";
  }
  EXPECT_FALSE(DrainQuitMessage());
}

TEST(ClientEntryRunTest, IdentifierHeldElsewhereDoesNotStopStartUp) {
  // Another framework thread on another native thread holds identifier 0 throughout.
  HANDLE registered = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  class Holder : public kbase::FrameworkThread {
   public:
    Holder(HANDLE registered, HANDLE release)
        : FrameworkThread("Holder"), registered_(registered), release_(release) {}

   protected:
    void OnThreadStart() override {
      ThreadRegistry::Register(kbase::kMainThreadId);
      SetEvent(registered_);
      WaitForSingleObject(release_, INFINITE);
      ThreadRegistry::Unregister();
      Stop();
    }

   private:
    HANDLE registered_;
    HANDLE release_;
  };
  std::thread other([&] {
    Holder holder(registered, release);
    holder.RunHere(kbase::kPlainLoop);
  });
  WaitForSingleObject(registered, INFINITE);
  RecordingServices services;
  services.startWindowWork = [] { PostQuitMessage(0); };
  EXPECT_EQ(RunClientEntry(services), 0);
  SetEvent(release);
  other.join();
  CloseHandle(registered);
  CloseHandle(release);
  ASSERT_EQ(services.calls.size(), 8u);
  EXPECT_EQ(services.calls[4], "OpenStartWindow Game_start 00CE0000 0 layered [UI loop]");
  DrainQuitMessage();
}

}  // namespace

// The UI loop's tasks and the thread's messages while loops that are not the pump's own
// (a message box, a nested GetMessageW loop) take the thread's messages.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "loop_test_util.h"
#include "modal_test_util.h"
#include "runtime/message_loop_proxy.h"
#include "runtime/ui_message_loop.h"
#include "test_window.h"

namespace {

using namespace std::chrono_literals;
using kbase::UIMessageLoop;
using loop_test::CloseBoxOf;
using loop_test::FindDialogOf;
using loop_test::FindDialogOfThisThread;
using loop_test::Flooder;
using loop_test::Watchdog;

constexpr UINT kOpenModalLoop = WM_APP + 1;
// How long a fault may leave a modal loop hanging before the test ends it itself. Far above
// what the working pump needs, even on a loaded machine.
constexpr auto kFallback = 15s;
// How far the flooding thread stays ahead of the loop.
constexpr int kFloodAhead = 200;

class ModalLoopTest : public ::testing::Test {
 protected:
  void TearDown() override {
    loop.reset();
    DrainQueue();
  }

  // Runs the loop; `openModalLoop` runs from the handling of a window message (not from a
  // task), as a window's own code would open a box, a menu or a move loop.
  void RunWithModalLoop(std::function<void()> openModalLoop) {
    TestWindow window([&](UINT message, WPARAM, LPARAM) {
      if (message != kOpenModalLoop) return false;
      openModalLoop();
      loop->QuitWhenIdle();
      return true;
    });
    loop->Post([&] { window.Post(kOpenModalLoop); });
    loop->Run();
  }

  std::unique_ptr<UIMessageLoop> loop = std::make_unique<UIMessageLoop>();
  const std::shared_ptr<kbase::MessageLoopProxy> proxy = loop->Proxy();
  const DWORD self = GetCurrentThreadId();
};

std::string Where(const char* task) {
  return std::string(task) + (FindDialogOfThisThread() ? ", box open" : ", no box");
}

TEST_F(ModalLoopTest, TasksPostedBeforeAndDuringABoxRunWhileItIsOpen) {
  std::vector<std::string> ran;
  std::thread later;
  Watchdog fallback(kFallback, CloseBoxOf(self, IDCANCEL));
  int boxResult = 0;
  // A task posts two tasks (a wake message is queued and taken) and the next task posts
  // the window message that opens the box: the two wait while the box's loop pumps.
  loop->Post([&] {
    loop->Post([&] { ran.push_back(Where("first")); });
    loop->Post([&] { ran.push_back(Where("second")); });
  });
  RunWithModalLoop([&] {
    later = std::thread([&] {
      Sleep(500);
      proxy->Post([&] {
        ran.push_back(Where("posted from another thread"));
        if (HWND box = FindDialogOfThisThread()) EndDialog(box, IDOK);
      });
    });
    boxResult = MessageBoxW(nullptr, L"Tasks under a modal loop", L"Tarnwick test", MB_OK);
  });
  later.join();
  EXPECT_FALSE(fallback.fired());
  EXPECT_EQ(boxResult, IDOK);
  EXPECT_EQ(ran, (std::vector<std::string>{"first, box open", "second, box open",
                                           "posted from another thread, box open"}));
}

TEST_F(ModalLoopTest, TimedTaskRunsInABoxAfterAnEarlierBoxOpenedInsideATask) {
  // The first box opens inside a task, where no task may run: the timer that fires there
  // for the first timed task finds nothing it may run. The second timed task must still
  // have a timer when the next box opens.
  std::vector<std::string> ran;
  int boxResult = 0;
  std::thread closer;
  Watchdog fallback(kFallback, CloseBoxOf(self, IDCANCEL));
  loop->PostAfter([&] { ran.push_back(Where("first timed")); }, 50 * 1000);
  loop->PostAfter(
      [&] {
        ran.push_back(Where("second timed"));
        if (HWND box = FindDialogOfThisThread()) EndDialog(box, IDOK);
      },
      1000 * 1000);
  loop->Post([&] {
    closer = std::thread([this] {
      Sleep(300);
      CloseBoxOf(self, IDOK)();
    });
    MessageBoxW(nullptr, L"Opened inside a task", L"Tarnwick test", MB_OK);
  });
  RunWithModalLoop([&] {
    boxResult = MessageBoxW(nullptr, L"Timed task under a modal loop", L"Tarnwick test", MB_OK);
  });
  closer.join();
  EXPECT_FALSE(fallback.fired());
  EXPECT_EQ(boxResult, IDOK);
  EXPECT_EQ(ran, (std::vector<std::string>{"first timed, no box", "second timed, box open"}));
}

// Whether another thread floods the loop with tasks while the foreign loop waits.
struct ForeignLoopCase {
  const char* name;
  bool flood;
};

void PrintTo(const ForeignLoopCase& value, std::ostream* out) {
  *out << value.name;
}

class ForeignLoopTest : public ModalLoopTest,
                        public ::testing::WithParamInterface<ForeignLoopCase> {
 protected:
  std::unique_ptr<Flooder> MaybeFlood() {
    if (!GetParam().flood) return nullptr;
    auto flooder = std::make_unique<Flooder>(proxy, kFloodAhead);
    loop_test::WaitUntil([&] { return flooder->posted() > 0; }, 5s);
    return flooder;
  }
};

TEST_P(ForeignLoopTest, NestedGetMessageLoopReceivesItsOwnThreadMessage) {
  constexpr UINT kOwnMessage = WM_APP + 7;
  constexpr UINT kGiveUp = WM_APP + 8;
  bool received = false;
  bool taskRan = false;
  // A pump that takes thread messages may take the give-up message too: the flag ends the
  // loop at its next message, the message wakes it when nothing else comes.
  std::atomic<bool> giveUp{false};
  Watchdog fallback(kFallback, [&] {
    giveUp = true;
    PostThreadMessageW(self, kGiveUp, 0, 0);
  });
  RunWithModalLoop([&] {
    const auto flooder = MaybeFlood();
    loop->Post([&] { taskRan = true; });
    PostThreadMessageW(self, kOwnMessage, 0, 0);
    MSG message;
    while (!giveUp && GetMessageW(&message, nullptr, 0, 0) > 0) {
      if (message.hwnd == nullptr && message.message == kOwnMessage) {
        received = true;
        break;
      }
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  });
  EXPECT_FALSE(fallback.fired());
  EXPECT_TRUE(received);
  EXPECT_TRUE(taskRan);
}

TEST_P(ForeignLoopTest, MessageBoxClosesOnAPostedEnterKey) {
  int boxResult = 0;
  bool taskRan = false;
  std::thread presser;
  Watchdog fallback(kFallback, CloseBoxOf(self, IDCANCEL));
  RunWithModalLoop([&] {
    const auto flooder = MaybeFlood();
    presser = std::thread([&] {
      HWND box = nullptr;
      loop_test::WaitUntil([&] { return (box = FindDialogOf(self)) != nullptr; }, kFallback);
      // A task, and right behind its wake message the key.
      proxy->Post([&] { taskRan = true; });
      PostMessageW(box, WM_KEYDOWN, VK_RETURN, 1);
      PostMessageW(box, WM_KEYUP, VK_RETURN, 0xC0000001);
    });
    boxResult = MessageBoxW(nullptr, L"Press Enter", L"Tarnwick test", MB_OK);
  });
  presser.join();
  EXPECT_FALSE(fallback.fired());
  EXPECT_EQ(boxResult, IDOK);
  EXPECT_TRUE(taskRan);
}

INSTANTIATE_TEST_SUITE_P(Tasks, ForeignLoopTest,
                         ::testing::Values(ForeignLoopCase{"OneTask", false},
                                           ForeignLoopCase{"FloodFromAnotherThread", true}),
                         [](const auto& info) { return std::string(info.param.name); });

// A message the window should get while another thread floods the loop with tasks:
// posted input, or what a queue hands out only when no posted message waits (a timer
// message, a paint message).
enum class Produce { kPost, kTimer, kPaint };

struct InputCase {
  const char* name;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  Produce produce;
};

void PrintTo(const InputCase& value, std::ostream* out) {
  *out << value.name;
}

class InputUnderFloodTest : public ModalLoopTest, public ::testing::WithParamInterface<InputCase> {
 protected:
  // On another thread: floods the loop, makes the message once the flood keeps the loop
  // busy, waits for the window to handle it, then stops the flood and calls `finish`.
  void DriveFromAnotherThread(HWND target, std::function<void()> finish) {
    driver_ = std::thread([this, target, finish = std::move(finish)] {
      Flooder flooder(proxy, kFloodAhead);
      floodBusy = loop_test::WaitUntil([&] { return flooder.ran() > 1000; }, kFallback);
      const auto made = std::chrono::steady_clock::now();
      MakeMessage(target);
      handledInTime = loop_test::WaitUntil([&] { return handled.load(); }, kFallback);
      took = std::chrono::steady_clock::now() - made;
      flooder.Stop();
      floodRanMeanwhile = flooder.ran() > 1000;
      finish();
    });
  }
  void JoinDriver() { driver_.join(); }

  TestWindow MakeInputWindow() {
    return TestWindow([this](UINT message, WPARAM, LPARAM) {
      if (message != GetParam().message) return false;
      if (message == WM_TIMER) KillTimer(window_, 1);
      if (message == WM_PAINT) ValidateRect(window_, nullptr);
      handledWithBoxOpen = FindDialogOfThisThread() != nullptr;
      handled = true;
      return true;
    });
  }
  void Show(const TestWindow& window) {
    window_ = window.handle();
    if (GetParam().produce == Produce::kPaint) ShowWindow(window_, SW_SHOWNOACTIVATE);
    // Nothing is to be painted before the test asks for it.
    ValidateRect(window_, nullptr);
  }

  std::atomic<bool> handled{false};
  bool handledWithBoxOpen = false;
  bool floodBusy = false;
  bool handledInTime = false;
  bool floodRanMeanwhile = false;
  std::chrono::duration<double> took{};

 private:
  void MakeMessage(HWND target) {
    switch (GetParam().produce) {
      case Produce::kPost:
        PostMessageW(target, GetParam().message, GetParam().wParam, GetParam().lParam);
        break;
      case Produce::kTimer:
        // Only the window's thread may set its timer: a task does, among the flood.
        proxy->Post([target] { SetTimer(target, 1, 1, nullptr); });
        break;
      case Produce::kPaint:
        InvalidateRect(target, nullptr, FALSE);
        break;
    }
  }

  HWND window_ = nullptr;
  std::thread driver_;
};

// Generous: the working pump handles the input within a pass or two of its loop.
constexpr auto kInputBound = 5s;

TEST_P(InputUnderFloodTest, InputIsHandledInThePumpsOwnLoop) {
  TestWindow input = MakeInputWindow();
  Show(input);
  DriveFromAnotherThread(input.handle(), [this] { proxy->Post([this] { loop->QuitWhenIdle(); }); });
  loop->Run();
  JoinDriver();
  EXPECT_TRUE(floodBusy);
  EXPECT_TRUE(handledInTime);
  EXPECT_LT(took, kInputBound);
  EXPECT_TRUE(floodRanMeanwhile);
}

TEST_P(InputUnderFloodTest, InputIsHandledInsideAMessageBox) {
  TestWindow input = MakeInputWindow();
  Show(input);
  int boxResult = 0;
  Watchdog fallback(kFallback * 3, CloseBoxOf(self, IDCANCEL));
  RunWithModalLoop([&] {
    DriveFromAnotherThread(input.handle(), CloseBoxOf(self, IDOK));
    boxResult = MessageBoxW(nullptr, L"Input under a flood", L"Tarnwick test", MB_OK);
  });
  JoinDriver();
  EXPECT_FALSE(fallback.fired());
  EXPECT_EQ(boxResult, IDOK);
  EXPECT_TRUE(floodBusy);
  EXPECT_TRUE(handledInTime);
  EXPECT_TRUE(handledWithBoxOpen);
  EXPECT_LT(took, kInputBound);
  EXPECT_TRUE(floodRanMeanwhile);
}

INSTANTIATE_TEST_SUITE_P(Messages, InputUnderFloodTest,
                         ::testing::Values(InputCase{"KeyDown", WM_KEYDOWN, 'A', 1, Produce::kPost},
                                           InputCase{"Char", WM_CHAR, 'a', 1, Produce::kPost},
                                           InputCase{"MouseDown", WM_LBUTTONDOWN, MK_LBUTTON,
                                                     MAKELPARAM(3, 4), Produce::kPost},
                                           InputCase{"MouseMove", WM_MOUSEMOVE, 0, MAKELPARAM(5, 6),
                                                     Produce::kPost},
                                           InputCase{"Timer", WM_TIMER, 1, 0, Produce::kTimer},
                                           InputCase{"Paint", WM_PAINT, 0, 0, Produce::kPaint}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace

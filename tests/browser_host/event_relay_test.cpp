// The road of a browser event on its own, with events of the tests' making: a notification
// raised on another thread is heard on the UI thread, by the receiver's reaction and then the
// window's callback, and never once the receiver is gone; a decision is answered at once on
// the asking thread.

#include "browser_host/event_relay.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "browser_host/event_table.h"
#include "browser_host/ui_thread.h"

namespace browser_host_test {
namespace {

using vok_comp::EngineEvent;
using vok_comp::EventRelay;
using vok_comp::EventSource;
using vok_comp::EventTable;
using vok_comp::UiEvent;

// A notification about a numbered page, with a text a window is told.
struct Told : UiEvent<EventSource<int>, void(const std::string& text)> {};
// A decision a window may answer, about a numbered page.
struct Allowed : EngineEvent<EventSource<int>, bool(const std::string& what)> {};
// A decision without an answer.
struct Handed : EngineEvent<EventSource<>, void(int item)> {};
// A decision nobody answers: its result's default.
struct Counted : EngineEvent<EventSource<>, int()> {};

// One heard event: who heard it, on which thread, and what it said.
struct Heard {
  std::string who;
  unsigned long thread;
  std::string what;
};

// A receiver as a control is one: its listeners and the flag its posted events die with.
class Receiver : public kbase::SupportWeakCallback {
 public:
  explicit Receiver(std::vector<Heard>& heard) : heard_(heard) {
    events.SetReaction<Told>([this](int page, const std::string& text) {
      Add("reaction", std::to_string(page) + ":" + text);
    });
  }
  void Add(const std::string& who, const std::string& what) {
    heard_.push_back({who, GetCurrentThreadId(), what});
  }
  EventTable events;

 private:
  std::vector<Heard>& heard_;  // UI thread
};

class EventRelayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(ui_.Run([this] {
      receiver_ = std::make_unique<Receiver>(heard_);
      relay_.Attach(&receiver_->events, receiver_->WeakFlagOf());
    }));
  }
  void TearDown() override {
    ui_.Run([this] {
      relay_.Attach(nullptr, {});
      receiver_.reset();
    });
  }

  std::vector<Heard> HeardSoFar() {
    std::vector<Heard> copy;
    EXPECT_TRUE(ui_.Run([&] { copy = heard_; }));
    return copy;
  }

  UiThread ui_;
  EventRelay relay_;
  std::unique_ptr<Receiver> receiver_;  // UI thread
  std::vector<Heard> heard_;            // UI thread
};

TEST_F(EventRelayTest, ANotificationFromAnotherThreadIsHeardOnTheUiThreadReactionFirst) {
  ASSERT_TRUE(ui_.Run([this] {
    receiver_->events.SetCallback<Told>(
        [this](const std::string& text) { receiver_->Add("callback", text); });
  }));
  std::string text = "first";
  std::thread engine([&] {
    relay_.Post<Told>(7, text);
    // The task holds its own copy of what it was told.
    text = "changed";
    relay_.Post<Told>(8, std::string("second"));
  });
  engine.join();
  ASSERT_TRUE(ui_.Drain());
  const std::vector<Heard> heard = HeardSoFar();
  ASSERT_EQ(heard.size(), 4u);
  const std::pair<const char*, const char*> expected[] = {{"reaction", "7:first"},
                                                          {"callback", "first"},
                                                          {"reaction", "8:second"},
                                                          {"callback", "second"}};
  for (size_t i = 0; i < heard.size(); ++i) {
    EXPECT_EQ(heard[i].who, expected[i].first) << i;
    EXPECT_EQ(heard[i].what, expected[i].second) << i;
    EXPECT_EQ(heard[i].thread, ui_.Id()) << i;
  }
}

TEST_F(EventRelayTest, ANotificationForAReceiverGoneBeforeItRunsIsDropped) {
  HANDLE holding = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  // The UI thread is held while the notification is posted, and destroys the receiver
  // before the notification's task can run.
  std::thread ui([&] {
    ui_.Run([&] {
      SetEvent(holding);
      WaitForSingleObject(release, 20000);
      relay_.Attach(nullptr, {});
      receiver_.reset();
    });
  });
  ASSERT_EQ(WaitForSingleObject(holding, 20000), WAIT_OBJECT_0);
  relay_.Post<Told>(1, std::string("late"));
  SetEvent(release);
  ui.join();
  ASSERT_TRUE(ui_.Drain());
  EXPECT_TRUE(HeardSoFar().empty());
  CloseHandle(holding);
  CloseHandle(release);
}

TEST_F(EventRelayTest, WithoutAReceiverNothingIsHeardAndNothingAnswers) {
  ASSERT_TRUE(ui_.Run([this] { relay_.Attach(nullptr, {}); }));
  relay_.Post<Told>(1, std::string("nobody"));
  EXPECT_FALSE(relay_.Ask<Allowed>(1, std::string("nobody")).has_value());
  EXPECT_FALSE(relay_.Ask<Handed>(3).has_value());
  ASSERT_TRUE(ui_.Run([this] { relay_.Raise<Told>(1, std::string("nobody")); }));
  ASSERT_TRUE(ui_.Drain());
  EXPECT_TRUE(HeardSoFar().empty());
}

TEST_F(EventRelayTest, ANotificationRaisedOnTheUiThreadIsHeardAtOnce) {
  bool heardAtOnce = false;
  ASSERT_TRUE(ui_.Run([&] {
    relay_.Raise<Told>(2, std::string("now"));
    heardAtOnce = heard_.size() == 1;
  }));
  EXPECT_TRUE(heardAtOnce);
}

// Who answers a decision, asked on a thread of its own: the window's callback, else the
// receiver's reaction, else "no".
TEST_F(EventRelayTest, DecisionsAreAnsweredAtOnceOnTheAskingThread) {
  struct Case {
    const char* name;
    bool reaction;
    bool callback;
    bool answer;
    std::vector<std::string> heard;
  };
  const Case cases[] = {
      {"neither", false, false, false, {}},
      {"reaction only", true, false, true, {"reaction 5:open"}},
      {"callback only", false, true, false, {"callback open"}},
      {"both", true, true, false, {"callback open"}},
  };
  for (const Case& c : cases) {
    std::vector<std::string> heard;
    std::vector<unsigned long> threads;
    ASSERT_TRUE(ui_.Run([&] {
      receiver_->events.SetReaction<Allowed>(nullptr);
      receiver_->events.SetCallback<Allowed>(nullptr);
      if (c.reaction) {
        receiver_->events.SetReaction<Allowed>([&](int page, const std::string& what) {
          heard.push_back("reaction " + std::to_string(page) + ":" + what);
          threads.push_back(GetCurrentThreadId());
          return true;
        });
      }
      if (c.callback) {
        receiver_->events.SetCallback<Allowed>([&](const std::string& what) {
          heard.push_back("callback " + what);
          threads.push_back(GetCurrentThreadId());
          return false;
        });
      }
    }));
    std::optional<bool> answer;
    unsigned long asking = 0;
    std::thread engine([&] {
      asking = GetCurrentThreadId();
      answer = relay_.Ask<Allowed>(5, std::string("open"));
    });
    engine.join();
    ASSERT_TRUE(answer.has_value()) << c.name;
    EXPECT_EQ(*answer, c.answer) << c.name;
    EXPECT_EQ(heard, c.heard) << c.name;
    for (unsigned long thread : threads) EXPECT_EQ(thread, asking) << c.name;
  }
}

TEST_F(EventRelayTest, ADecisionWithoutAnAnswerTellsWhetherItWasHeard) {
  std::vector<int> items;
  ASSERT_TRUE(ui_.Run(
      [&] { receiver_->events.SetCallback<Handed>([&](int item) { items.push_back(item); }); }));
  EXPECT_EQ(relay_.Ask<Handed>(4), std::optional<bool>(true));
  EXPECT_EQ(relay_.Ask<Counted>(), std::optional<int>(0));
  EXPECT_EQ(items, std::vector<int>{4});
}

TEST(EventTableAlone, AListenerMaySetListenersWhileItRuns) {
  EventTable table;
  std::vector<std::string> heard;
  table.SetCallback<Told>([&](const std::string& text) {
    heard.push_back("first " + text);
    // Replacing itself while it runs: the running copy finishes, the next raise gets the new.
    table.SetCallback<Told>([&](const std::string& later) { heard.push_back("second " + later); });
  });
  table.Raise<Told>(1, std::string("a"));
  table.Raise<Told>(1, std::string("b"));
  EXPECT_EQ(heard, (std::vector<std::string>{"first a", "second b"}));
  table.Clear();
  table.Raise<Told>(1, std::string("c"));
  EXPECT_EQ(heard.size(), 2u) << "a cleared table still called a listener";
}

TEST(EventTableAlone, EachEventHasItsOwnSlot) {
  EventTable table;
  int told = 0;
  int handed = 0;
  table.SetCallback<Told>([&](const std::string&) { ++told; });
  table.SetCallback<Handed>([&](int item) { handed += item; });
  table.Raise<Handed>(3);
  table.Raise<Told>(1, std::string("x"));
  EXPECT_EQ(told, 1);
  EXPECT_EQ(handed, 3);
  EXPECT_FALSE(table.Raise<Allowed>(1, std::string("unset")));
}

}  // namespace
}  // namespace browser_host_test

// A page's messages become a bounded number of toasts of a bounded length.

#include "app/toast_gate.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace {

// A gate on a manual clock whose delayed tasks run when the test says so.
class ToastGateTest : public ::testing::Test {
 protected:
  ToastGateTest()
      : gate_([this](const std::wstring& text) { shown_.push_back(text); },
              [this](std::function<void()> task, int64_t delay) {
                delayed_.push_back({now_ + delay, std::move(task)});
              },
              [this] { return now_; }) {}

  // Moves the clock and runs the tasks that are due.
  void Advance(int64_t microseconds) {
    now_ += microseconds;
    std::vector<std::pair<int64_t, std::function<void()>>> due;
    for (auto it = delayed_.begin(); it != delayed_.end();) {
      if (it->first <= now_) {
        due.push_back(std::move(*it));
        it = delayed_.erase(it);
      } else {
        ++it;
      }
    }
    for (auto& task : due) task.second();
  }

  int64_t now_ = 1000000;
  std::vector<std::wstring> shown_;
  std::vector<std::pair<int64_t, std::function<void()>>> delayed_;
  ToastGate gate_;
};

TEST_F(ToastGateTest, AFloodShowsTheFirstAndTheLatestOfEachQuietPeriod) {
  gate_.Show(L"\"first\"");
  EXPECT_EQ(shown_, std::vector<std::wstring>{L"\"first\""});
  for (int i = 0; i < 5000; ++i) gate_.Show(L"flood " + std::to_wstring(i));
  EXPECT_EQ(shown_.size(), 1u);
  EXPECT_EQ(delayed_.size(), 1u) << "one pending show, however many calls";
  Advance(ToastGate::kQuietPeriod);
  EXPECT_EQ(shown_, (std::vector<std::wstring>{L"\"first\"", L"flood 4999"}));
  Advance(ToastGate::kQuietPeriod);
  EXPECT_EQ(shown_.size(), 2u);
  gate_.Show(L"later");
  EXPECT_EQ(shown_.back(), L"later");
}

TEST_F(ToastGateTest, LongTextsAreCutAndShortOnesShownAsTheyAre) {
  gate_.Show(std::wstring(10 * 1024 * 1024, L'x'));
  ASSERT_EQ(shown_.size(), 1u);
  EXPECT_EQ(shown_[0].size(), ToastGate::kLongestText);
  EXPECT_EQ(shown_[0].back(), L'\u2026');
  EXPECT_EQ(ToastGate::Shorten(L""), L"");
  const std::wstring exact(ToastGate::kLongestText, L'y');
  EXPECT_EQ(ToastGate::Shorten(exact), exact);
  // A surrogate pair is never split.
  std::wstring pairs;
  while (pairs.size() < ToastGate::kLongestText + 10) pairs += L"a\U0001F600";
  const std::wstring cut = ToastGate::Shorten(pairs);
  EXPECT_LE(cut.size(), ToastGate::kLongestText);
  const wchar_t beforeEllipsis = cut[cut.size() - 2];
  EXPECT_FALSE(beforeEllipsis >= 0xD800 && beforeEllipsis <= 0xDBFF);
}

TEST_F(ToastGateTest, APendingShowOfAGateThatWentDoesNothing) {
  std::vector<std::function<void()>> tasks;
  std::vector<std::wstring> shown;
  {
    ToastGate gate([&](const std::wstring& text) { shown.push_back(text); },
                   [&](std::function<void()> task, int64_t) { tasks.push_back(task); },
                   [] { return int64_t{0}; });
    gate.Show(L"a");
    gate.Show(L"b");
  }
  ASSERT_EQ(tasks.size(), 1u);
  tasks[0]();
  EXPECT_EQ(shown, std::vector<std::wstring>{L"a"});
}

TEST_F(ToastGateTest, ThePageFunctionShowsItsTextAsItArrivesAndAlwaysAnswersSuccess) {
  vok_comp::HostFunction function = gate_.ShowMessageBoxFunction();
  std::vector<std::pair<bool, std::string>> replies;
  auto reply = [&](bool error, const std::string& result) { replies.push_back({error, result}); };
  function("\"hello\"", reply);
  function("\"\xE7\x8E\x8B\"", reply);  // answered even while the gate holds the text back
  function("\xFF\xFE", reply);          // ill-formed UTF-8 shows as an empty text
  EXPECT_EQ(shown_, std::vector<std::wstring>{L"\"hello\""});
  Advance(ToastGate::kQuietPeriod);
  EXPECT_EQ(shown_.back(), L"");
  const std::pair<bool, std::string> success{false, "{ \"message\": \"Success.\" }"};
  EXPECT_EQ(replies, (std::vector<std::pair<bool, std::string>>(3, success)));
}

TEST(ToastGateFunctionTest, AFunctionOfAGateThatWentDoesNothing) {
  vok_comp::HostFunction function;
  int shown = 0;
  {
    ToastGate gate([&](const std::wstring&) { ++shown; });
    function = gate.ShowMessageBoxFunction();
  }
  bool replied = false;
  function("\"late\"", [&](bool, const std::string&) { replied = true; });
  EXPECT_EQ(shown, 0);
  EXPECT_FALSE(replied);
}

}  // namespace

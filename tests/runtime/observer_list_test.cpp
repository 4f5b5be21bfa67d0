#include "runtime/observer_list.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

struct Observer {
  int id;
  std::vector<int>* calls;
  std::function<void()> onCall;
  void Called() {
    calls->push_back(id);
    if (onCall) onCall();
  }
};

class ObserverListTest : public ::testing::Test {
 protected:
  void NotifyAll() {
    list.Notify([](Observer* observer) { observer->Called(); });
  }

  std::vector<int> calls;
  Observer a{1, &calls, nullptr};
  Observer b{2, &calls, nullptr};
  Observer c{3, &calls, nullptr};
  kbase::ObserverList<Observer> list;
};

TEST_F(ObserverListTest, NotifiesInOrderOfAddingAndIgnoresDuplicates) {
  list.Add(&a);
  list.Add(&b);
  list.Add(&a);
  list.Add(&c);
  NotifyAll();
  EXPECT_EQ(calls, (std::vector<int>{1, 2, 3}));
}

TEST_F(ObserverListTest, RemovalDuringNotificationSkipsTheRemovedAndCompactsAfterwards) {
  list.Add(&a);
  list.Add(&b);
  list.Add(&c);
  a.onCall = [&] {
    list.Remove(&b);  // not yet called: must not be
    list.Remove(&a);  // itself, while being called
  };
  NotifyAll();
  EXPECT_EQ(calls, (std::vector<int>{1, 3}));
  EXPECT_FALSE(list.Has(&a));
  EXPECT_FALSE(list.Has(&b));

  calls.clear();
  list.Add(&a);
  NotifyAll();
  EXPECT_EQ(calls, (std::vector<int>{3, 1}));  // holes gone, order kept
}

TEST_F(ObserverListTest, NestedNotificationCompactsOnlyWhenTheOutermostEnds) {
  list.Add(&a);
  list.Add(&b);
  list.Add(&c);
  bool nested = false;
  b.onCall = [&] {
    if (nested) return;
    nested = true;
    NotifyAll();      // inner pass: 1 2 3
    list.Remove(&c);  // removed while the outer pass is still running
  };
  NotifyAll();
  EXPECT_EQ(calls, (std::vector<int>{1, 2, 1, 2, 3}));
  EXPECT_FALSE(list.Has(&c));
}

TEST_F(ObserverListTest, ObserverAddedDuringNotificationIsCalledInTheSamePass) {
  list.Add(&a);
  a.onCall = [&] { list.Add(&c); };
  NotifyAll();
  EXPECT_EQ(calls, (std::vector<int>{1, 3}));
}

}  // namespace

#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <type_traits>
#include <utility>

#include "browser_host/event_table.h"
#include "runtime/task.h"
#include "runtime/weak_callback.h"

namespace vok_comp {

// What asking an event gives: its answer, or for an event without one, true once heard.
template <typename Event>
using AnswerOf =
    std::conditional_t<std::is_void_v<typename Event::Result>, bool, typename Event::Result>;

// Carries events from the engine's threads to the receiver attached to one engine client.
// A notification becomes a task on the UI thread that does nothing once the receiver is
// gone; a decision is put to the receiver at once, on the engine's thread that waits for it.
class EventRelay {
 public:
  EventRelay() = default;
  EventRelay(const EventRelay&) = delete;
  EventRelay& operator=(const EventRelay&) = delete;

  // UI thread. `flag` is the receiver's own: posted events die with it. Changing the
  // receiver waits for the decisions the old one is answering, so it can be destroyed
  // right after it was detached (a null table).
  void Attach(EventTable* table, std::weak_ptr<kbase::WeakFlag> flag);

  // Any thread: runs the task on the UI thread, unless the flag's owner is gone by then.
  static void PostToUi(std::weak_ptr<kbase::WeakFlag> flag, kbase::Task task);

  // Any thread: the event reaches the receiver's listeners on the UI thread, unless the
  // receiver is gone by then. Nothing happens without a receiver.
  template <typename Event, typename... Args>
  void Post(Args&&... args) {
    static_assert(Event::kThread == EventThread::kUi, "posted events are heard on the UI thread");
    std::weak_ptr<kbase::WeakFlag> flag;
    EventTable* table = Receiver(&flag);
    if (!table) return;
    typename Event::Values values(std::forward<Args>(args)...);
    PostToUi(flag, [table, values] {
      std::apply([table](const auto&... value) { table->Raise<Event>(value...); }, values);
    });
  }

  // UI thread: the event reaches the receiver's listeners now.
  template <typename Event, typename... Args>
  void Raise(Args&&... args) {
    static_assert(Event::kThread == EventThread::kUi, "raised events are heard on the UI thread");
    // Only this thread changes the receiver, so it cannot go while its listeners run.
    if (EventTable* table = Receiver(nullptr)) table->Raise<Event>(std::forward<Args>(args)...);
  }

  // Engine thread: the receiver's answer, or none without a receiver.
  template <typename Event, typename... Args>
  std::optional<AnswerOf<Event>> Ask(Args&&... args) {
    static_assert(Event::kThread == EventThread::kEngine, "decisions are asked on the engine");
    Decision decision(*this);
    if (!decision.table) return std::nullopt;
    if constexpr (std::is_void_v<typename Event::Result>) {
      decision.table->Raise<Event>(std::forward<Args>(args)...);
      return true;
    } else {
      return decision.table->Raise<Event>(std::forward<Args>(args)...);
    }
  }

 private:
  // Keeps the receiver attached while it answers. Counted rather than locked, so that a
  // decision may raise another one on its thread.
  struct Decision {
    explicit Decision(EventRelay& relay);
    ~Decision();
    EventRelay& relay;
    EventTable* table;
  };

  // The receiver's table (and its flag, when asked for); null when none is attached.
  EventTable* Receiver(std::weak_ptr<kbase::WeakFlag>* flag);

  std::mutex lock_;
  std::condition_variable decisionsDone_;
  int decisionsInFlight_ = 0;
  EventTable* table_ = nullptr;
  std::weak_ptr<kbase::WeakFlag> flag_;
};

}  // namespace vok_comp

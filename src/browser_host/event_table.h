#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <tuple>
#include <type_traits>
#include <typeindex>
#include <unordered_map>
#include <utility>

namespace vok_comp {

// The thread an event's listeners run on.
enum class EventThread {
  kUi,      // the program's UI thread
  kEngine,  // the engine's thread that raised it, which waits for the answer
};

// The leading arguments of an event that only the receiver's own reaction takes (which
// browser or frame the engine means); a window's callback takes the rest.
template <typename... Source>
struct EventSource {};

template <EventThread thread, typename Source, typename Signature>
struct EventTraits;

// What an event is: the thread it is heard on, what its listeners take and what they answer.
// An event type derives from this; the type itself is the event's key.
template <EventThread thread, typename... Source, typename R, typename... Args>
struct EventTraits<thread, EventSource<Source...>, R(Args...)> {
  static constexpr EventThread kThread = thread;
  using Result = R;
  using Reaction = std::function<R(Source..., Args...)>;
  using Callback = std::function<R(Args...)>;
  // The arguments as a task holds them until it runs on another thread.
  using Values = std::tuple<std::decay_t<Source>..., std::decay_t<Args>...>;

  // A notification goes to the reaction and then to the callback. A decision has one
  // answer: the callback's, else the reaction's, else "no" (the result's default).
  static R Deliver(const Reaction& reaction, const Callback& callback, Source... source,
                   Args... args) {
    if constexpr (std::is_void_v<R>) {
      if (reaction) reaction(source..., args...);
      if (callback) callback(args...);
    } else {
      if (callback) return callback(args...);
      if (reaction) return reaction(source..., args...);
      return R();
    }
  }
};

template <typename Source, typename Signature>
using UiEvent = EventTraits<EventThread::kUi, Source, Signature>;
template <typename Source, typename Signature>
using EngineEvent = EventTraits<EventThread::kEngine, Source, Signature>;

// The listeners of one receiver's events, a slot per event type: the receiver's own reaction
// and the callback its window set. Listeners are set on the UI thread and may be raised from
// an engine thread meanwhile; they run outside the table's lock, so a listener may set
// listeners or raise another event.
class EventTable {
 public:
  EventTable() = default;
  EventTable(const EventTable&) = delete;
  EventTable& operator=(const EventTable&) = delete;

  template <typename Event>
  void SetReaction(typename Event::Reaction reaction) {
    std::unique_lock<std::mutex> hold(lock_);
    // The old listener is destroyed after the lock is released: what it holds may set
    // listeners as it goes.
    std::swap(SlotOf<Event>().reaction, reaction);
    hold.unlock();
  }

  template <typename Event>
  void SetCallback(typename Event::Callback callback) {
    std::unique_lock<std::mutex> hold(lock_);
    std::swap(SlotOf<Event>().callback, callback);
    hold.unlock();
  }

  template <typename Event, typename... Args>
  typename Event::Result Raise(Args&&... args) const {
    const Slot<Event> slot = Copy<Event>();
    return Event::Deliver(slot.reaction, slot.callback, std::forward<Args>(args)...);
  }

  // Every listener goes.
  void Clear();

 private:
  struct AnySlot {
    virtual ~AnySlot() = default;
  };
  template <typename Event>
  struct Slot : AnySlot {
    typename Event::Reaction reaction;
    typename Event::Callback callback;
  };

  // Under the lock.
  template <typename Event>
  Slot<Event>& SlotOf() {
    std::unique_ptr<AnySlot>& slot = slots_[std::type_index(typeid(Event))];
    if (!slot) slot = std::make_unique<Slot<Event>>();
    return static_cast<Slot<Event>&>(*slot);
  }

  template <typename Event>
  Slot<Event> Copy() const {
    std::lock_guard<std::mutex> hold(lock_);
    auto found = slots_.find(std::type_index(typeid(Event)));
    if (found == slots_.end()) return Slot<Event>();
    return static_cast<const Slot<Event>&>(*found->second);
  }

  mutable std::mutex lock_;
  std::unordered_map<std::type_index, std::unique_ptr<AnySlot>> slots_;
};

}  // namespace vok_comp

#pragma once

#include <memory>
#include <type_traits>
#include <utility>

namespace kbase {

// The tag whose shared-ownership block is the flag: alive while its owner holds it.
struct WeakFlag {};

// A callable that runs only while the flag it was made with is alive. Copies share the
// flag; a moved-from callback has none and never runs.
template <typename F>
class WeakCallback {
 public:
  WeakCallback(std::weak_ptr<WeakFlag> flag, F fn) : flag_(std::move(flag)), fn_(std::move(fn)) {}

  bool IsAlive() const { return !flag_.expired(); }

  template <typename... Args>
  auto operator()(Args&&... args) const
      -> decltype(std::declval<const F&>()(std::forward<Args>(args)...)) {
    using Result = decltype(fn_(std::forward<Args>(args)...));
    if (!IsAlive()) {
      if constexpr (std::is_void_v<Result>) {
        return;
      } else {
        return Result();
      }
    }
    return fn_(std::forward<Args>(args)...);
  }

 private:
  std::weak_ptr<WeakFlag> flag_;
  F fn_;
};

// Base of every object that hands out callbacks which must die with it.
class SupportWeakCallback {
 public:
  SupportWeakCallback() = default;
  // A copy is a different object: it gets a flag of its own when it first needs one.
  SupportWeakCallback(const SupportWeakCallback&) {}
  SupportWeakCallback& operator=(const SupportWeakCallback&) { return *this; }
  virtual ~SupportWeakCallback() = default;

  // The owner's flag, made anew when there is none or the held one was revoked.
  std::weak_ptr<WeakFlag> WeakFlagOf();

  template <typename F>
  WeakCallback<std::decay_t<F>> MakeWeak(F&& fn) {
    return WeakCallback<std::decay_t<F>>(WeakFlagOf(), std::forward<F>(fn));
  }

 protected:
  void ReleaseFlag() { flag_.reset(); }

 private:
  std::shared_ptr<WeakFlag> flag_;
};

// A revocable flag held as a member, for a group of callbacks (a control's timers) that
// must stop while their object lives on.
class WeakCallbackFlag : public SupportWeakCallback {
 public:
  // Every callback made from the current flag stops; later ones get a fresh flag.
  void Revoke() { ReleaseFlag(); }
};

}  // namespace kbase

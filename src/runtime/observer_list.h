#pragma once

#include <algorithm>
#include <vector>

namespace kbase {

// Erases lazily: removals made while the owner is busy iterating leave holes that are
// compacted once the iteration is over.
class LazyEraser {
 protected:
  ~LazyEraser() = default;
  virtual void Compact() = 0;
};

// Observers notified in the order they were added. An observer may remove itself, or
// another observer, from inside a notification; a removed observer is not called again.
template <typename Observer>
class ObserverList : public LazyEraser {
 public:
  ObserverList() = default;
  ObserverList(const ObserverList&) = delete;
  ObserverList& operator=(const ObserverList&) = delete;
  virtual ~ObserverList() = default;

  void Add(Observer* observer) {
    if (observer && std::find(observers_.begin(), observers_.end(), observer) == observers_.end()) {
      observers_.push_back(observer);
    }
  }

  void Remove(Observer* observer) {
    auto found = std::find(observers_.begin(), observers_.end(), observer);
    if (found == observers_.end()) return;
    if (notifyDepth_ > 0) {
      *found = nullptr;
    } else {
      observers_.erase(found);
    }
  }

  bool Has(Observer* observer) const {
    return observer &&
           std::find(observers_.begin(), observers_.end(), observer) != observers_.end();
  }

  bool Empty() const { return observers_.empty(); }

  // Calls `call(observer)` for every observer; observers added meanwhile are called too.
  template <typename Call>
  void Notify(Call&& call) {
    if (observers_.empty()) return;
    ++notifyDepth_;
    for (size_t i = 0; i < observers_.size(); ++i) {
      if (Observer* observer = observers_[i]) call(observer);
    }
    if (--notifyDepth_ == 0) Compact();
  }

 private:
  void Compact() override {
    observers_.erase(std::remove(observers_.begin(), observers_.end(), nullptr), observers_.end());
  }

  int notifyDepth_ = 0;
  std::vector<Observer*> observers_;
};

}  // namespace kbase

#pragma once

// Counted references in the engine's manner: every engine object derives (virtually) from
// CefBaseRefCounted and is held through CefRefPtr; IMPLEMENT_REFCOUNTING gives a class its
// one atomic count.

#include <atomic>
#include <utility>

class CefBaseRefCounted {
 public:
  virtual void AddRef() const = 0;
  virtual bool Release() const = 0;
  virtual bool HasOneRef() const = 0;
  virtual bool HasAtLeastOneRef() const = 0;

 protected:
  virtual ~CefBaseRefCounted() = default;
};

// The count behind IMPLEMENT_REFCOUNTING.
class CefRefCount {
 public:
  CefRefCount() = default;
  CefRefCount(const CefRefCount&) = delete;
  CefRefCount& operator=(const CefRefCount&) = delete;

  void AddRef() const { count_.fetch_add(1, std::memory_order_relaxed); }
  // True when this was the last reference.
  bool Release() const { return count_.fetch_sub(1, std::memory_order_acq_rel) == 1; }
  bool HasOneRef() const { return count_.load(std::memory_order_acquire) == 1; }
  bool HasAtLeastOneRef() const { return count_.load(std::memory_order_acquire) >= 1; }

 private:
  mutable std::atomic<int> count_{0};
};

#define IMPLEMENT_REFCOUNTING(ClassName)          \
 public:                                          \
  void AddRef() const override {                  \
    ref_count_.AddRef();                          \
  }                                               \
  bool Release() const override {                 \
    if (ref_count_.Release()) {                   \
      delete static_cast<const ClassName*>(this); \
      return true;                                \
    }                                             \
    return false;                                 \
  }                                               \
  bool HasOneRef() const override {               \
    return ref_count_.HasOneRef();                \
  }                                               \
  bool HasAtLeastOneRef() const override {        \
    return ref_count_.HasAtLeastOneRef();         \
  }                                               \
                                                  \
 private:                                         \
  CefRefCount ref_count_

template <class T>
class CefRefPtr {
 public:
  CefRefPtr() = default;
  CefRefPtr(std::nullptr_t) {}
  CefRefPtr(T* p) : ptr_(p) {
    if (ptr_) ptr_->AddRef();
  }
  CefRefPtr(const CefRefPtr& other) : CefRefPtr(other.ptr_) {}
  template <class U>
  CefRefPtr(const CefRefPtr<U>& other) : CefRefPtr(other.get()) {}
  CefRefPtr(CefRefPtr&& other) noexcept : ptr_(other.ptr_) { other.ptr_ = nullptr; }
  ~CefRefPtr() {
    if (ptr_) ptr_->Release();
  }

  CefRefPtr& operator=(CefRefPtr other) noexcept {
    std::swap(ptr_, other.ptr_);
    return *this;
  }

  T* get() const { return ptr_; }
  T* operator->() const { return ptr_; }
  T& operator*() const { return *ptr_; }
  explicit operator bool() const { return ptr_ != nullptr; }
  operator T*() const { return ptr_; }

 private:
  T* ptr_ = nullptr;
};

// A pointer the engine lends for the length of one call only.
template <class T>
using CefRawPtr = T*;

#pragma once

namespace kbase {

// A critical section that spins 2000 times before it sleeps: the runtime's locks are held
// only for a few instructions, so spinning is cheaper than a trip to the kernel.
class Lock {
 public:
  Lock();
  ~Lock();
  Lock(const Lock&) = delete;
  Lock& operator=(const Lock&) = delete;

  void Acquire();
  void Release();

 private:
  // Storage for the CRITICAL_SECTION, kept opaque so that this header stays light.
  alignas(8) unsigned char section_[sizeof(void*) == 8 ? 40 : 24];
};

// Holds a lock for the length of a scope.
class AutoLock {
 public:
  explicit AutoLock(Lock& lock) : lock_(lock) { lock_.Acquire(); }
  ~AutoLock() { lock_.Release(); }
  AutoLock(const AutoLock&) = delete;
  AutoLock& operator=(const AutoLock&) = delete;

 private:
  Lock& lock_;
};

}  // namespace kbase

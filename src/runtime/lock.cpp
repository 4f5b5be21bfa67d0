#include "runtime/lock.h"

#include <windows.h>

namespace kbase {

namespace {

constexpr DWORD kSpinCount = 2000;

CRITICAL_SECTION* Section(unsigned char* storage) {
  return reinterpret_cast<CRITICAL_SECTION*>(storage);
}

}  // namespace

static_assert(sizeof(CRITICAL_SECTION) <= sizeof(Lock), "Lock storage too small");

Lock::Lock() {
  InitializeCriticalSectionAndSpinCount(Section(section_), kSpinCount);
}

Lock::~Lock() {
  DeleteCriticalSection(Section(section_));
}

void Lock::Acquire() {
  EnterCriticalSection(Section(section_));
}

void Lock::Release() {
  LeaveCriticalSection(Section(section_));
}

}  // namespace kbase

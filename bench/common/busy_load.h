#pragma once

// Load on the machine from another process: a copy of the benchmark's own program started
// with "--busy", whose threads spin until it is stopped or the benchmark ends.

#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace bench {

// In the copy: spins `threads` threads until the process that started it ends. True when the
// program was started as such a copy (it then has nothing else to do).
inline bool RunBusyCopyIfAsked(int argc, char** argv) {
  if (argc < 4 || std::strcmp(argv[1], "--busy") != 0) return false;
  const int threads = std::atoi(argv[2]);
  HANDLE parent = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(std::atol(argv[3])));
  std::atomic<bool> stop{false};
  std::vector<std::thread> spinners;
  for (int i = 0; i < threads; ++i) {
    spinners.emplace_back([&stop] {
      volatile unsigned sink = 0;
      while (!stop) sink = sink * 1664525u + 1013904223u;
    });
  }
  if (parent) {
    WaitForSingleObject(parent, INFINITE);
    CloseHandle(parent);
  }
  stop = true;
  for (std::thread& t : spinners) t.join();
  return true;
}

class BusyLoad {
 public:
  BusyLoad() = default;
  BusyLoad(const BusyLoad&) = delete;
  BusyLoad& operator=(const BusyLoad&) = delete;
  ~BusyLoad() { Stop(); }

  bool Start(int threads) {
    wchar_t self[MAX_PATH] = {};
    if (!GetModuleFileNameW(nullptr, self, MAX_PATH)) return false;
    std::wstring line = L"\"" + std::wstring(self) + L"\" --busy " + std::to_wstring(threads) +
                        L" " + std::to_wstring(GetCurrentProcessId());
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &info)) {
      return false;
    }
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    return true;
  }

  void Stop() {
    if (!process_) return;
    TerminateProcess(process_, 0);
    WaitForSingleObject(process_, 10000);
    CloseHandle(process_);
    process_ = nullptr;
  }

 private:
  HANDLE process_ = nullptr;
};

inline double FileTimeSeconds(const FILETIME& t) {
  return ((static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
}

// The process's CPU time, user and kernel, in seconds.
inline double ProcessCpuSeconds() {
  FILETIME created, exited, kernel, user;
  if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return -1;
  return FileTimeSeconds(kernel) + FileTimeSeconds(user);
}

// The calling thread's CPU time, user and kernel, in seconds.
inline double ThreadCpuSeconds() {
  FILETIME created, exited, kernel, user;
  if (!GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user)) return -1;
  return FileTimeSeconds(kernel) + FileTimeSeconds(user);
}

}  // namespace bench

#pragma once

#include <windows.h>

#include <algorithm>
#include <functional>
#include <vector>

namespace bench {

// Seconds on the performance counter, the clock every benchmark times with.
inline double Seconds() {
  static const double frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart);
  }();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) / frequency;
}

// Milliseconds since 1970 on the system's real-time clock, the clock a page's
// performance.timeOrigin counts from: for times taken across processes.
inline double UnixMs() {
  using Precise = void(WINAPI*)(FILETIME*);
  static const auto precise = reinterpret_cast<Precise>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetSystemTimePreciseAsFileTime")));
  FILETIME now;
  if (precise) {
    precise(&now);
  } else {
    GetSystemTimeAsFileTime(&now);
  }
  const ULONGLONG ticks = (static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
  return (static_cast<double>(ticks) - 116444736000000000.0) / 10000.0;
}

// Seconds that count runs of the work take (each run gets its index), with batched GDI
// drawing flushed so that it is counted.
inline double TimeRun(const std::function<void(int)>& work, int count) {
  const double start = Seconds();
  for (int i = 0; i < count; ++i) work(i);
  GdiFlush();
  return Seconds() - start;
}

// How many runs of the work take about one round of the given length.
inline int Calibrate(const std::function<void(int)>& work, double roundSeconds) {
  int count = 1;
  while (true) {
    const double seconds = TimeRun(work, count);
    if (seconds >= roundSeconds / 4 || count >= (1 << 24)) {
      return std::max(1, static_cast<int>(count * roundSeconds / std::max(seconds, 1e-9)));
    }
    count *= 4;
  }
}

// The value below which the given fraction of the samples lie; -1 without samples.
inline double Percentile(std::vector<double> samples, double fraction) {
  if (samples.empty()) return -1;
  std::sort(samples.begin(), samples.end());
  const size_t index = std::min(samples.size() - 1, static_cast<size_t>(fraction * samples.size()));
  return samples[index];
}

}  // namespace bench

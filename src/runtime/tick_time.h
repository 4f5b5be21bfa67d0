#pragma once

#include <cstdint>

namespace kbase {

// A point on the runtime clock in microseconds; 0 means "no time". The clock counts
// milliseconds of the system's multimedia timer and keeps increasing across its 32-bit
// wrap (every 49.7 days).
class TickTime {
 public:
  using MillisecondSource = uint32_t (*)();

  // The clock's step: a reading can lag the true time by up to this much.
  static constexpr int64_t kTick = 1000;

  constexpr TickTime() = default;
  static constexpr TickTime FromMicroseconds(int64_t microseconds) {
    return TickTime(microseconds);
  }

  static TickTime Now();

  // Replaces the millisecond counter (nullptr restores the system's) and restarts the
  // wrap bookkeeping. Lets tests drive the clock, a wrap of the counter included.
  static void SetMillisecondSource(MillisecondSource source);

  constexpr int64_t ToMicroseconds() const { return microseconds_; }
  constexpr bool IsNull() const { return microseconds_ == 0; }

  constexpr TickTime operator+(int64_t microseconds) const {
    return TickTime(microseconds_ + microseconds);
  }
  constexpr int64_t operator-(TickTime other) const { return microseconds_ - other.microseconds_; }

  constexpr bool operator==(TickTime other) const { return microseconds_ == other.microseconds_; }
  constexpr bool operator!=(TickTime other) const { return microseconds_ != other.microseconds_; }
  constexpr bool operator<(TickTime other) const { return microseconds_ < other.microseconds_; }
  constexpr bool operator<=(TickTime other) const { return microseconds_ <= other.microseconds_; }
  constexpr bool operator>(TickTime other) const { return microseconds_ > other.microseconds_; }
  constexpr bool operator>=(TickTime other) const { return microseconds_ >= other.microseconds_; }

 private:
  constexpr explicit TickTime(int64_t microseconds) : microseconds_(microseconds) {}

  int64_t microseconds_ = 0;
};

}  // namespace kbase

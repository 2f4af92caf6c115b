// The monotonic clock in nanoseconds, and waits given in nanoseconds.
#pragma once

#include <cstdint>
#include <ctime>

namespace r742 {

inline constexpr std::int64_t kNsPerSecond = 1000000000;
inline constexpr std::int64_t kNsPerMs = 1000000;

inline std::int64_t MonotonicNs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return std::int64_t{ts.tv_sec} * kNsPerSecond + ts.tv_nsec;
}

inline timespec ToTimespec(std::int64_t ns) {
  return timespec{static_cast<time_t>(ns / kNsPerSecond), static_cast<long>(ns % kNsPerSecond)};
}

}  // namespace r742

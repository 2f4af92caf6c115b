// How long a read of `count` bytes may last under the read time-outs, shared by
// the real and the in-memory port so that both end a read at the same point.
#pragma once

#include <algorithm>
#include <cstdint>

#include "serial/serial_port.h"

namespace r742 {

struct ReadLimits {
  bool immediate = false;       // all time-outs 0: only what is already there
  std::int64_t intervalMs = 0;  // 0: no limit between bytes
  std::int64_t totalMs = 0;     // 0: no limit for the whole read
};

inline ReadLimits ReadLimitsFor(const CommTimeouts& t, std::uint32_t count) {
  // Kept well inside the nanosecond range of a 64-bit clock.
  constexpr std::uint64_t kLongestMs = std::uint64_t{1} << 40;
  const std::uint64_t total = std::uint64_t{count} * t.readTotalMultiplier + t.readTotalConstant;
  ReadLimits limits;
  limits.intervalMs = t.readInterval;
  limits.totalMs = static_cast<std::int64_t>(std::min(total, kLongestMs));
  limits.immediate = limits.intervalMs == 0 && limits.totalMs == 0;
  return limits;
}

}  // namespace r742

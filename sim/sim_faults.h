// Faults the simulated node can put on the line, each independent of the
// others and freely combined.
#pragma once

#include <cstdint>

namespace r742 {

struct SimFaults {
  bool echo = false;                // the line gives every request back as it leaves the wire (PacedWire)
  bool silent = false;              // the node acts on requests but never answers
  bool badCrc = false;              // last CRC byte of the reply inverted
  std::uint8_t exceptionCode = 0;   // nonzero: every request is refused with this code, nothing is applied
  std::int64_t delayMs = 0;         // from the end of the request to the first reply byte
  std::uint32_t truncate = 0;       // bytes dropped from the end of the reply
  std::uint32_t garbageBefore = 0;  // junk bytes in front of the reply
  std::uint32_t garbageAfter = 0;   // junk bytes behind the reply
  std::int64_t splitGapMs = 0;      // nonzero: the second half of the reply follows after this pause
  bool wrongNode = false;           // the reply names node + 1, with a CRC that matches
};

// Upper bound for the junk and truncation counts, so a reply stays bounded.
inline constexpr std::uint32_t kMaxGarbageBytes = 1024;

}  // namespace r742

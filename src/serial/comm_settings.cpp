#include <algorithm>

#include "serial/serial_port.h"

namespace r742 {

unsigned BitsPerChar(const LineSettings& s) {
  const unsigned stop = s.stopBits == 2 || s.halfStopBit ? 2u : 1u;
  return 1u + static_cast<unsigned>(std::clamp(s.dataBits, 5, 8)) + (s.parity == 'N' ? 0u : 1u) + stop;
}

CommTimeouts ReadAnyWithin(CommTimeouts timeouts, std::uint32_t ms) {
  timeouts.readInterval = 1;
  timeouts.readTotalMultiplier = 0;
  timeouts.readTotalConstant = std::max<std::uint32_t>(ms, 1);
  return timeouts;
}

}  // namespace r742

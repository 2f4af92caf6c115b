#include "modbus/traffic_text.h"

#include <algorithm>

namespace r742 {

std::string FormatTrafficLine(const std::uint8_t* bytes, std::size_t length, int direction) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string line = direction == 0 ? "Modbus >> " : "Modbus << ";
  line.reserve(kTrafficLineMax);
  for (std::size_t i = 0; i < length && line.size() < kTrafficLineMax; ++i) {
    const char group[3] = {kHex[bytes[i] >> 4], kHex[bytes[i] & 0x0F], ' '};
    line.append(group, std::min<std::size_t>(3, kTrafficLineMax - line.size()));
  }
  return line;
}

void LimitTrafficLine(std::string& line) {
  const std::size_t length = line.size();
  if (length <= kLimitedTrafficLine) return;
  // The line ends in a blank; the five characters before it are the CRC bytes.
  line = line.substr(0, 98) + "......" + line.substr(length - 6, 5);
}

}  // namespace r742

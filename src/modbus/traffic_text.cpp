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
  // The last two bytes shown (the CRC of a whole frame) are the five characters before the
  // final blank; a line cut at kTrafficLineMax ends in the second of them, without the blank.
  const std::size_t shownEnd = line.back() == ' ' ? length - 1 : length;
  line.replace(98, std::string::npos, "......" + line.substr(shownEnd - 5, 5));
}

}  // namespace r742

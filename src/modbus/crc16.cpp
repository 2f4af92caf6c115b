#include "modbus/crc16.h"

namespace r742 {

Crc16Bytes Crc16(const std::uint8_t* bytes, std::size_t length) {
  std::uint8_t low = 0xFF, high = 0xFF;
  for (std::size_t i = 0; i < length; ++i) {
    low ^= bytes[i];
    for (int bit = 0; bit < 8; ++bit) {
      const bool lowCarry = low & 1;
      const bool highCarry = high & 1;
      high >>= 1;
      low = static_cast<std::uint8_t>(low >> 1 | (highCarry ? 0x80 : 0));
      if (lowCarry) {
        low ^= 0x01;
        high ^= 0xA0;
      }
    }
  }
  return {low, high};
}

}  // namespace r742

// The Modbus RTU CRC-16 (reflected polynomial 0xA001, start 0xFFFF, no final XOR).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace r742 {

// The two CRC bytes in the order they travel on the wire: low first.
struct Crc16Bytes {
  std::uint8_t low = 0xFF;
  std::uint8_t high = 0xFF;
};

// Bit by bit over two 8-bit registers, the way the node documents it.
Crc16Bytes Crc16(const std::uint8_t* bytes, std::size_t length);

// The CRC as one number, for example 0x4B37 for the ASCII digits "123456789".
inline std::uint16_t Crc16Value(const std::uint8_t* bytes, std::size_t length) {
  const Crc16Bytes c = Crc16(bytes, length);
  return static_cast<std::uint16_t>(c.high << 8 | c.low);
}

// Appends the CRC of `frame` to it, low byte first as it goes on the wire.
inline void AppendCrc(std::vector<std::uint8_t>& frame) {
  const Crc16Bytes crc = Crc16(frame.data(), frame.size());
  frame.push_back(crc.low);
  frame.push_back(crc.high);
}

}  // namespace r742

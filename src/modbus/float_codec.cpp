#include "modbus/float_codec.h"

#include <bit>
#include <utility>

namespace r742 {

namespace {

// Bit 0 picks little endian, any bit above it swaps the two 16-bit words.
bool LittleEndian(unsigned order) { return (order & ~6u) == 1; }
bool WordSwap(unsigned order) { return (order & 0xFEu) != 0; }

}  // namespace

std::size_t CFloatCodec::PutFloat(float value, std::uint8_t* buffer, std::size_t offset, unsigned order) const {
  const auto pattern = std::bit_cast<std::uint32_t>(value);
  std::uint8_t b[4] = {static_cast<std::uint8_t>(pattern >> 24), static_cast<std::uint8_t>(pattern >> 16),
                       static_cast<std::uint8_t>(pattern >> 8), static_cast<std::uint8_t>(pattern)};
  if (LittleEndian(order)) {
    std::swap(b[0], b[3]);
    std::swap(b[1], b[2]);
  }
  if (WordSwap(order)) {
    std::swap(b[0], b[2]);
    std::swap(b[1], b[3]);
  }
  for (int i = 0; i < 4; ++i) buffer[offset + i] = b[i];
  return offset + 4;
}

float CFloatCodec::GetFloat(std::uint32_t pattern) const { return std::bit_cast<float>(pattern); }

std::uint32_t ArrangeBytes(const std::uint8_t* p, unsigned order) {
  auto word = [](unsigned a, unsigned b, unsigned c, unsigned d) {
    return static_cast<std::uint32_t>(a) << 24 | static_cast<std::uint32_t>(b) << 16 |
           static_cast<std::uint32_t>(c) << 8 | d;
  };
  switch (order) {
    case 1: return word(p[3], p[2], p[1], p[0]);
    case 2: return word(p[2], p[3], p[0], p[1]);
    case 3: return word(p[1], p[0], p[3], p[2]);
    default: return word(p[0], p[1], p[2], p[3]);
  }
}

}  // namespace r742

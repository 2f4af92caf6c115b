// 32-bit floats in the four byte orders a node may use. Index 0 big endian
// (B3 B2 B1 B0 on the wire), 1 little endian (B0 B1 B2 B3), 2 big endian with
// the 16-bit words swapped (B1 B0 B3 B2), 3 little endian word-swapped
// (B2 B3 B0 B1); B3 holds the sign and the high exponent bits.
#pragma once

#include <cstddef>
#include <cstdint>

namespace r742 {

class CFloatCodec {
 public:
  // Writes the four bytes of `value` at buffer[offset..offset+3] in the byte
  // order `order`; returns offset + 4. The caller keeps offset + 4 within the buffer.
  std::size_t PutFloat(float value, std::uint8_t* buffer, std::size_t offset, unsigned order) const;
  // The exact single-precision value of a 32-bit IEEE-754 pattern.
  float GetFloat(std::uint32_t pattern) const;
};

// The 32-bit pattern of four wire bytes p[0..3] in byte order `order`: the
// inverse of PutFloat.
std::uint32_t ArrangeBytes(const std::uint8_t* p, unsigned order);

}  // namespace r742

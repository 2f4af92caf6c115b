// Frames from hex text, with their CRC, and the floats inside them.
#pragma once

#include <cstdint>
#include <sstream>
#include <string_view>
#include <vector>

#include "modbus/crc16.h"
#include "modbus/float_codec.h"

namespace r742::test {

using Bytes = std::vector<std::uint8_t>;

inline Bytes Hex(std::string_view text) {
  Bytes out;
  std::istringstream in{std::string(text)};
  for (unsigned byte = 0; in >> std::hex >> byte;) out.push_back(static_cast<std::uint8_t>(byte));
  return out;
}

inline Bytes Join(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// `frame`, then `values` as floats in byte order `order`, then the CRC.
inline Bytes WithCrc(Bytes frame, const std::vector<float>& values = {}, unsigned order = 0) {
  for (float v : values) {
    frame.resize(frame.size() + 4);
    CFloatCodec().PutFloat(v, frame.data(), frame.size() - 4, order);
  }
  AppendCrc(frame);
  return frame;
}

}  // namespace r742::test

#include "site/byte_order.h"

#include <cmath>

#include "modbus/float_codec.h"

namespace r742 {

std::vector<unsigned> FittingByteOrders(std::span<const std::uint8_t> data) {
  std::vector<unsigned> fitting;
  if (data.size() < 12) return fitting;
  const CFloatCodec codec;
  for (unsigned order = 0; order < 4; ++order) {
    const float volts = codec.GetFloat(ArrangeBytes(data.data(), order));
    const float amps = codec.GetFloat(ArrangeBytes(data.data() + 4, order));
    const float type = codec.GetFloat(ArrangeBytes(data.data() + 8, order));
    const bool wiring = type == 1.0f || type == 2.0f || type == 3.0f || type == 4.0f;
    const auto positive = [](float v) { return std::isfinite(v) && v > 0.0f; };
    if (wiring && positive(volts) && positive(amps)) fitting.push_back(order);
  }
  return fitting;
}

}  // namespace r742

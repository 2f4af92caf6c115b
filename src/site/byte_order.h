// Which float byte order a node uses, told from its first three values: the
// one order in which the wiring type is a whole number 1..4 and the voltage
// and current are positive and finite.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace r742 {

// The orders 0..3 in which the first three values of a function-3 reply's
// data (12 bytes or more) fit; none when the data is shorter.
std::vector<unsigned> FittingByteOrders(std::span<const std::uint8_t> data);

}  // namespace r742

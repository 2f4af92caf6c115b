// The line speeds a port can be set to: the standard rates up to 4 Mbit/s.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>

namespace r742 {

inline constexpr std::array<std::uint32_t, 30> kStandardBaudRates = {
    50,     75,     110,     134,     150,     200,     300,     600,     1200,    1800,
    2400,   4800,   9600,    19200,   38400,   57600,   115200,  230400,  460800,  500000,
    576000, 921600, 1000000, 1152000, 1500000, 2000000, 2500000, 3000000, 3500000, 4000000};

constexpr bool IsStandardBaudRate(std::uint32_t baud) {
  return std::find(kStandardBaudRates.begin(), kStandardBaudRates.end(), baud) != kStandardBaudRates.end();
}

}  // namespace r742

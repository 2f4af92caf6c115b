// The hexadecimal line shown and filed for a frame sent or received.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace r742 {

inline constexpr std::size_t kTrafficLineMax = 999;
inline constexpr std::size_t kLimitedTrafficLine = 109;

// "Modbus >> " (direction 0) or "Modbus << " (any other direction), then each
// byte as two upper-case hex digits and a blank; cut at kTrafficLineMax characters.
std::string FormatTrafficLine(const std::uint8_t* bytes, std::size_t length, int direction);

// A line longer than kLimitedTrafficLine keeps its head, "......" and the
// last two bytes (the CRC), kLimitedTrafficLine characters in all.
void LimitTrafficLine(std::string& line);

}  // namespace r742

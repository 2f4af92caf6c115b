// The node's values as the tool uses them, numbered from 1: each is a 32-bit
// float in two 16-bit registers.
#pragma once

#include <cstdint>

namespace r742 {

inline constexpr unsigned kSystemFirstValue = 1;  // voltage, current, wiring type, ...
inline constexpr unsigned kSystemValueCount = 28;
inline constexpr unsigned kChannelModeValueCount = 18;  // function 70, the channel in the address field
inline constexpr unsigned kOutputFirstValue = 13;       // per channel: code, nominal, zero offset
inline constexpr unsigned kOutputValueCount = 9;
inline constexpr unsigned kPassCodeValue = 36;

// Written to the pass-code register before new output settings; 0.0 there on Release.
inline constexpr float kPassCode = 31427.0f;

// One read of at most this many bytes takes a reply; a read that fills it counts as nothing.
inline constexpr std::uint32_t kReplyReadLimit = 512;

}  // namespace r742

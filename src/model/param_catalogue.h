#pragma once

#include <string>
#include <string_view>

namespace r742 {

// The measured quantities an analogue output can follow, by the code the node uses.
inline constexpr int kParamCount = 49;
inline constexpr int kFrequencyCode = 36;

// Display name of a code 0..48; empty text for any other code.
std::string GetParamName(int code);

// Code whose name matches exactly (byte for byte); 0 ("OFF") when none does.
int GetParamCode(std::string_view name);

// 0 = no output, 1 = unsigned quantity, 2 = signed quantity; 0 outside 0..48.
int GetParamPolarity(int code);

}  // namespace r742

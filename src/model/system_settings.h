// The node's system settings as the window shows them: nominal voltage,
// current and power, and the wiring type.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace r742 {

// Below 10 three decimals, below 100 two, below 1000 one, otherwise none
// (so 230 shows as "230.0", 5 as "5.000" and 3450 as "3450").
std::string FormatSystemMagnitude(float x);

// The name of a wiring type code 1.0..4.0 (compared exactly); empty otherwise.
std::string_view WiringTypeName(float type);

// Nominal power of the wiring type, in 32-bit steps; nothing for an unknown type.
std::optional<float> SystemPower(float volts, float amps, float type);

}  // namespace r742

// The requests the tool sends to a node, built from plain values: each is a
// whole Modbus RTU frame with its CRC, ready to write.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace r742 {

using Frame = std::vector<std::uint8_t>;

// Only the low 8 bits of `node` travel.
Frame SystemSettingsRead(unsigned node);
// The first three system values only (voltage, current, wiring type): the scan's probe.
Frame SystemSettingsProbe(unsigned node);
Frame ChannelModeRead(unsigned node, unsigned channel);  // channel 1..3
Frame OutputSettingsRead(unsigned node);
// Function 16 from value `firstValue` (its low 8 bits), the values in byte order `order`.
Frame RegisterWrite(unsigned node, unsigned firstValue, std::span<const float> values, unsigned order);
Frame PassCodeWrite(unsigned node, float value, unsigned order);
Frame OutputSettingsWrite(unsigned node, const std::array<float, 9>& values, unsigned order);

// The nine values of the output-settings write, per channel: its code, then its
// nominal and zero offset as they stand or, for a frequency channel (`paramCodes`
// 36), the two node values of its centre and span. Empty when a frequency
// channel has no span or a value is not a finite number: nothing of it may
// reach the node.
std::optional<std::array<float, 9>> OutputWriteValues(const std::array<float, 3>& codes,
                                                      const std::array<int, 3>& paramCodes,
                                                      const std::array<float, 3>& nominal,
                                                      const std::array<float, 3>& zeroOffset);

}  // namespace r742

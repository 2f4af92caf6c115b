// What an accepted reply carries, as plain values: the floats of the data in
// the node's byte order, taken by position.
#pragma once

#include <array>
#include <optional>

namespace r742 {

class CModbusFrame;

// The system-settings read: values 1..3 of the node.
struct SystemSettings {
  float volts = 0.0f;
  float amps = 0.0f;
  float wiringType = 0.0f;  // 1.0 .. 4.0
};

// A channel-mode reply (function 70): its second and third float.
struct ChannelMode {
  float mode = 0.0f;  // 0 a voltage output, any other value a current output
  float fullScale = 0.0f;
};

// The output settings of one channel as the node stores them.
struct ChannelSettings {
  float code = 0.0f;  // a parameter code held as a float
  float nominal = 0.0f;
  float zeroOffset = 0.0f;  // for a frequency channel: the two node values of centre and span
};
using OutputSettings = std::array<ChannelSettings, 3>;

// Each is empty when the reply carries fewer values than the request reads.
// A function-70 reply counts only where its own byte count and CRC agree.
std::optional<SystemSettings> DecodeSystemSettings(CModbusFrame& reply, unsigned order);
std::optional<ChannelMode> DecodeChannelMode(CModbusFrame& reply, unsigned order);
std::optional<OutputSettings> DecodeOutputSettings(CModbusFrame& reply, unsigned order);

}  // namespace r742

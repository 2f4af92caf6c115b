#include "node/node_requests.h"

#include <algorithm>
#include <cmath>

#include "modbus/modbus_frame.h"
#include "model/param_catalogue.h"
#include "model/scaling.h"
#include "node/node_map.h"

namespace r742 {
namespace {

Frame Built(CModbusFrame& frame, unsigned function, unsigned node, unsigned first, unsigned count) {
  frame.BuildRequest(function, node, first, count);
  frame.AppendCrc();
  return Frame(frame.TransmitBytes(), frame.TransmitBytes() + frame.TransmitLength());
}

Frame Read(unsigned function, unsigned node, unsigned first, unsigned count) {
  CModbusFrame frame;
  return Built(frame, function, node, first, count);
}

}  // namespace

Frame SystemSettingsRead(unsigned node) { return Read(kReadHolding, node, kSystemFirstValue, kSystemValueCount); }

Frame SystemSettingsProbe(unsigned node) { return Read(kReadHolding, node, kSystemFirstValue, 3); }

Frame ChannelModeRead(unsigned node, unsigned channel) {
  return Read(kReadNodeSpecific, node, channel, kChannelModeValueCount);
}

Frame OutputSettingsRead(unsigned node) { return Read(kReadHolding, node, kOutputFirstValue, kOutputValueCount); }

Frame RegisterWrite(unsigned node, unsigned firstValue, std::span<const float> values, unsigned order) {
  CModbusFrame frame;
  for (float v : values) frame.AppendPayloadFloat(v, order);
  return Built(frame, kWriteMultiple, node, firstValue & 0xFFu, static_cast<unsigned>(values.size()));
}

Frame PassCodeWrite(unsigned node, float value, unsigned order) {
  return RegisterWrite(node, kPassCodeValue, {&value, 1}, order);
}

Frame OutputSettingsWrite(unsigned node, const std::array<float, 9>& values, unsigned order) {
  return RegisterWrite(node, kOutputFirstValue, values, order);
}

std::optional<std::array<float, 9>> OutputWriteValues(const std::array<float, 3>& codes,
                                                      const std::array<int, 3>& paramCodes,
                                                      const std::array<float, 3>& nominal,
                                                      const std::array<float, 3>& zeroOffset) {
  std::array<float, 9> values{};
  for (std::size_t ch = 0; ch < 3; ++ch) {
    float* v = &values[3 * ch];
    v[0] = codes[ch];
    v[1] = nominal[ch];
    v[2] = zeroOffset[ch];
    if (paramCodes[ch] == kFrequencyCode) {
      if (zeroOffset[ch] == 0.0f) return std::nullopt;  // no span: the node values would divide by zero
      v[1] = FrequencyToNode(nominal[ch], zeroOffset[ch], 0);
      v[2] = FrequencyToNode(nominal[ch], zeroOffset[ch], 1);
    }
  }
  if (!std::all_of(values.begin(), values.end(), [](float v) { return std::isfinite(v); })) return std::nullopt;
  return values;
}

}  // namespace r742

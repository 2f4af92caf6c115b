#include "node/node_data.h"

#include "modbus/float_codec.h"
#include "modbus/modbus_frame.h"

namespace r742 {
namespace {

float ValueAt(const CModbusFrame& frame, std::size_t k) { return CFloatCodec().GetFloat(frame.Values()[k]); }

}  // namespace

std::optional<SystemSettings> DecodeSystemSettings(CModbusFrame& reply, unsigned order) {
  reply.ExtractValues(order);
  if (reply.ValueCount() < 3) return std::nullopt;
  return SystemSettings{ValueAt(reply, 0), ValueAt(reply, 1), ValueAt(reply, 2)};
}

std::optional<ChannelMode> DecodeChannelMode(CModbusFrame& reply, unsigned order) {
  reply.DecodeFrame(order);
  if (reply.ValueCount() < 3) return std::nullopt;
  return ChannelMode{ValueAt(reply, 1), ValueAt(reply, 2)};
}

std::optional<OutputSettings> DecodeOutputSettings(CModbusFrame& reply, unsigned order) {
  reply.ExtractValues(order);
  if (reply.ValueCount() < 9) return std::nullopt;
  OutputSettings settings;
  for (std::size_t ch = 0; ch < 3; ++ch)
    settings[ch] = {ValueAt(reply, 3 * ch), ValueAt(reply, 3 * ch + 1), ValueAt(reply, 3 * ch + 2)};
  return settings;
}

}  // namespace r742

#include "site/node_operations.h"

#include <bit>
#include <cstdio>

#include "modbus/float_codec.h"
#include "modbus/modbus_frame.h"
#include "model/number_text.h"
#include "model/param_catalogue.h"
#include "model/readouts.h"
#include "model/scaling.h"
#include "node/node_map.h"
#include "node/node_requests.h"
#include "site/node_link.h"

namespace r742 {
namespace {

std::array<std::uint32_t, 9> Patterns(const CModbusFrame& reply) {
  std::array<std::uint32_t, 9> patterns{};
  const auto values = reply.Values();
  for (std::size_t i = 0; i < patterns.size() && i < values.size(); ++i) patterns[i] = values[i];
  return patterns;
}

ChannelReading ChannelFrom(ChannelReading channel, const ChannelSettings& stored) {
  channel.codeValue = stored.code;
  channel.parameter = GetParamName(TruncateToInt(stored.code).value_or(-1));
  channel.code = GetParamCode(channel.parameter);
  float nominal = stored.nominal, zeroOffset = stored.zeroOffset;
  if (channel.code == kFrequencyCode) {
    const CentreSpan cs = CentreSpanFromNode(nominal, zeroOffset);
    nominal = cs.centre;
    zeroOffset = cs.span;
  }
  channel.nominal = NominalAsShown(nominal);
  channel.zeroOffset = ZeroOffsetAsShown(zeroOffset);
  const ChannelReadoutTexts r = ChannelReadouts(channel.code, GetParamPolarity(channel.code), channel.outputMode,
                                                channel.fullScale, channel.nominal, channel.zeroOffset);
  channel.readouts = r.points;
  channel.unit = r.unit;
  return channel;
}

// The step that failed and why, into a result that has both.
template <typename Result>
Result& Failed(Result& result, const char* step, std::string&& fault) {
  result.step = step;
  result.fault = std::move(fault);
  return result;
}

}  // namespace

NodeReading WithOutputs(const NodeReading& modes, const OutputSettings& outputs,
                        const std::array<std::uint32_t, 9>& patterns) {
  NodeReading reading = modes;
  for (std::size_t ch = 0; ch < 3; ++ch) reading.channels[ch] = ChannelFrom(modes.channels[ch], outputs[ch]);
  reading.outputPatterns = patterns;
  return reading;
}

ReadResult ReadNode(NodeLink& link, unsigned node, unsigned order) {
  ReadResult result;
  NodeReading reading;
  CModbusFrame reply;
  const auto failed = [&result](const char* step, std::string fault) { return Failed(result, step, std::move(fault)); };
  link.BeginOperation();
  ExchangeResult x = link.Exchange(SystemSettingsRead(node), reply);
  if (!x.ok) return failed("system settings", x.fault);
  const std::optional<SystemSettings> system = DecodeSystemSettings(reply, order);
  if (!system) return failed("system settings", "the reply carries fewer than 3 values");
  reading.system = *system;

  static constexpr const char* kModeSteps[] = {"CH1 mode", "CH2 mode", "CH3 mode"};
  for (unsigned ch = 1; ch <= 3; ++ch) {
    CModbusFrame modeReply;
    x = link.Exchange(ChannelModeRead(node, ch), modeReply);
    if (!x.ok) return failed(kModeSteps[ch - 1], x.fault);
    // A reply whose own byte count or CRC disagrees changes nothing, as in the window.
    if (const std::optional<ChannelMode> mode = DecodeChannelMode(modeReply, order)) {
      reading.channels[ch - 1].outputMode = TruncateToInt(mode->mode).value_or(1);
      reading.channels[ch - 1].fullScale = mode->fullScale;
    }
  }

  CModbusFrame outputReply;
  x = link.Exchange(OutputSettingsRead(node), outputReply);
  if (!x.ok) return failed("output settings", x.fault);
  const std::optional<OutputSettings> outputs = DecodeOutputSettings(outputReply, order);
  if (!outputs) return failed("output settings", "the reply carries fewer than 9 values");
  result.reading = WithOutputs(reading, *outputs, Patterns(outputReply));
  return result;
}

SendResult SendOutputs(NodeLink& link, unsigned node, unsigned order, const std::array<float, 9>& values,
                       const NodeReading& modes, bool keep) {
  SendResult result;
  CModbusFrame reply;
  const auto failed = [&result](const char* step, std::string fault) { return Failed(result, step, std::move(fault)); };
  link.BeginOperation();
  ExchangeResult x = link.Exchange(PassCodeWrite(node, kPassCode, order), reply);
  if (!x.ok) return failed("pass code", x.fault);
  CModbusFrame writeReply;
  x = link.Exchange(OutputSettingsWrite(node, values, order), writeReply);
  if (!x.ok) return failed("output settings write", x.fault);
  result.written = true;

  CModbusFrame readBack;
  x = link.Exchange(OutputSettingsRead(node), readBack);
  std::optional<OutputSettings> outputs;
  if (x.ok) outputs = DecodeOutputSettings(readBack, order);
  if (!x.ok || !outputs) {
    failed("read-back", x.ok ? "the reply carries fewer than 9 values" : x.fault);
  } else {
    const std::array<std::uint32_t, 9> patterns = Patterns(readBack);
    result.after = WithOutputs(modes, *outputs, patterns);
    result.check = SendCheck::kSame;
    for (std::size_t i = 0; i < values.size(); ++i) {
      const auto wrote = std::bit_cast<std::uint32_t>(values[i]);
      if (patterns[i] == wrote) continue;
      char text[96];
      std::snprintf(text, sizeof text, "CH%zu value %zu: wrote %08X, read back %08X", i / 3 + 1, i % 3 + 1,
                    static_cast<unsigned>(wrote), static_cast<unsigned>(patterns[i]));
      result.check = SendCheck::kDiffers;
      result.difference = text;
      break;
    }
  }
  // No one is left to press Release: the node is locked again whatever the check found.
  if (!keep) {
    const std::string fault = ReleaseNode(link, node, order);
    result.released = fault.empty();
    if (!fault.empty() && result.fault.empty()) failed("release", fault);
  }
  return result;
}

std::string ReleaseNode(NodeLink& link, unsigned node, unsigned order) {
  CModbusFrame reply;
  link.BeginOperation();
  const ExchangeResult x = link.Exchange(PassCodeWrite(node, 0.0f, order), reply);
  return x.ok ? std::string() : x.fault;
}

}  // namespace r742

#include "site/reading_json.h"

#include <cmath>

#include "model/system_settings.h"
#include "site/json_float.h"

namespace r742 {
namespace {

nlohmann::json Number(float value) {
  if (!std::isfinite(value)) return nullptr;
  return ShortestDouble(value);
}

nlohmann::json TextOrNull(std::string_view text) { return text.empty() ? nlohmann::json() : nlohmann::json(text); }

nlohmann::json ChannelJson(const ChannelReading& channel) {
  const bool frequency = channel.parameter == "Hz";
  nlohmann::json object;
  object["parameter"] = TextOrNull(channel.parameter);
  object["code"] = Number(channel.codeValue);
  object["output"] = channel.outputMode == 0 ? "V" : "mA";
  object["full_scale"] = Number(channel.fullScale);
  object[frequency ? "centre" : "nominal"] = Number(channel.nominal);
  object[frequency ? "span" : "zero_offset"] = Number(channel.zeroOffset);
  nlohmann::json& readouts = object["readouts"] = nlohmann::json::array();
  for (const std::string& readout : channel.readouts) readouts.push_back(TextOrNull(readout));
  return object;
}

}  // namespace

nlohmann::json ReadingJson(const NodeReading& reading) {
  const SystemSettings& system = reading.system;
  const std::optional<float> power = SystemPower(system.volts, system.amps, system.wiringType);
  nlohmann::json object;
  object["system"] = {{"volts", Number(system.volts)},
                      {"amps", Number(system.amps)},
                      {"wiring_type", Number(system.wiringType)},
                      {"wiring", TextOrNull(WiringTypeName(system.wiringType))},
                      {"power", power ? Number(*power) : nlohmann::json()}};
  nlohmann::json& channels = object["channels"];
  for (std::size_t ch = 0; ch < reading.channels.size(); ++ch)
    channels["CH" + std::to_string(ch + 1)] = ChannelJson(reading.channels[ch]);
  return object;
}

SiteConfig ConfigFromReading(const NodeReading& reading) {
  SiteConfig config;
  for (std::size_t ch = 0; ch < reading.channels.size(); ++ch) {
    const ChannelReading& channel = reading.channels[ch];
    config.channels[ch] = {channel.parameter.empty() ? "OFF" : channel.parameter, channel.nominal, channel.zeroOffset};
  }
  return config;
}

}  // namespace r742

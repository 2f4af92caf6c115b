// Writing a configuration: the keys in the order of the file's description
// (site_config_parse.cpp), a channel and the line settings on one line each.
#include <bit>
#include <cstdint>

#include <nlohmann/json.hpp>

#include "site/json_float.h"
#include "site/site_config.h"
#include "site/site_config_json.h"

namespace r742 {
namespace {

template <class Json>
Json ChannelObject(const ChannelConfig& channel) {
  const bool frequency = channel.parameter == "Hz";
  Json object;
  object["parameter"] = channel.parameter;
  object[frequency ? "centre" : "nominal"] = ShortestDouble(channel.nominal);
  object[frequency ? "span" : "zero_offset"] = ShortestDouble(channel.zeroOffset);
  return object;
}

template <class Json>
Json ConfigObject(const SiteConfig& config) {
  Json object;
  object["format"] = kConfigFormatName;
  object["version"] = kConfigFormatVersion;
  const LineConfig& line = config.line;
  if (line.port || line.baud || line.parity || line.stopBits) {
    Json& lineObject = object["line"];
    if (line.port) lineObject["port"] = *line.port;
    if (line.baud) lineObject["baud"] = *line.baud;
    if (line.parity) lineObject["parity"] = std::string(1, *line.parity);
    if (line.stopBits) lineObject["stop"] = *line.stopBits;
  }
  if (config.node) object["node"] = *config.node;
  if (config.order) object["order"] = *config.order;
  Json& channels = object["channels"];
  for (std::size_t ch = 0; ch < config.channels.size(); ++ch)
    channels["CH" + std::to_string(ch + 1)] = ChannelObject<Json>(config.channels[ch]);
  return object;
}

using Ordered = nlohmann::ordered_json;

std::string Scalar(const Ordered& value) { return value.dump(-1, ' ', false, Ordered::error_handler_t::replace); }

// A value on one line, an object's values being scalars; invalid UTF-8 in a
// text is replaced, never thrown.
std::string OneLine(const Ordered& value) {
  if (!value.is_object()) return Scalar(value);
  std::string text = "{";
  for (const auto& item : value.items()) {
    if (text.size() > 1) text += ", ";
    text += Scalar(Ordered(item.key())) + ": " + Scalar(item.value());
  }
  return text + "}";
}

bool SameFloat(float a, float b) { return std::bit_cast<std::uint32_t>(a) == std::bit_cast<std::uint32_t>(b); }

}  // namespace

std::string FormatSiteConfig(const SiteConfig& config) {
  const auto object = ConfigObject<Ordered>(config);
  std::string text = "{\n";
  for (const auto& item : object.items()) {
    if (text.size() > 2) text += ",\n";
    text += "  " + Scalar(Ordered(item.key())) + ": ";
    if (item.key() != "channels") {
      text += OneLine(item.value());
      continue;
    }
    std::string channels;
    for (const auto& channel : item.value().items())
      channels +=
          (channels.empty() ? "    " : ",\n    ") + Scalar(Ordered(channel.key())) + ": " + OneLine(channel.value());
    text += "{\n" + channels + "\n  }";
  }
  return text + "\n}\n";
}

nlohmann::json SiteConfigJson(const SiteConfig& config) { return ConfigObject<nlohmann::json>(config); }

bool SameSiteConfig(const SiteConfig& a, const SiteConfig& b) {
  for (std::size_t ch = 0; ch < a.channels.size(); ++ch) {
    const ChannelConfig &x = a.channels[ch], &y = b.channels[ch];
    if (x.parameter != y.parameter || !SameFloat(x.nominal, y.nominal) || !SameFloat(x.zeroOffset, y.zeroOffset))
      return false;
  }
  return a.line.port == b.line.port && a.line.baud == b.line.baud && a.line.parity == b.line.parity &&
         a.line.stopBits == b.line.stopBits && a.node == b.node && a.order == b.order;
}

}  // namespace r742

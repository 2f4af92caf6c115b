// The configuration file: one JSON object, UTF-8, for example
//
//   {
//     "format": "r742-outputs configuration",
//     "version": 1,
//     "line": {"port": "COM1", "baud": 38400, "parity": "N", "stop": 2},
//     "node": 1,
//     "order": 2,
//     "channels": {
//       "CH1": {"parameter": "V L1-2", "nominal": 100.0, "zero_offset": 0.0},
//       "CH2": {"parameter": "Hz", "centre": 50.0, "span": 5.0},
//       "CH3": {"parameter": "OFF"}
//     }
//   }
//
// "format" (exactly this text), "version" (1) and "channels" with CH1, CH2 and
// CH3 are required; "line", each key in it, "node" and "order" are optional.
//   line.port    a non-empty text: "COM1", a device path or a link to one
//   line.baud    a standard rate (300 .. 4000000)
//   line.parity  "N", "O" or "E"
//   line.stop    1 or 2
//   node         1 .. 255
//   order        0 .. 3, the byte order of the node's floats
// A channel's "parameter" is a name of the parameter catalogue, exactly. A "Hz"
// channel takes "centre" (5 .. 200 Hz) and "span" (+/- Hz, not 0, at most 90);
// any other takes "nominal" (5 .. 200 %) and "zero_offset" (% , at most 90),
// which "OFF" may leave out (100 and 0 then). Numbers are JSON numbers, whole
// where the field is; values are kept as 32-bit floats.
// Nothing is corrected: a syntax error, an unknown or repeated key, a wrong
// type, a missing field or a value outside its limits refuses the whole file
// with one line naming the place: "line 4, column 12: syntax error ...",
// "channels.CH2.nominl: unknown key", "channels.CH1.nominal: 250 is outside 5..200".
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <set>
#include <vector>

#include <nlohmann/json.hpp>

#include "model/param_catalogue.h"
#include "serial/standard_baud_rates.h"
#include "site/site_config.h"
#include "site/site_config_json.h"

namespace r742 {
namespace {

using Json = nlohmann::json;

// Ends the check of a file: caught in ParseSiteConfig.
struct Refusal {
  std::string text;
};

constexpr std::size_t kShownBytesMax = 48;
constexpr std::size_t kWhatMax = 160;  // a message of the JSON parser

// A text from the file as an error shows it: on one line, cut short.
std::string Shown(std::string_view text, std::size_t bytesMax = kShownBytesMax) {
  std::string shown;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (shown.size() >= bytesMax && (byte & 0xC0) != 0x80) return shown + "...";
    shown += byte < 0x20 || byte == 0x7F ? '?' : c;
  }
  return shown;
}

std::string Limit(float limit) {
  char text[32];
  return {text, std::to_chars(text, text + sizeof text, limit).ptr};
}

[[noreturn]] void Refuse(const std::string& path, const std::string& why) {
  throw Refusal{(path.empty() ? std::string("the file") : path) + ": " + why};
}

std::string Join(const std::string& path, std::string_view key) {
  return path.empty() ? Shown(key) : path + "." + Shown(key);
}

// One object of the file, its keys checked against those it may hold.
class Fields {
 public:
  Fields(const Json& value, std::string path, std::initializer_list<std::string_view> known)
      : value_(value), path_(std::move(path)) {
    if (!value.is_object()) Refuse(path_, "must be an object");
    for (const auto& item : value.items()) {
      bool isKnown = false;
      for (std::string_view key : known) isKnown = isKnown || item.key() == key;
      if (!isKnown) Refuse(Join(path_, item.key()), "unknown key");
    }
  }

  const std::string& Path() const { return path_; }
  std::string PathOf(std::string_view key) const { return Join(path_, key); }
  bool Has(std::string_view key) const { return value_.contains(key); }

  const Json& Need(std::string_view key) const {
    const auto found = value_.find(key);
    if (found == value_.end()) Refuse(PathOf(key), "missing");
    return *found;
  }

  std::string Text(std::string_view key) const {
    const Json& v = Need(key);
    if (!v.is_string()) Refuse(PathOf(key), "must be a text");
    return v.get<std::string>();
  }

  // A whole number within lo..hi.
  std::int64_t Whole(std::string_view key, std::int64_t lo, std::int64_t hi) const {
    const Json& v = Need(key);
    if (!v.is_number_integer()) Refuse(PathOf(key), "must be a whole number");
    const bool inside = v.is_number_unsigned() ? v.get<std::uint64_t>() <= static_cast<std::uint64_t>(hi) &&
                                                     v.get<std::uint64_t>() >= static_cast<std::uint64_t>(lo)
                                               : v.get<std::int64_t>() >= lo && v.get<std::int64_t>() <= hi;
    if (!inside) Refuse(PathOf(key), v.dump() + " is outside " + std::to_string(lo) + ".." + std::to_string(hi));
    return v.get<std::int64_t>();
  }

  // A number as a 32-bit float: finite, at most `hi`, and at least `lo` when given.
  float Float(std::string_view key, std::optional<float> lo, float hi) const {
    const Json& v = Need(key);
    if (!v.is_number()) Refuse(PathOf(key), "must be a number");
    const double d = v.get<double>();
    if (!(std::fabs(d) <= FLT_MAX)) Refuse(PathOf(key), v.dump() + " is not a 32-bit float");
    const auto f = static_cast<float>(d);
    const std::string limits = lo ? "outside " + Limit(*lo) + ".." + Limit(hi) : "above " + Limit(hi);
    if ((lo && f < *lo) || f > hi) Refuse(PathOf(key), v.dump() + " is " + limits);
    return f;
  }

 private:
  const Json& value_;
  std::string path_;
};

constexpr std::string_view kFrequencyName = "Hz";

ChannelConfig ParseChannel(const Fields& channels, std::string_view name) {
  const Fields fields(channels.Need(name), channels.PathOf(name),
                      {"parameter", "nominal", "zero_offset", "centre", "span"});
  ChannelConfig channel;
  channel.parameter = fields.Text("parameter");
  if (channel.parameter != "OFF" && GetParamCode(channel.parameter) == 0)
    Refuse(fields.PathOf("parameter"), "\"" + Shown(channel.parameter) + "\" is not a parameter name");
  constexpr float kLimitLow = 5.0f, kLimitHigh = 200.0f, kOffsetHigh = 90.0f;
  if (channel.parameter == kFrequencyName) {
    for (std::string_view key : {"nominal", "zero_offset"})
      if (fields.Has(key)) Refuse(fields.PathOf(key), "not used for \"Hz\" (give centre and span)");
    channel.nominal = fields.Float("centre", kLimitLow, kLimitHigh);
    channel.zeroOffset = fields.Float("span", std::nullopt, kOffsetHigh);
    if (channel.zeroOffset == 0.0f) Refuse(fields.PathOf("span"), "must not be 0");
    return channel;
  }
  for (std::string_view key : {"centre", "span"})
    if (fields.Has(key)) Refuse(fields.PathOf(key), "only for \"Hz\"");
  const bool optional = channel.parameter == "OFF";
  if (!optional || fields.Has("nominal")) channel.nominal = fields.Float("nominal", kLimitLow, kLimitHigh);
  if (!optional || fields.Has("zero_offset"))
    channel.zeroOffset = fields.Float("zero_offset", std::nullopt, kOffsetHigh);
  return channel;
}

LineConfig ParseLine(const Fields& top) {
  LineConfig line;
  if (!top.Has("line")) return line;
  const Fields fields(top.Need("line"), "line", {"port", "baud", "parity", "stop"});
  if (fields.Has("port")) {
    line.port = fields.Text("port");
    if (line.port->empty() || line.port->find('\0') != std::string::npos)
      Refuse(fields.PathOf("port"), "must be a port name");
  }
  if (fields.Has("baud")) {
    line.baud = static_cast<std::uint32_t>(fields.Whole("baud", 1, UINT32_MAX));
    if (!IsStandardBaudRate(*line.baud))
      Refuse(fields.PathOf("baud"), std::to_string(*line.baud) + " is not a standard rate");
  }
  if (fields.Has("parity")) {
    const std::string parity = fields.Text("parity");
    if (parity != "N" && parity != "O" && parity != "E")
      Refuse(fields.PathOf("parity"), "\"" + Shown(parity) + R"(" is not "N", "O" or "E")");
    line.parity = parity[0];
  }
  if (fields.Has("stop")) line.stopBits = static_cast<int>(fields.Whole("stop", 1, 2));
  return line;
}

SiteConfig ParseTop(const Json& json) {
  const Fields top(json, "", {"format", "version", "line", "node", "order", "channels"});
  if (top.Text("format") != kConfigFormatName) Refuse("format", "must be \"" + std::string(kConfigFormatName) + "\"");
  const Json& version = top.Need("version");
  if (!version.is_number_integer()) Refuse("version", "must be a whole number");
  if (version != kConfigFormatVersion)
    Refuse("version", version.dump() + " is not supported (version " + std::to_string(kConfigFormatVersion) + " is)");
  SiteConfig config;
  config.line = ParseLine(top);
  if (top.Has("node")) config.node = static_cast<unsigned>(top.Whole("node", 1, 255));
  if (top.Has("order")) config.order = static_cast<unsigned>(top.Whole("order", 0, 3));
  const Fields channels(top.Need("channels"), "channels", {"CH1", "CH2", "CH3"});
  for (std::size_t ch = 0; ch < config.channels.size(); ++ch)
    config.channels[ch] = ParseChannel(channels, "CH" + std::to_string(ch + 1));
  return config;
}

// nlohmann keeps the last of repeated keys; the parser's callback sees each key
// and names the first repeated one.
class DuplicateKeys {
 public:
  bool operator()(int /*depth*/, Json::parse_event_t event, const Json& parsed) {
    switch (event) {
      case Json::parse_event_t::object_start: open_.push_back({true, {}, {}}); break;
      case Json::parse_event_t::array_start: open_.push_back({false, {}, "[]"}); break;
      case Json::parse_event_t::object_end:
      case Json::parse_event_t::array_end:
        if (!open_.empty()) open_.pop_back();
        break;
      case Json::parse_event_t::key: Key(parsed.get<std::string>()); break;
      default: break;
    }
    return true;
  }
  const std::string& First() const { return first_; }

 private:
  struct Open {
    // cppcheck-suppress unusedStructMember ; read through open_.back()
    bool isObject;
    // cppcheck-suppress unusedStructMember ; read through open_.back()
    std::set<std::string> keys;
    std::string last;  // the key being read; "[]" in an array
  };

  void Key(const std::string& key) {
    if (open_.empty() || !open_.back().isObject) return;
    if (!open_.back().keys.insert(key).second && first_.empty()) {
      for (const Open& outer : open_) first_ = &outer == &open_.back() ? Join(first_, key) : Join(first_, outer.last);
      first_ += ": duplicate key";
    }
    open_.back().last = key;
  }

  std::vector<Open> open_;
  std::string first_;
};

// nlohmann counts the bytes read up to the offending one; lines and columns
// (in characters) are counted here.
std::string SyntaxError(std::string_view text, const nlohmann::json::parse_error& error) {
  const std::size_t at = std::min<std::size_t>(error.byte > 0 ? error.byte - 1 : 0, text.size());
  std::size_t line = 1, column = 1;
  for (std::size_t i = 0; i < at; ++i) {
    if (text[i] == '\n') {
      ++line;
      column = 1;
    } else if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
      ++column;
    }
  }
  std::string_view what = error.what();
  const std::size_t syntax = what.find("syntax error");
  what = syntax != std::string_view::npos ? what.substr(syntax) : "syntax error";
  return "line " + std::to_string(line) + ", column " + std::to_string(column) + ": " + Shown(what, kWhatMax);
}

}  // namespace

std::optional<SiteConfig> ParseSiteConfig(std::string_view text, std::string& error) {
  try {
    if (text.size() > kMaxConfigFileBytes) {
      error = "longer than " + std::to_string(kMaxConfigFileBytes) + " bytes";
      return std::nullopt;
    }
    DuplicateKeys duplicates;
    const Json json = Json::parse(text, std::ref(duplicates), true, false);
    if (!duplicates.First().empty()) {
      error = duplicates.First();
      return std::nullopt;
    }
    return ParseTop(json);
  } catch (const Refusal& refusal) {
    error = refusal.text;
  } catch (const nlohmann::json::parse_error& e) {
    error = SyntaxError(text, e);
  } catch (const std::bad_alloc&) {
    error = "out of memory";
  } catch (const std::exception& e) {  // a number beyond the double range, among others
    std::string_view what = e.what();
    if (what.rfind("[json.exception.", 0) == 0 && what.find("] ") != std::string_view::npos)
      what.remove_prefix(what.find("] ") + 2);
    error = Shown(what, kWhatMax);
  }
  return std::nullopt;
}

}  // namespace r742

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "serial/serial_port.h"

namespace r742 {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool SameKey(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (Upper(a[i]) != Upper(b[i])) return false;
  }
  return true;
}

// Decimal digits only, no sign, nothing after.
std::optional<std::uint32_t> ParseNumber(std::string_view text, std::uint32_t lowest, std::uint32_t highest) {
  if (text.empty()) return std::nullopt;
  std::uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
    if (value > highest) return std::nullopt;
  }
  if (value < lowest) return std::nullopt;
  return static_cast<std::uint32_t>(value);
}

// Applies one key=value; on refusal returns what this port accepts for it.
const char* Apply(std::string_view key, std::string_view value, LineSettings& settings) {
  if (SameKey(key, "baud")) {
    const auto baud = ParseNumber(value, 1, 4000000);
    if (!baud) return "a baud rate in bits per second";
    settings.baud = *baud;
  } else if (SameKey(key, "parity")) {
    const char parity = value.size() == 1 ? Upper(value[0]) : '?';
    if (parity != 'N' && parity != 'O' && parity != 'E') return "parity N, O or E";
    settings.parity = parity;
  } else if (SameKey(key, "data")) {
    const auto bits = ParseNumber(value, 5, 8);
    if (!bits) return "5 to 8 data bits";
    settings.dataBits = static_cast<int>(*bits);
  } else if (SameKey(key, "stop")) {
    const auto bits = ParseNumber(value, 1, 2);
    if (!bits) return "1 or 2 stop bits";
    settings.stopBits = static_cast<int>(*bits);
  } else {
    return "baud, parity, data and stop";
  }
  return nullptr;
}

}  // namespace

bool BuildCommDCB(std::string_view definition, LineSettings& settings, std::string* why) {
  const auto refuse = [why](std::string_view token, std::string_view accepted) {
    if (why) *why = std::string(token) + " refused: this port takes " + std::string(accepted);
    return false;
  };
  LineSettings parsed = settings;  // a refused text changes nothing
  bool first = true;
  bool anySetting = false;
  std::size_t pos = 0;
  while (pos < definition.size()) {
    if (IsBlank(definition[pos])) {
      ++pos;
      continue;
    }
    std::size_t end = pos;
    while (end < definition.size() && !IsBlank(definition[end])) ++end;
    const std::string_view token = definition.substr(pos, end - pos);
    pos = end;

    const bool portName = first && token.back() == ':' && token.find('=') == std::string_view::npos;
    first = false;
    if (portName) continue;

    const std::size_t equals = token.find('=');
    if (equals == std::string_view::npos) return refuse(token, "key=value settings");
    if (const char* accepted = Apply(token.substr(0, equals), token.substr(equals + 1), parsed))
      return refuse(token, accepted);
    anySetting = true;
  }
  if (!anySetting) return refuse(definition, "baud, parity, data and stop");
  settings = parsed;
  return true;
}

bool ISerialPort::BuildCommDCB(std::string_view definition, LineSettings& settings, std::string& why) {
  return r742::BuildCommDCB(definition, settings, &why);
}

}  // namespace r742

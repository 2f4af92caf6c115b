#include "serial/tcp_address.h"

#include <algorithm>

namespace r742 {
namespace {

constexpr std::string_view kScheme = "tcp://";

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsHexDigit(char c) { return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// Decimal digits only, no sign, at most `highest`.
std::optional<unsigned> Number(std::string_view text, unsigned highest) {
  if (text.empty() || text.size() > 5) return std::nullopt;
  unsigned value = 0;
  for (char c : text) {
    if (!IsDigit(c)) return std::nullopt;
    value = value * 10 + static_cast<unsigned>(c - '0');
  }
  if (value > highest) return std::nullopt;
  return value;
}

void Refuse(std::string* why, std::string text) {
  if (why != nullptr) *why = std::move(text);
}

bool IsIpv4(std::string_view host) {
  int parts = 0;
  while (true) {
    const std::size_t dot = host.find('.');
    const std::string_view part = host.substr(0, dot);
    if (part.size() > 3 || !Number(part, 255)) return false;
    ++parts;
    if (dot == std::string_view::npos) break;
    host.remove_prefix(dot + 1);
  }
  return parts == 4;
}

// Hex groups and colons, at most one "::", with an IPv4 tail allowed; the
// system's parser has the last word when connecting.
bool LooksLikeIpv6(std::string_view host) {
  if (host.size() < 2 || host.size() > 45) return false;
  const auto colons = std::count(host.begin(), host.end(), ':');
  if (colons < 2 || colons > 7) return false;
  const std::size_t lastColon = host.rfind(':');
  const std::string_view tail = host.substr(lastColon + 1);
  if (tail.find('.') != std::string_view::npos && !IsIpv4(tail)) return false;
  const std::string_view groups = tail.find('.') != std::string_view::npos ? host.substr(0, lastColon + 1) : host;
  if (host.find("::") != host.rfind("::") || host.find(":::") != std::string_view::npos) return false;
  int run = 0;
  for (char c : groups) {
    if (c == ':') {
      run = 0;
    } else if (!IsHexDigit(c) || ++run > 4) {
      return false;
    }
  }
  return true;
}

// Labels of letters, digits and hyphens, 1..63 long, not starting or ending
// with a hyphen; all-numeric dotted names are refused as a mistyped IPv4.
bool IsHostName(std::string_view host) {
  if (host.empty() || host.size() > 253) return false;
  if (std::all_of(host.begin(), host.end(), [](char c) { return IsDigit(c) || c == '.'; })) return false;
  while (true) {
    const std::size_t dot = host.find('.');
    const std::string_view label = host.substr(0, dot);
    if (label.empty() || label.size() > 63 || label.front() == '-' || label.back() == '-') return false;
    if (!std::all_of(label.begin(), label.end(), [](char c) { return IsLetter(c) || IsDigit(c) || c == '-'; }))
      return false;
    if (dot == std::string_view::npos) return true;
    host.remove_prefix(dot + 1);
  }
}

bool StartsWithScheme(std::string_view text) {
  if (text.size() < kScheme.size()) return false;
  for (std::size_t i = 0; i < kScheme.size(); ++i) {
    const char c = text[i];
    if ((c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c) != kScheme[i]) return false;
  }
  return true;
}

}  // namespace

bool IsTcpAddressText(std::string_view text) { return StartsWithScheme(text); }

std::optional<TcpAddress> ParseTcpAddress(std::string_view text, std::string* why) {
  const std::string quoted = "\"" + std::string(text.substr(0, 300)) + "\"";
  if (!StartsWithScheme(text)) {
    Refuse(why, quoted + " does not start with tcp://");
    return std::nullopt;
  }
  std::string_view rest = text.substr(kScheme.size());
  std::string_view host;
  bool bracketed = false;
  if (!rest.empty() && rest.front() == '[') {
    const std::size_t close = rest.find(']');
    if (close == std::string_view::npos) {
      Refuse(why, quoted + ": the IPv6 address has no closing ]");
      return std::nullopt;
    }
    host = rest.substr(1, close - 1);
    rest.remove_prefix(close + 1);
    bracketed = true;
  } else {
    const std::size_t colon = rest.rfind(':');
    host = rest.substr(0, colon == std::string_view::npos ? rest.size() : colon);
    rest.remove_prefix(host.size());
  }
  if (rest.empty() || rest.front() != ':') {
    Refuse(why, quoted + ": the port is missing (tcp://HOST:PORT)");
    return std::nullopt;
  }
  rest.remove_prefix(1);
  const std::optional<unsigned> port = Number(rest, 65535);
  if (!port || *port == 0) {
    Refuse(why, quoted + ": the port must be a number 1..65535");
    return std::nullopt;
  }
  if (bracketed ? !LooksLikeIpv6(host) : !(IsIpv4(host) || IsHostName(host))) {
    Refuse(why, quoted + (bracketed ? ": not an IPv6 address in brackets"
                                    : ": the host is not an IPv4 address, an IPv6 address in brackets or a host name"));
    return std::nullopt;
  }
  return TcpAddress{std::string(host), static_cast<std::uint16_t>(*port)};
}

std::string TcpAddressText(const TcpAddress& address) {
  const bool ipv6 = address.host.find(':') != std::string::npos;
  return std::string(kScheme) + (ipv6 ? "[" + address.host + "]" : address.host) + ":" + std::to_string(address.port);
}

}  // namespace r742

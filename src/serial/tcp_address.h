// A device server's address written where a device goes: "tcp://HOST:PORT",
// HOST being an IPv4 address, an IPv6 address in brackets or a host name.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace r742 {

struct TcpAddress {
  std::string host;  // without the brackets of an IPv6 address
  std::uint16_t port = 0;
};

// Whether `text` is meant as a TCP address (it starts with "tcp://"), so that
// a refusal of it is told as such rather than as a missing device.
bool IsTcpAddressText(std::string_view text);

// The address in `text`; nullopt when it is not "tcp://HOST:PORT" with a port
// of 1..65535, and then `why` (when given) says what is wrong.
std::optional<TcpAddress> ParseTcpAddress(std::string_view text, std::string* why = nullptr);

// "tcp://HOST:PORT" again, IPv6 in brackets.
std::string TcpAddressText(const TcpAddress& address);

}  // namespace r742

// Device-server addresses written where a device goes.
#include <gtest/gtest.h>

#include <string>

#include "serial/tcp_address.h"

namespace r742 {
namespace {

TEST(TcpAddress, TakesIpv4Ipv6AndHostNamesWithAPortAndRefusesTheRestWithAReason) {
  const struct {
    const char* text;
    const char* host;
    unsigned port;
  } accepted[] = {
      {"tcp://10.0.0.5:4001", "10.0.0.5", 4001},
      {"TCP://127.0.0.1:1", "127.0.0.1", 1},
      {"tcp://[::1]:65535", "::1", 65535},
      {"tcp://[fe80::1:2]:502", "fe80::1:2", 502},
      {"tcp://[::ffff:192.168.0.1]:23", "::ffff:192.168.0.1", 23},
      {"tcp://ds-3.site.local:950", "ds-3.site.local", 950},
      {"tcp://localhost:04001", "localhost", 4001},
  };
  for (const auto& [text, host, port] : accepted) {
    const std::optional<TcpAddress> address = ParseTcpAddress(text);
    ASSERT_TRUE(address) << text;
    EXPECT_EQ(address->host, host) << text;
    EXPECT_EQ(address->port, port) << text;
    EXPECT_TRUE(IsTcpAddressText(text));
  }
  EXPECT_EQ(TcpAddressText(*ParseTcpAddress("tcp://[::1]:7")), "tcp://[::1]:7");

  for (const char* text :
       {"/dev/ttyUSB0",         "udp://10.0.0.5:4001", "tcp://10.0.0.5",     "tcp://10.0.0.5:", "tcp://10.0.0.5:0",
        "tcp://10.0.0.5:65536", "tcp://10.0.0.5:+80",  "tcp://10.0.0.5:80/", "tcp://:80",       "tcp://256.1.1.1:80",
        "tcp://10.0.0:80",      "tcp://::1:80",        "tcp://[::1:80",      "tcp://[1:2]:80",  "tcp://[12345::1]:80",
        "tcp://[1::2::3]:80",   "tcp://[::1]",         "tcp://-host:80",     "tcp://host-:80",  "tcp://a..b:80",
        "tcp://ho_st:80",       "tcp://host name:80",  "tcp://user@host:80"}) {
    std::string why;
    EXPECT_FALSE(ParseTcpAddress(text, &why)) << text;
    EXPECT_NE(why.find('"'), std::string::npos) << text << ": " << why;
  }
}

}  // namespace
}  // namespace r742

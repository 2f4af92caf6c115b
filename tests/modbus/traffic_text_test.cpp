#include "modbus/traffic_text.h"

#include <gtest/gtest.h>

#include <vector>

namespace r742 {
namespace {

std::string LineOf(std::size_t bytes, int direction = 1) {
  const std::vector<std::uint8_t> frame(bytes, 0xAB);
  return FormatTrafficLine(frame.data(), frame.size(), direction);
}

TEST(TrafficText, FormatsEachByteAsHexAndBlank) {
  const std::uint8_t request[] = {0x01, 0x03, 0x00, 0x18, 0x00, 0x12, 0x45, 0xC0};
  EXPECT_EQ(FormatTrafficLine(request, 8, 0), "Modbus >> 01 03 00 18 00 12 45 C0 ");
  EXPECT_EQ(FormatTrafficLine(request, 2, 7), "Modbus << 01 03 ");
  EXPECT_EQ(FormatTrafficLine(nullptr, 0, 0), "Modbus >> ");
  EXPECT_EQ(LineOf(40).size(), 130u);
}

TEST(TrafficText, LineStopsAt999Characters) {
  EXPECT_EQ(LineOf(329).size(), 997u);
  const std::string cut = LineOf(330);
  EXPECT_EQ(cut.size(), 999u);
  EXPECT_EQ(cut.substr(993), " AB AB");
  EXPECT_EQ(LineOf(100000).size(), 999u);
}

// The 45-byte write shortened to 109 characters is pinned by the Send test.
TEST(TrafficText, LimitKeepsHeadAndCrc) {
  std::string cut = LineOf(330);  // 999 characters, ending in the last byte shown without its blank
  LimitTrafficLine(cut);
  EXPECT_EQ(cut.substr(98), "......AB AB");

  for (std::size_t length : {109u, 110u}) {
    std::string l(length, 'x');
    LimitTrafficLine(l);
    EXPECT_EQ(l.size(), 109u) << length;
  }
}

}  // namespace
}  // namespace r742

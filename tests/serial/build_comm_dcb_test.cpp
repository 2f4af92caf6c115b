#include <gtest/gtest.h>

#include <tuple>

#include "serial/serial_port.h"

namespace r742 {
namespace {

TEST(BuildCommDCB, AppliesNamedSettingsOnly) {
  struct Case {
    const char* text;
    LineSettings want;
  } cases[] = {
      {"COM9: baud=115200 parity=N data=8 stop=2", {.baud = 115200, .parity = 'N', .dataBits = 8, .stopBits = 2}},
      {"COM2: BAUD=9600 Parity=o DATA=7 Stop=1", {.baud = 9600, .parity = 'O', .dataBits = 7, .stopBits = 1}},
      {" baud=4000000\tdata=5 ", {.baud = 4000000, .parity = 'E', .dataBits = 5, .stopBits = 2}},
  };
  for (const Case& c : cases) {
    LineSettings s{.baud = 300, .parity = 'E', .dataBits = 6, .stopBits = 2, .rtsToggle = true};
    ASSERT_TRUE(BuildCommDCB(c.text, s)) << c.text;
    EXPECT_EQ(std::tie(s.baud, s.parity, s.dataBits, s.stopBits),
              std::tie(c.want.baud, c.want.parity, c.want.dataBits, c.want.stopBits))
        << c.text;
    EXPECT_TRUE(s.rtsToggle);
  }
}

TEST(BuildCommDCB, RefusedTextChangesNothing) {
  for (const char* text : {"COM1: parity=X", "COM1: parity=M", "COM1: parity=S", "COM1: parity=NONE",
                           "COM1: data=4", "COM1: data=9", "COM1: stop=1.5", "COM1: stop=3",
                           "COM1: baud=abc", "COM1: baud=", "COM1: baud=0", "COM1: baud=4000001",
                           "COM1: baud=99999999999999999999", "COM1: baud=+9600", "COM1: speed=9600",
                           "COM1: baud=9600 xon=on", "COM1 baud=9600", "=9600", "", "COM1:"}) {
    LineSettings s{.baud = 38400, .parity = 'N', .dataBits = 8, .stopBits = 2};
    EXPECT_FALSE(BuildCommDCB(text, s)) << text;
    EXPECT_EQ(std::tie(s.baud, s.parity, s.dataBits, s.stopBits), std::make_tuple(38400u, 'N', 8, 2)) << text;
  }
}

}  // namespace
}  // namespace r742

#include <gtest/gtest.h>

#include <tuple>

#include "serial/standard_baud_rates.h"
#include "serial/termios_settings.h"

namespace r742 {
namespace {

TEST(SerialTermios, EveryValidSettingRoundTripsAndOthersAreRefused) {
  for (std::uint32_t baud : kStandardBaudRates) {
    for (char parity : {'N', 'O', 'E'}) {
      for (int data = 5; data <= 8; ++data) {
        for (int stop = 1; stop <= 2; ++stop) {
          termios t{};
          t.c_cflag = CS7 | PARENB | CRTSCTS;
          ASSERT_TRUE(ApplyLineSettings({.baud = baud, .parity = parity, .dataBits = data, .stopBits = stop}, t));
          const LineSettings got = LineSettingsFrom(t);
          ASSERT_EQ(std::tie(got.baud, got.parity, got.dataBits, got.stopBits), std::tie(baud, parity, data, stop));
          ASSERT_EQ(t.c_cflag & CRTSCTS, 0u);
        }
      }
    }
  }
  for (const LineSettings& bad : {LineSettings{.baud = 1234}, LineSettings{.baud = 9600, .parity = 'M'},
                                  LineSettings{.baud = 9600, .dataBits = 9}, LineSettings{.baud = 9600, .stopBits = 3}}) {
    termios t{};
    EXPECT_FALSE(ApplyLineSettings(bad, t)) << bad.baud;
  }
}

}  // namespace
}  // namespace r742

// Line settings from the device-control text and into termios, and port names to devices.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <tuple>

#include "serial/posix/posix_serial_port.h"
#include "serial/standard_baud_rates.h"
#include "serial/posix/termios_settings.h"

namespace r742 {
namespace {

TEST(BuildCommDCB, AppliesNamedSettingsOnly) {
  const struct {
    const char* text;
    LineSettings want;
  } cases[] = {
      {"COM9: baud=115200 parity=N data=8 stop=2", {.baud = 115200, .parity = 'N', .dataBits = 8, .stopBits = 2}},
      {"COM2: BAUD=9600 Parity=o DATA=7 Stop=1", {.baud = 9600, .parity = 'O', .dataBits = 7, .stopBits = 1}},
      {" baud=4000000\tdata=5 ", {.baud = 4000000, .parity = 'E', .dataBits = 5, .stopBits = 2}},
  };
  for (const auto& c : cases) {
    LineSettings s{.baud = 300, .parity = 'E', .dataBits = 6, .stopBits = 2, .rtsToggle = true};
    ASSERT_TRUE(BuildCommDCB(c.text, s)) << c.text;
    EXPECT_EQ(std::tie(s.baud, s.parity, s.dataBits, s.stopBits),
              std::tie(c.want.baud, c.want.parity, c.want.dataBits, c.want.stopBits))
        << c.text;
    EXPECT_TRUE(s.rtsToggle) << "fields the text does not name stay";
  }
}

TEST(BuildCommDCB, RefusedTextChangesNothing) {
  for (const char* text : {"COM1: parity=X",
                           "COM1: parity=M",
                           "COM1: parity=S",
                           "COM1: parity=NONE",
                           "COM1: data=4",
                           "COM1: data=9",
                           "COM1: stop=1.5",
                           "COM1: stop=3",
                           "COM1: baud=abc",
                           "COM1: baud=",
                           "COM1: baud=0",
                           "COM1: baud=4000001",
                           "COM1: baud=99999999999999999999",
                           "COM1: baud=+9600",
                           "COM1: speed=9600",
                           "COM1: baud=9600 xon=on",
                           "COM1 baud=9600",
                           "=9600",
                           "",
                           "COM1:"}) {
    LineSettings s{.baud = 38400, .parity = 'N', .dataBits = 8, .stopBits = 2};
    EXPECT_FALSE(BuildCommDCB(text, s)) << text;
    EXPECT_EQ(std::tie(s.baud, s.parity, s.dataBits, s.stopBits), std::make_tuple(38400u, 'N', 8, 2)) << text;
  }
}

TEST(SerialTermios, EveryValidSettingRoundTripsAndOthersAreRefused) {
  for (std::uint32_t baud : kStandardBaudRates)
    for (char parity : {'N', 'O', 'E'})
      for (int data = 5; data <= 8; ++data)
        for (int stop = 1; stop <= 2; ++stop) {
          termios t{};
          t.c_cflag = CS7 | PARENB | CRTSCTS;
          ASSERT_TRUE(ApplyLineSettings({.baud = baud, .parity = parity, .dataBits = data, .stopBits = stop}, t));
          const LineSettings got = LineSettingsFrom(t);
          ASSERT_EQ(std::tie(got.baud, got.parity, got.dataBits, got.stopBits), std::tie(baud, parity, data, stop));
          ASSERT_EQ(t.c_cflag & CRTSCTS, 0u);
        }
  for (const LineSettings& bad :
       {LineSettings{.baud = 1234}, LineSettings{.baud = 9600, .parity = 'M'},
        LineSettings{.baud = 9600, .dataBits = 9}, LineSettings{.baud = 9600, .stopBits = 3}}) {
    termios t{};
    EXPECT_FALSE(ApplyLineSettings(bad, t)) << bad.baud;
  }
}

TEST(PortProvider, NamesMapToDevicesAndOnlyTerminalsOpen) {
  unsetenv("R742_COM9");
  EXPECT_EQ(PosixDevicePath("COM1"), "/dev/ttyS0");
  EXPECT_EQ(PosixDevicePath("COM9"), "/dev/ttyS8");
  setenv("R742_COM9", "/dev/ttyUSB0", 1);
  EXPECT_EQ(PosixDevicePath("COM9"), "/dev/ttyUSB0");
  setenv("R742_COM9", "", 1);
  EXPECT_EQ(PosixDevicePath("COM9"), "/dev/ttyS8");
  unsetenv("R742_COM9");
  for (const char* name : {"", "COM0", "COM10", "com1", "COM1:", "LPT1"})
    EXPECT_EQ(CurrentPortProvider().Open(name), nullptr) << name;

  char file[] = "/tmp/r742-not-a-tty-XXXXXX";
  const int fd = mkstemp(file);
  ASSERT_GE(fd, 0);
  close(fd);
  for (const char* path : {"/dev/null", static_cast<const char*>(file), "/nonexistent/ttyUSB9"}) {
    setenv("R742_COM6", path, 1);
    EXPECT_EQ(CurrentPortProvider().Open("COM6"), nullptr) << path;
  }
  unsetenv("R742_COM6");
  std::remove(file);
}

}  // namespace
}  // namespace r742

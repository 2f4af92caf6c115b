#include <gtest/gtest.h>

#include <stdlib.h>

#include "serial/posix_serial_port.h"

namespace r742 {
namespace {

TEST(PortProvider, NamesMapToDevices) {
  unsetenv("R742_COM9");
  EXPECT_EQ(PosixDevicePath("COM1"), "/dev/ttyS0");
  EXPECT_EQ(PosixDevicePath("COM9"), "/dev/ttyS8");
  setenv("R742_COM9", "/dev/ttyUSB0", 1);
  EXPECT_EQ(PosixDevicePath("COM9"), "/dev/ttyUSB0");
  setenv("R742_COM9", "", 1);
  EXPECT_EQ(PosixDevicePath("COM9"), "/dev/ttyS8");
  unsetenv("R742_COM9");
  for (const char* name : {"", "COM0", "COM10", "com1", "COM1:", "LPT1"}) {
    EXPECT_EQ(CurrentPortProvider().Open(name), nullptr) << name;
  }
}

}  // namespace
}  // namespace r742

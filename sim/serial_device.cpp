#include "serial_device.h"

#include "serial/posix/termios_settings.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace r742 {

namespace {

LineSettings AsLineSettings(const DeviceSettings& settings) {
  return {.baud = settings.baud, .parity = settings.parity, .dataBits = 8, .stopBits = settings.stopBits};
}

}  // namespace

bool IsSupportedBaud(std::uint32_t baud) {
  termios unused{};
  return ApplyLineSettings({.baud = baud}, unused);
}

int OpenSerialDevice(const std::string& path, const DeviceSettings& settings, std::string& error) {
  termios tio{};
  if (!ApplyLineSettings(AsLineSettings(settings), tio)) {
    error = "unsupported line settings";
    return -1;
  }
  const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0 || tcgetattr(fd, &tio) != 0 || !ApplyLineSettings(AsLineSettings(settings), tio) ||
      tcsetattr(fd, TCSANOW, &tio) != 0) {
    error = path + ": " + std::generic_category().message(errno);
    if (fd >= 0) close(fd);
    return -1;
  }
  tcflush(fd, TCIOFLUSH);
  return fd;
}

int InterFrameGapMs(const DeviceSettings& settings) {
  if (settings.baud == 0) return 2;
  const unsigned bits = BitsPerChar(AsLineSettings(settings));
  const std::uint64_t micros =
      settings.baud > 19200 ? 1750 : (35ull * bits * 1000000ull + 10ull * settings.baud - 1) / (10ull * settings.baud);
  return static_cast<int>((micros + 999) / 1000);
}

}  // namespace r742

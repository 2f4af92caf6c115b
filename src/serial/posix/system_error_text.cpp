#include <cerrno>
#include <cstring>
#include <string>

#include "serial/serial_port.h"

namespace r742 {

std::string SystemErrorText(std::uint32_t code) {
  char text[256] = {};
  // The GNU strerror_r returns its text, which need not be in the buffer.
  const char* said = strerror_r(static_cast<int>(code), text, sizeof text);
  return said != nullptr ? said : text;
}

// A pulled-out adapter fails its transfers with EIO, ENXIO or ENODEV, and a
// pseudo-terminal whose other side closed with EIO (the read's hang-up).
bool IsDeviceGoneError(std::uint32_t code) {
  const int error = static_cast<int>(code);
  return error == EIO || error == ENXIO || error == ENODEV;
}

}  // namespace r742

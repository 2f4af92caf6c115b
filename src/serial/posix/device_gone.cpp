#include <cerrno>

#include "serial/serial_port.h"

namespace r742 {

// A pulled-out adapter fails its transfers with EIO, ENXIO or ENODEV, and a
// pseudo-terminal whose other side closed with EIO (the read's hang-up).
bool IsDeviceGoneError(std::uint32_t code) {
  const int error = static_cast<int>(code);
  return error == EIO || error == ENXIO || error == ENODEV;
}

}  // namespace r742

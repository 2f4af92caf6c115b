#include <cerrno>

#include "os/system_error.h"
#include "serial/posix/posix_serial_port.h"

namespace r742 {

std::unique_ptr<ISerialPort> OpenDevicePath(const std::string& path, std::string& why) {
  int error = 0;
  std::unique_ptr<ISerialPort> port = PosixSerialPort::Open(path, error);
  if (!port) why = error == EBUSY ? "held by another program" : SystemErrorText(static_cast<std::uint32_t>(error));
  return port;
}

}  // namespace r742

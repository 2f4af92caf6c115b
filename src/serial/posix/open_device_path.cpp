#include <cerrno>

#include "os/system_error.h"
#include "serial/posix/posix_serial_port.h"
#include "serial/tcp_address.h"
#include "serial/tcp_port.h"

namespace r742 {

// "tcp://HOST:PORT" is a device server's address; anything else a terminal's path.
std::unique_ptr<ISerialPort> OpenDevicePath(const std::string& path, std::string& why) {
  if (IsTcpAddressText(path)) return OpenDeviceServer(path, why);
  int error = 0;
  std::unique_ptr<ISerialPort> port = PosixSerialPort::Open(path, error);
  if (!port) why = error == EBUSY ? "held by another program" : SystemErrorText(static_cast<std::uint32_t>(error));
  return port;
}

}  // namespace r742

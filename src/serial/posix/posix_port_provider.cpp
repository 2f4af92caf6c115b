#include <cstdlib>
#include <string>
#include <string_view>

#include "serial/posix/posix_serial_port.h"
#include "serial/serial_port.h"

namespace r742 {
namespace {

class PosixPortProvider final : public IPortProvider {
 public:
  std::unique_ptr<ISerialPort> Open(std::string_view name) override {
    const std::string path = PosixDevicePath(name);
    if (path.empty()) return nullptr;
    return PosixSerialPort::Open(path);
  }
};

}  // namespace

std::string PosixDevicePath(std::string_view portName) {
  if (portName.size() != 4 || portName.substr(0, 3) != "COM") return {};
  const char digit = portName[3];
  if (digit < '1' || digit > '9') return {};
  const std::string variable = std::string("R742_COM") + digit;
  const char* configured = std::getenv(variable.c_str());
  if (configured != nullptr && configured[0] != '\0') return configured;
  return std::string("/dev/ttyS") + static_cast<char>(digit - 1);
}

IPortProvider& MachinePortProvider() {
  static PosixPortProvider machine;
  return machine;
}

}  // namespace r742

#include "serial/serial_port.h"
#include "serial/win32/win32_serial_port.h"

namespace r742 {
namespace {

class Win32PortProvider final : public IPortProvider {
 public:
  std::unique_ptr<ISerialPort> Open(std::string_view name) override { return Win32SerialPort::Open(name); }
};

}  // namespace

IPortProvider& MachinePortProvider() {
  static Win32PortProvider machine;
  return machine;
}

}  // namespace r742

#include <array>
#include <optional>

#include "serial/serial_port.h"
#include "serial/win32/win32_serial_port.h"

namespace r742 {
namespace {

class Win32PortProvider final : public IPortProvider {
 public:
  std::unique_ptr<ISerialPort> Open(std::string_view name) override {
    const std::optional<int> index = PortIndex(name);
    std::uint32_t unused = 0;
    return Win32SerialPort::Open(name, index ? lastError_[*index] : unused);
  }
  std::string OpenFailure(std::string_view name) override {
    const std::optional<int> index = PortIndex(name);
    return index ? SystemErrorText(lastError_[*index]) : "only COM1 to COM9 are offered";
  }

 private:
  std::array<std::uint32_t, kPortCount> lastError_{};
};

}  // namespace

IPortProvider& MachinePortProvider() {
  static Win32PortProvider machine;
  return machine;
}

}  // namespace r742

// The machine's serial devices, found in the kernel's tty class folder and in
// the by-id links the device manager makes for adapters, in the order the
// port names are given to them: USB and ACM adapters by their by-id names
// (stable for one adapter across re-plugging), then UARTs with hardware
// behind them, then the other serial devices.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace r742 {

struct SerialDevice {
  std::string path;   // the device node, such as /dev/ttyUSB0
  std::string label;  // what the adapter calls itself, else its driver; may be empty
};

class ISerialDeviceDiscovery {
 public:
  virtual ~ISerialDeviceDiscovery() = default;
  virtual std::vector<SerialDevice> Devices() = 0;
};

// The port type a UART's driver reports for a device node (0: no hardware);
// nullopt when the driver cannot be asked.
std::optional<int> PortTypeFromDriver(const std::string& devicePath);

// Reads <root>/sys/class/tty and <root>/dev/serial/by-id; the devices it
// returns are <root>/dev/<name>. A ttyS UART without a sysfs `type` file is
// asked through `askPortType`.
class SysfsSerialDiscovery final : public ISerialDeviceDiscovery {
 public:
  using PortTypeQuery = std::function<std::optional<int>(const std::string& devicePath)>;
  explicit SysfsSerialDiscovery(std::string root = {}, PortTypeQuery askPortType = PortTypeFromDriver);
  std::vector<SerialDevice> Devices() override;

 private:
  std::string root_;
  PortTypeQuery askPortType_;
};

// The adapter's name in a by-id link name, such as "FTDI FT232R USB UART
// A50285BI" from "usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0".
std::string LabelFromById(const std::string& byIdName);

}  // namespace r742

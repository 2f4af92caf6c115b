#include <array>
#include <optional>

#include "os/win32/utf16_text.h"
#include "os/win32/windows_api.h"
#include "serial/serial_port.h"
#include "serial/tcp_address.h"
#include "serial/win32/win32_serial_port.h"
// after the platform header
#include <setupapi.h>

namespace r742 {
namespace {

// The device manager's class "Ports (COM & LPT)".
constexpr GUID kPortsClass = {0x4D36E978, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};

// The name the port's driver goes by ("COM3"), from the device's own registry key.
std::string PortNameOf(HDEVINFO devices, SP_DEVINFO_DATA& device) {
  HKEY key = SetupDiOpenDevRegKey(devices, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_QUERY_VALUE);
  if (key == INVALID_HANDLE_VALUE) return {};
  std::array<wchar_t, 32> name{};
  DWORD type = 0, bytes = sizeof(name) - sizeof(wchar_t);  // room for the terminator the value may lack
  const LONG status = RegQueryValueExW(key, L"PortName", nullptr, &type, reinterpret_cast<BYTE*>(name.data()), &bytes);
  RegCloseKey(key);
  return status == ERROR_SUCCESS && type == REG_SZ ? Narrow(name.data()) : std::string();
}

std::string FriendlyNameOf(HDEVINFO devices, SP_DEVINFO_DATA& device) {
  std::array<wchar_t, 256> name{};
  DWORD type = 0;
  if (!SetupDiGetDeviceRegistryPropertyW(devices, &device, SPDRP_FRIENDLYNAME, &type,
                                         reinterpret_cast<BYTE*>(name.data()), sizeof(name) - sizeof(wchar_t),
                                         nullptr) ||
      type != REG_SZ)
    return {};
  return Narrow(name.data());
}

// What the device manager calls the present ports COM1..COM9 ("USB Serial
// Port (COM3)"); empty where it has no name for one.
std::array<std::string, kPortCount> FriendlyNames() {
  std::array<std::string, kPortCount> names;
  HDEVINFO devices = SetupDiGetClassDevsW(&kPortsClass, nullptr, nullptr, DIGCF_PRESENT);
  if (devices == INVALID_HANDLE_VALUE) return names;
  SP_DEVINFO_DATA device{};
  device.cbSize = sizeof(device);
  for (DWORD i = 0; SetupDiEnumDeviceInfo(devices, i, &device); ++i)
    if (const std::optional<int> index = PortIndex(PortNameOf(devices, device))) {
      names[static_cast<std::size_t>(*index)] = FriendlyNameOf(devices, device);
    }
  SetupDiDestroyDeviceInfoList(devices);
  return names;
}

class Win32PortProvider final : public IPortProvider {
 public:
  std::unique_ptr<ISerialPort> Open(std::string_view name) override {
    const std::optional<int> index = PortIndex(name);
    std::uint32_t unused = 0;
    if (const std::string pinned = PinnedDevice(name); !pinned.empty()) {
      std::unique_ptr<ISerialPort> port = OpenDevicePath(pinned, lastWhy_[*index]);
      lastError_[*index] = port ? 0 : ERROR_FILE_NOT_FOUND;
      return port;
    }
    if (index) lastWhy_[*index].clear();
    return Win32SerialPort::Open(name, index ? lastError_[*index] : unused);
  }
  bool IsOffered(std::string_view name) override {
    return IsTcpAddressText(PinnedDevice(name)) || Open(name) != nullptr;
  }
  std::string OpenFailure(std::string_view name) override {
    const std::optional<int> index = PortIndex(name);
    if (!index) return "only COM1 to COM9 are offered";
    return lastWhy_[*index].empty() ? SystemErrorText(lastError_[*index]) : lastWhy_[*index];
  }

  std::string Describe(std::string_view name) override {
    const std::optional<int> index = PortIndex(name);
    if (!index) return std::string(name);
    if (std::string pinned = PinnedDevice(name); !pinned.empty()) return pinned;
    std::string friendly = FriendlyNames()[static_cast<std::size_t>(*index)];
    return friendly.empty() ? std::string(name) : friendly;
  }

  bool DescribesPorts() override {
    for (int i = 1; i <= kPortCount; ++i)
      if (!PinnedDevice("COM" + std::to_string(i)).empty()) return true;
    for (const std::string& name : FriendlyNames())
      if (!name.empty()) return true;
    return false;
  }

  std::string Label(std::string_view name) override {
    const std::string pinned = PinnedDevice(name);
    return pinned.empty() ? std::string(name) : std::string(name) + " (" + pinned + ")";
  }

 private:
  std::array<std::uint32_t, kPortCount> lastError_{};
  std::array<std::string, kPortCount> lastWhy_{};
};

}  // namespace

IPortProvider& MachinePortProvider() {
  static Win32PortProvider machine;
  return machine;
}

}  // namespace r742

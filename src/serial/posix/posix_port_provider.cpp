#include "serial/posix/posix_port_provider.h"

#include <grp.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <optional>
#include <utility>

#include "serial/posix/posix_serial_port.h"
#include "serial/tcp_address.h"

namespace r742 {
namespace {

// Two names of one device (a by-id link and its node) compare equal.
std::string SameDeviceKey(const std::string& path) {
  std::error_code ec;
  const std::filesystem::path canonical = std::filesystem::weakly_canonical(path, ec);
  return ec ? path : canonical.string();
}

std::array<std::string, kPortCount> PinnedDevices() {
  std::array<std::string, kPortCount> pinned;
  for (int i = 0; i < kPortCount; ++i) pinned[i] = PinnedDevice("COM" + std::to_string(i + 1));
  return pinned;
}

// The group that may open the device; the usual one where it belongs to root.
std::string DeviceGroup(const std::string& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0 || info.st_gid == 0) return "dialout";
  group entry{};
  group* found = nullptr;
  std::array<char, 1024> buffer{};
  if (getgrgid_r(info.st_gid, &entry, buffer.data(), buffer.size(), &found) != 0 || found == nullptr) return "dialout";
  return found->gr_name;
}

// A device server's address opens as a TCP connection, anything else as a terminal.
std::unique_ptr<ISerialPort> OpenMachineDevice(const std::string& path, int& error, std::string& why) {
  if (!IsTcpAddressText(path)) return PosixSerialPort::Open(path, error);
  std::unique_ptr<ISerialPort> port = OpenDevicePath(path, why);
  error = port ? 0 : EIO;
  return port;
}

}  // namespace

std::array<SerialDevice, kPortCount> AssignPortNames(const std::array<std::string, kPortCount>& pinned,
                                                     const std::vector<SerialDevice>& found) {
  std::array<SerialDevice, kPortCount> names;
  std::array<std::string, kPortCount> pinnedKeys;
  for (int i = 0; i < kPortCount; ++i) {
    if (pinned[i].empty()) continue;
    names[i].path = pinned[i];
    pinnedKeys[i] = SameDeviceKey(pinned[i]);
  }
  auto next = found.begin();
  for (SerialDevice& name : names) {
    if (!name.path.empty()) continue;
    while (next != found.end() &&
           std::find(pinnedKeys.begin(), pinnedKeys.end(), SameDeviceKey(next->path)) != pinnedKeys.end()) {
      ++next;
    }
    if (next == found.end()) break;
    name = *next++;
  }
  // A pinned device that was also found keeps the adapter's name.
  for (const SerialDevice& device : found) {
    const std::string key = SameDeviceKey(device.path);
    for (int i = 0; i < kPortCount; ++i)
      if (!pinned[i].empty() && pinnedKeys[i] == key) names[i].label = device.label;
  }
  return names;
}

std::string PermissionHint(const std::vector<std::string>& paths, const std::string& group) {
  std::string list;
  for (const std::string& path : paths) list += (list.empty() ? "" : ", ") + path;
  return list + ": no permission; add your user to the " + group + " group and log in again";
}

PosixPortProvider::PosixPortProvider(ISerialDeviceDiscovery& discovery, DeviceOpener opener)
    : discovery_(discovery), opener_(std::move(opener)) {}

SerialDevice PosixPortProvider::DeviceFor(std::string_view name) {
  const std::optional<int> index = PortIndex(name);
  if (!index) return {};
  return AssignPortNames(PinnedDevices(), discovery_.Devices())[*index];
}

std::unique_ptr<ISerialPort> PosixPortProvider::Open(std::string_view name) {
  const std::optional<int> index = PortIndex(name);
  if (!index) return nullptr;
  const std::string path = DeviceFor(name).path;
  int& error = lastError_[*index];
  error = ENOENT;
  lastWhy_[*index].clear();
  if (path.empty()) return nullptr;
  std::unique_ptr<ISerialPort> port = opener_(path, error, lastWhy_[*index]);
  if (port) error = 0;
  return port;
}

bool PosixPortProvider::IsOffered(std::string_view name) {
  return IsTcpAddressText(DeviceFor(name).path) || Open(name) != nullptr;
}

std::string PosixPortProvider::Describe(std::string_view name) {
  const SerialDevice device = DeviceFor(name);
  if (device.path.empty()) return std::string(name);
  return device.label.empty() ? device.path : device.path + "  " + device.label;
}

std::string PosixPortProvider::RefusalHint(const std::vector<std::string>& names) {
  std::vector<std::string> refused;
  for (const std::string& name : names) {
    const std::optional<int> index = PortIndex(name);
    if (index && lastError_[*index] == EACCES) refused.push_back(DeviceFor(name).path);
  }
  if (refused.empty()) return {};
  return PermissionHint(refused, DeviceGroup(refused.front()));
}

std::string PosixPortProvider::OpenFailure(std::string_view name) {
  const std::optional<int> index = PortIndex(name);
  if (!index) return "only COM1 to COM9 are offered";
  if (DeviceFor(name).path.empty()) return "no serial device found for it (set R742_" + std::string(name) + ")";
  if (!lastWhy_[*index].empty()) return lastWhy_[*index];
  if (lastError_[*index] == EBUSY) return "held by another program";
  return SystemErrorText(static_cast<std::uint32_t>(lastError_[*index]));
}

std::string PosixPortProvider::Label(std::string_view name) {
  const std::string path = DeviceFor(name).path;
  return path.empty() ? std::string(name) : std::string(name) + " (" + path + ")";
}

IPortProvider& MachinePortProvider() {
  static SysfsSerialDiscovery discovery;
  static PosixPortProvider machine(discovery, OpenMachineDevice);
  return machine;
}

}  // namespace r742

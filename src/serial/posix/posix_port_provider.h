// COM1..COM9 on a POSIX machine. A name pinned by $R742_COMn (set and not
// empty) stands for that device; the names not pinned take the discovered
// devices in their order, skipping a device a pinned name already stands for.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "serial/posix/serial_device_discovery.h"
#include "serial/serial_port.h"

namespace r742 {

// The devices COM1..COM9 stand for; an empty path where a name has none.
// `pinned` holds $R742_COM1..9 (empty where not set).
std::array<SerialDevice, kPortCount> AssignPortNames(const std::array<std::string, kPortCount>& pinned,
                                                     const std::vector<SerialDevice>& found);

// What to tell a user who may not open `paths`, whose group is `group`.
std::string PermissionHint(const std::vector<std::string>& paths, const std::string& group);

class PosixPortProvider final : public IPortProvider {
 public:
  // Opens a device exclusively, or leaves the reason in `error` (an errno)
  // and, where an errno cannot tell it (a device server that did not answer),
  // in words in `why`.
  using DeviceOpener =
      std::function<std::unique_ptr<ISerialPort>(const std::string& path, int& error, std::string& why)>;
  PosixPortProvider(ISerialDeviceDiscovery& discovery, DeviceOpener opener);

  std::unique_ptr<ISerialPort> Open(std::string_view name) override;
  bool IsOffered(std::string_view name) override;
  std::string Describe(std::string_view name) override;
  std::string RefusalHint(const std::vector<std::string>& names) override;
  std::string OpenFailure(std::string_view name) override;
  std::string Label(std::string_view name) override;

  // The device a name stands for now; empty for a name other than COM1..COM9.
  SerialDevice DeviceFor(std::string_view name);

 private:
  ISerialDeviceDiscovery& discovery_;
  DeviceOpener opener_;
  std::array<int, kPortCount> lastError_{};
  std::array<std::string, kPortCount> lastWhy_{};
};

}  // namespace r742

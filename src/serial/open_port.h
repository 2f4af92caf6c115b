// Opening and configuring a port with its working settings, step by step
// ("CreateFile", "Assign buffer space", "Port Functionality", "Setting Comm
// State"), then the read time-outs the node exchange relies on.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "serial/serial_port.h"

namespace r742 {

inline constexpr std::size_t kMaxSettingChars = 9;   // each line setting text
inline constexpr std::size_t kMaxCommDefChars = 43;  // the device-control text
inline constexpr std::uint32_t kQueueBytes = 1000;

// The working line settings as texts, as the command line or Port Setup gives them.
struct LinkSettingsText {
  std::string port = "COM1";
  std::string baud = "38400";
  std::string parity = "N";
  std::string dataBits = "8";
  std::string stopBits = "2";
};

// "COM1: baud=38400 parity=N data=8 stop=2"
std::string CommDefinition(const LinkSettingsText& settings);

struct PortOpening {
  std::unique_ptr<ISerialPort> port;  // null when a step failed
  std::string commDef;                // the device-control text used
  std::string step;                   // the step that failed, or the last one run
  std::string label;                  // the name and its device: "COM1 (/dev/ttyUSB0)"
  std::string device;                 // after success: what the name stands for, for the user
  std::string reason;                 // after a failure: the system's (or our) reason
  std::string refusalHint;            // after "CreateFile": what the user may do about it
};

// Opens `settings.port` exclusively through the current port provider and
// configures it: queues of `inQueue`/`outQueue` bytes, the line settings with
// RTS raised while sending and transfers ended on a line error, and the read
// time-outs (a read ends 20 ms after the line went quiet, or after 1 ms per
// byte asked for plus 1 ms). A text longer than its field is refused, never cut.
PortOpening OpenConfiguredPort(const LinkSettingsText& settings, std::uint32_t inQueue = kQueueBytes,
                               std::uint32_t outQueue = kQueueBytes);

}  // namespace r742

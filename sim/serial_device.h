// A real serial device served by the simulated node.
#pragma once

#include <cstdint>
#include <string>

namespace r742 {

struct DeviceSettings {
  std::uint32_t baud = 38400;
  char parity = 'N';  // 'N', 'O' or 'E'
  int stopBits = 2;   // 1 or 2
};

// Opens `path` raw, non-blocking, 8 data bits with the given settings; -1 and
// `error` on failure. The caller closes the descriptor.
int OpenSerialDevice(const std::string& path, const DeviceSettings& settings, std::string& error);

bool IsSupportedBaud(std::uint32_t baud);

// The quiet time that ends a frame: 3.5 character times, at least 1.75 ms
// above 19200 baud, rounded up to whole milliseconds.
int InterFrameGapMs(const DeviceSettings& settings);

}  // namespace r742

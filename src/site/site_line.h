// The line the command line works on: a port by name (COM1..COM9) or by its
// device path, with its settings, opened for fast exchanges.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "serial/open_port.h"

namespace r742 {

struct SiteLine {
  std::string port = "COM1";  // COM1..COM9, or a device path (a by-id link, "COM12" on Windows)
  std::uint32_t baud = 38400;
  char parity = 'N';
  int stopBits = 2;
};

// "38400 N 8 2"
std::string SettingsText(const SiteLine& line);

// Opens and configures the port as the window does ("CreateFile", ...,
// "Setting Comm State"), then asks for the adapter's low-latency mode.
PortOpening OpenSiteLine(const SiteLine& line);

// "1-10,17" into node numbers in the order given, each 1..255 and once;
// false with `error` naming the part it refuses.
bool ParseNodeList(std::string_view text, std::vector<unsigned>& nodes, std::string& error);

}  // namespace r742

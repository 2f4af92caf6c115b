// The command line of r742-node-sim.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "paced_wire.h"
#include "serial_device.h"
#include "sim_faults.h"
#include "sim_line.h"

namespace r742 {

// One node of the line, from --node N[:KEY=VALUE,...].
struct SimNodeOptions {
  int node = 1;
  std::optional<unsigned> order;  // unset: the --order of the command line
  SimLineSettings listensAt;      // unset fields: any
  bool operator==(const SimNodeOptions&) const = default;
};

struct SimOptions {
  bool help = false;
  std::string device;  // empty: serve a new pseudo-terminal
  std::string link;    // symbolic link to the pseudo-terminal
  std::string tcp;     // HOST:PORT to serve on instead, as a device server would
  DeviceSettings line;
  WireOptions wire;                   // the line's timing: turn-around, an adapter's packets, or instant
  std::vector<SimNodeOptions> nodes;  // after parsing: node 1 unless --node gave others
  unsigned order = 2;
  SimFaults faults = DefaultFaults();
  std::string logPath;  // "-" for stderr
  std::uint64_t exitAfterFrames = 0;
  bool control = false;  // fault lines arrive on stdin while the node serves

  static SimFaults DefaultFaults() {
    SimFaults f;
    f.delayMs = 5;
    return f;
  }
};

// Parses the arguments after the program name; false with `error` on a bad one.
bool ParseSimOptions(std::span<const std::string_view> args, SimOptions& options, std::string& error);

// One line of fault options (for example "--silent --delay 900"), replacing
// all faults; an empty line clears them. Other options, the line's timing
// among them, cannot change while serving.
bool ParseFaultLine(std::string_view line, SimFaults& faults, std::string& error);

const char* SimUsage();

}  // namespace r742

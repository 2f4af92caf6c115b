// The command line of r742: its commands and flags, parsed by CLI11.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "site/site_line.h"

namespace r742 {

struct CliOptions {
  std::string command;  // "ports", "scan", "read", "send", "release"
  SiteLine line;
  bool portGiven = false, baudGiven = false, parityGiven = false, stopGiven = false;
  std::vector<unsigned> nodes;  // from --node or --nodes; empty: the file's node, else 1
  std::optional<unsigned> order;
  std::optional<std::uint32_t> timeoutMs;
  bool windowPace = false;
  bool json = false;
  std::string report;      // --report FILE
  std::string outputFile;  // read -o FILE
  std::string configFile;  // send FILE
  bool keep = false;       // send --keep: no Release afterwards
  // scan
  std::vector<std::string> scanPorts;
  std::vector<std::uint32_t> scanBauds;
  std::string scanParities;
  std::vector<int> scanStops;
  std::vector<unsigned> scanNodes;
  bool firstOnly = false;
};

inline constexpr std::uint32_t kScanTimeoutMs = 50;

// Parses argv; a value below 0 means go on, anything else is the exit code
// (0 after --help, which has printed to `out`; else the usage error is on `err`).
int ParseCliOptions(int argc, const char* const* argv, CliOptions& options, std::ostream& out, std::ostream& err);

}  // namespace r742

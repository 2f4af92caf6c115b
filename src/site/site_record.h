// The commissioning record: one JSON line per node and command, appended to a
// file that collects a site's work.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "site/node_reading.h"
#include "site/site_config.h"

namespace r742 {

struct RecordFacts {
  std::chrono::system_clock::time_point time;  // when the command finished
  std::string command;                         // "read", "send" or "release"
  std::string port;                            // as given
  std::string device;                          // what the port name led to
  std::uint32_t baud = 0;
  char parity = 'N';
  int stopBits = 1;
  unsigned node = 0;
  unsigned order = 0;
  std::optional<NodeReading> read;    // what was read, if anything
  std::optional<SiteConfig> written;  // what was sent, if anything
  std::optional<bool> sameAsWritten;  // the read-back check after a send
  std::string result = "ok";          // or the failure, in a few words
  int exitCode = 0;
};

// {"time": "2026-12-07T14:02:03.123Z" (UTC), "command", "port", "device",
//  "baud", "parity" ("N"), "stop", "node", "order", "read" (ReadingJson or null),
//  "written" (SiteConfigJson or null), "check" ("same", "differs" or null),
//  "result", "exit"}
nlohmann::json RecordEntry(const RecordFacts& facts);

// "2026-12-07T14:02:03.123Z": UTC, milliseconds cut (not rounded).
std::string UtcTimeText(std::chrono::system_clock::time_point time);

// Appends `entry` as one line (texts with invalid UTF-8 get U+FFFD) with one
// write, or nothing. False with "<path>: <reason>" in `error` otherwise.
bool AppendRecordLine(const std::string& path, const nlohmann::json& entry, std::string& error);

}  // namespace r742

// What the node puts on the line after a request: chunks of bytes, each sent
// a given time after the previous one (the first: after the request ended).
#pragma once

#include <cstdint>
#include <vector>

#include "modbus/crc16.h"
#include "sim_faults.h"

namespace r742 {

struct ReplyChunk {
  std::int64_t delayMs = 0;
  std::vector<std::uint8_t> bytes;
  bool operator==(const ReplyChunk&) const = default;
};

using ReplyPlan = std::vector<ReplyChunk>;

// Turns the node's clean reply (empty when it stays silent) into what the
// line carries under `faults`: silence, bad CRC, wrong node, truncation, junk,
// delay and split. Exception replies are made by the node itself; the echo
// is the wire's (PacedWire).
ReplyPlan ShapeReply(std::vector<std::uint8_t> reply, const SimFaults& faults);

}  // namespace r742

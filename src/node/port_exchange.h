// A request out to the port and a reply in from it, one blocking call each.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "node/reply_check.h"

namespace r742 {

class CModbusFrame;
class ISerialPort;

struct WriteOutcome {
  std::uint32_t written = 0;  // bytes the port took; 0 when the write failed
  std::string error;          // why it failed, as the system says it
  bool deviceGone = false;    // it failed because the device went away
};

// Drops what an earlier reply left on the line, so that it cannot be taken for
// this one's, then writes the request in one call.
WriteOutcome SendRequest(ISerialPort& port, std::span<const std::uint8_t> request);

// One read of up to kReplyReadLimit bytes into `reply` under the port's read
// time-outs; when nothing usable came, the driver's error state is cleared
// (a device that went away may say so only there).
ReadOutcome ReceiveReply(ISerialPort& port, CModbusFrame& reply);

}  // namespace r742

// Judging a reply read from the line: whether it answers the request, and if
// not, why - so that the event log can tell the engineer.
#pragma once

#include <cstdint>
#include <string>

namespace r742 {

class CModbusFrame;
struct CEchoTest;

enum class ReplyFault : std::uint8_t {
  kNone,
  kNothingReceived,  // silence, only the echo, or a read that filled its buffer
  kException,        // the node refused the request
  kCrc,
  kOtherNode,
  kOtherFunction,
  kTooShort,  // fewer bytes than a frame, or fewer values than the request reads
};

struct ReplyVerdict {
  ReplyFault fault = ReplyFault::kNone;
  std::uint32_t length = 0;  // reply bytes once the echo is removed
  std::uint8_t node = 0;     // the node that answered
  std::uint8_t function = 0;
  std::uint8_t exception = 0;
  bool echoOnly = false;  // the line returned the request and nothing more
};

// Removes the echo (see CEchoTest) and checks, in this order: something
// arrived, no exception, at least 3 bytes, the CRC, the node asked, the
// function asked.
ReplyVerdict CheckReply(CModbusFrame& reply, CEchoTest& echo, std::uint8_t node, std::uint8_t function);

// What a port read gave, beside the bytes.
struct ReadOutcome {
  std::uint32_t received = 0;  // bytes the read returned
  std::uint32_t asked = 0;
  bool deviceError = false;  // the port failed; `error` says why
  bool deviceGone = false;   // the port failed because its device went away
  std::string error;
};

// One line for the engineer on a reply that failed ("no reply in 300 ms",
// "CRC error", "exception 02 from node 1", "reply from node 2"); a port that
// failed is named by `portLabel` ("COM1 (/dev/ttyUSB0): Input/output error").
std::string DescribeReplyFault(const ReplyVerdict& verdict, const ReadOutcome& read, std::uint32_t responseMs,
                               const std::string& portLabel);

}  // namespace r742

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
  bool echoOnly = false;   // the line returned the request and nothing more
  bool crcHolds = false;   // the bytes end in the CRC of the bytes before them
  bool asAsked = false;    // they begin as a reply (or refusal) of the node and function asked
  std::uint32_t told = 0;  // the whole reply's length, once its header tells it; else 0
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
// "CRC error", "exception 02 from node 1", "reply from node 2", "reply
// incomplete: 22 of 117 bytes", "no reply from node 1: 64 bytes that are not
// one"); a port that failed is named by `portLabel` ("COM1 (/dev/ttyUSB0):
// Input/output error"), after what part of a reply came before it.
std::string DescribeReplyFault(const ReplyVerdict& verdict, const ReadOutcome& read, std::uint32_t responseMs,
                               const std::string& portLabel, std::uint8_t askedNode);

}  // namespace r742

#include "node/reply_check.h"

#include <cstdio>

#include "modbus/modbus_frame.h"
#include "node/echo_test.h"
#include "node/node_map.h"

namespace r742 {

ReplyVerdict CheckReply(CModbusFrame& reply, CEchoTest& echo, std::uint8_t node, std::uint8_t function) {
  const std::uint32_t arrived = reply.ReceivedCount();
  echo.RemoveEcho(reply, kReplyReadLimit);
  ReplyVerdict v;
  v.length = reply.ReceivedCount();
  const std::uint8_t* bytes = reply.ReceiveBytes();
  if (v.length == 0) {
    v.fault = ReplyFault::kNothingReceived;
    v.echoOnly = arrived != 0 && echo.m_bEchoPresent;
    return v;
  }
  v.node = bytes[0];
  v.function = v.length >= 2 ? bytes[1] : 0;
  // Any function with the exception bit is a refusal, whatever its code byte says.
  if (reply.ExceptionCode() != 0 || (v.function & kExceptionBit) != 0) {
    v.fault = ReplyFault::kException;
    v.exception = static_cast<std::uint8_t>(reply.ExceptionCode());
    return v;
  }
  if (v.length < 3) {
    v.fault = ReplyFault::kTooShort;
    return v;
  }
  reply.CheckCrc();
  if (reply.Status() != 0) v.fault = ReplyFault::kCrc;
  // Only the node asked may answer, and only the function asked.
  else if (v.node != node)
    v.fault = ReplyFault::kOtherNode;
  else if (v.function != function)
    v.fault = ReplyFault::kOtherFunction;
  return v;
}

std::string DescribeReplyFault(const ReplyVerdict& verdict, const ReadOutcome& read, std::uint32_t responseMs,
                               const std::string& portLabel) {
  char text[96];
  switch (verdict.fault) {
    case ReplyFault::kNone: return {};
    case ReplyFault::kNothingReceived:
      if (read.deviceError) return portLabel + ": " + read.error;
      if (read.asked != 0 && read.received >= read.asked)
        std::snprintf(text, sizeof text, "%u bytes or more arrived: no reply is that long", read.asked);
      else
        std::snprintf(text, sizeof text, "no reply in %u ms%s", responseMs,
                      verdict.echoOnly ? ", only the echo of the request" : "");
      break;
    case ReplyFault::kException:
      std::snprintf(text, sizeof text, "exception %02X from node %u", verdict.exception, verdict.node);
      break;
    case ReplyFault::kCrc: return "CRC error";
    case ReplyFault::kOtherNode: std::snprintf(text, sizeof text, "reply from node %u", verdict.node); break;
    case ReplyFault::kOtherFunction:
      std::snprintf(text, sizeof text, "reply to function %u from node %u", verdict.function, verdict.node);
      break;
    case ReplyFault::kTooShort:
      std::snprintf(text, sizeof text, "reply too short (%u byte%s)", verdict.length, verdict.length == 1 ? "" : "s");
      break;
  }
  return text;
}

}  // namespace r742

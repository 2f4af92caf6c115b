#include "node/reply_check.h"

#include <cstdio>

#include "modbus/crc16.h"
#include "modbus/modbus_frame.h"
#include "node/echo_test.h"
#include "node/node_map.h"
#include "node/reply_length.h"

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
  v.crcHolds = v.length >= 3 && Crc16Value(bytes, v.length) == 0;
  v.asAsked = v.length >= 2 && v.node == node && (v.function & ~kExceptionBit) == function;
  if (v.asAsked) v.told = ToldReplyLength({bytes, v.length}).value_or(0);
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

namespace {

// What came when it was not a reply that passes its checks, before any reason
// a valid frame gives.
std::string DescribeBytes(const ReplyVerdict& v, std::uint8_t askedNode) {
  char text[96];
  if (v.asAsked && (v.told == 0 || v.length < v.told)) {
    if (v.told == 0)
      std::snprintf(text, sizeof text, "reply incomplete: %u byte%s", v.length, v.length == 1 ? "" : "s");
    else
      std::snprintf(text, sizeof text, "reply incomplete: %u of %u bytes", v.length, v.told);
    return text;
  }
  if (v.asAsked) return "CRC error";
  std::snprintf(text, sizeof text, "no reply from node %u: %u byte%s that %s not one", askedNode, v.length,
                v.length == 1 ? "" : "s", v.length == 1 ? "is" : "are");
  return text;
}

}  // namespace

std::string DescribeReplyFault(const ReplyVerdict& verdict, const ReadOutcome& read, std::uint32_t responseMs,
                               const std::string& portLabel, std::uint8_t askedNode) {
  char text[96];
  if (verdict.fault == ReplyFault::kNone && !read.deviceError) return {};
  if (read.deviceError) {
    std::string failed = portLabel + ": " + read.error;
    if (verdict.length == 0 || verdict.crcHolds) return failed;
    return DescribeBytes(verdict, askedNode) + "; " + failed;
  }
  // Bytes that are no valid frame are described as they are, whatever their second byte says.
  if (verdict.fault != ReplyFault::kNothingReceived && !verdict.crcHolds) return DescribeBytes(verdict, askedNode);
  switch (verdict.fault) {
    case ReplyFault::kNone: return {};
    case ReplyFault::kNothingReceived:
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

// Replies judged with the reason the engineer reads in the event log, and the
// one read that takes a reply off the port.
#include <gtest/gtest.h>

#include <cerrno>
#include <tuple>

#include "modbus/modbus_frame.h"
#include "modbus/modbus_test_support.h"
#include "node/echo_test.h"
#include "node/port_exchange.h"
#include "support/fake_port.h"

#ifdef _WIN32
#include "os/win32/windows_api.h"
#endif

namespace r742::test {
namespace {

const Bytes kSent = Hex("01 03 00 18 00 12 45 C0");
const Bytes kReply =
    Hex("01 03 24 40 80 00 00 42 C8 00 00 00 00 00 00 42 10 00 00 43 16 00 00 C2 48 00 00 "
        "00 00 00 00 42 C8 00 00 00 00 00 00 41 13");

// The first reply of an operation whose request was kSent, asked of node 1;
// with `failure` the read failed after what arrived.
std::string Judged(const Bytes& arriving, const char* failure = nullptr) {
  PortScript script{.reply = arriving};
  FakePort port(script);
  CEchoTest echo;
  echo.Arm();
  echo.NoteRequest(kSent, true);
  CModbusFrame frame;
  ReadOutcome read = ReceiveReply(port, frame);
  if (failure != nullptr) read.deviceError = true, read.error = failure;
  const ReplyVerdict verdict = CheckReply(frame, echo, 1, 3);
  if (verdict.fault == ReplyFault::kNone) return "accepted " + std::to_string(verdict.length);
  return DescribeReplyFault(verdict, read, 300, "COM1 (/dev/ttyUSB0)", 1);
}

// Silence, an echo alone or before the reply, an exception, a short reply, a bad CRC, another node and
// a failed read are judged through the window in the operation tests; here the edges.
TEST(NodeReply, EachFaultIsRejectedWithItsReason) {
  const struct {
    const char* what;
    Bytes arriving;
    std::string verdict;
  } cases[] = {
      {"longest reply", WithCrc(Join(Hex("01 03"), Bytes(507, 7))), "accepted 511"},
      {"read filled", WithCrc(Join(Hex("01 03"), Bytes(508, 7))), "512 bytes or more arrived: no reply is that long"},
      {"exception bit with code 0", WithCrc(Hex("01 83 00")), "exception 00 from node 1"},
      {"two bytes", Hex("01 03"), "reply incomplete: 2 bytes"},
      {"cut short", Bytes(kReply.begin(), kReply.begin() + 22), "reply incomplete: 22 of 41 bytes"},
      {"junk before", Join(Hex("FF 00"), kReply), "no reply from node 1: 43 bytes that are not one"},
      {"junk with the exception bit", Hex("E3 C0 FF 00 FF"), "no reply from node 1: 5 bytes that are not one"},
      {"two frames glued", Join(kReply, kReply), "CRC error"},
      {"another function", Hex("01 10 00 18 00 12 C0 03"), "reply to function 16 from node 1"},
  };
  for (const auto& c : cases) EXPECT_EQ(Judged(c.arriving), c.verdict) << c.what;
  EXPECT_EQ(Judged(Bytes(kReply.begin(), kReply.begin() + 22), "Connection reset by peer"),
            "reply incomplete: 22 of 41 bytes; COM1 (/dev/ttyUSB0): Connection reset by peer");
}

TEST(NodeReply, OneReadOfTheReplyLimitClearsTheErrorStateWhenNothingCame) {
  PortScript script{.reply = Bytes(600, 1), .errorWord = 0x10};
  FakePort port(script);
  CModbusFrame frame;
  const ReadOutcome read = ReceiveReply(port, frame);
  EXPECT_EQ(std::tuple(script.askedFor, read.received, frame.ReceivedCount(), script.errorClears),
            std::tuple(512u, 512u, 0u, 1));
}

// A device that went away is told from a fault on the line by the system's
// code, whether its write, its read or (under wine) only the error clearing says so.
TEST(NodeReply, AFailedTransferSaysWhenTheDeviceWentAway) {
#ifdef _WIN32
  const std::uint32_t gone[] = {ERROR_DEVICE_REMOVED, ERROR_NOT_READY, ERROR_ACCESS_DENIED};
  const std::uint32_t stays = ERROR_SEM_TIMEOUT;
#else
  const std::uint32_t gone[] = {EIO, ENXIO, ENODEV};
  const std::uint32_t stays = ETIMEDOUT;
#endif
  const auto exchange = [](std::uint32_t code, bool onlyClearFails) {
    PortScript script{.failCode = code, .onlyClearFails = onlyClearFails};
    FakePort port(script);
    CModbusFrame frame;
    const WriteOutcome sent = SendRequest(port, kSent);
    const ReadOutcome read = ReceiveReply(port, frame);
    return std::tuple(sent.deviceGone, read.deviceGone, read.deviceError);
  };
  for (const std::uint32_t code : gone) {
    EXPECT_EQ(exchange(code, false), std::tuple(true, true, true)) << code;
    EXPECT_EQ(exchange(code, true), std::tuple(false, true, true)) << code;
  }
  EXPECT_EQ(exchange(stays, false), std::tuple(false, false, true));
  EXPECT_EQ(exchange(stays, true), std::tuple(false, false, false));
}

}  // namespace
}  // namespace r742::test

#include <gtest/gtest.h>

#include "modbus/modbus_frame.h"
#include "modbus_test_support.h"

namespace r742 {
namespace {

using test::Bytes;
using test::Hex;
using test::Join;
using test::WithCrc;

const Bytes kSent = Hex("01 03 00 18 00 12 45 C0");
const Bytes kReply = Hex(
    "01 03 24 40 80 00 00 42 C8 00 00 00 00 00 00 42 10 00 00 43 16 00 00 C2 48 00 00 "
    "00 00 00 00 42 C8 00 00 00 00 00 00 41 13");

CModbusFrame Received(const Bytes& arriving, std::uint32_t count = 512) {
  test::ScriptedPort port;
  port.reply = arriving;
  CModbusFrame frame;
  frame.ReceiveFrame(port, count);
  return frame;
}

// The checks in the order the reply handler applies them: the accepted length, or 0.
std::uint32_t Accepted(const Bytes& arriving) {
  CModbusFrame frame = Received(arriving);
  if (frame.MatchesSent(static_cast<std::uint32_t>(kSent.size()), kSent))
    frame.StripEcho(static_cast<std::uint32_t>(kSent.size()), 512);
  if (frame.ReceivedCount() == 0 || frame.ExceptionCode() != 0) return 0;
  frame.CheckCrc();
  return frame.Status() == 0 ? frame.ReceivedCount() : 0;
}

TEST(ModbusReply, AcceptsOrRejectsByFaultClass) {
  Bytes badCrc = kReply;
  badCrc.back() ^= 1;
  const struct { const char* what; Bytes arriving; std::uint32_t accepted; } cases[] = {
      {"reply alone", kReply, 41},
      {"echo then reply", Join(kSent, kReply), 41},
      {"echo only", kSent, 0},
      {"nothing", {}, 0},
      {"exception", WithCrc(Hex("01 83 02")), 0},
      {"exception code 0 is none", WithCrc(Hex("01 83 00")), 5},
      {"one byte", Hex("01"), 0},
      {"two bytes", Hex("01 03"), 0},
      {"wrong CRC", badCrc, 0},
      {"trailing junk", Join(kReply, Hex("55")), 0},
      {"two frames glued", Join(kReply, kReply), 0},
      {"511 bytes", WithCrc(Bytes(509, 7)), 511},
      {"512 bytes fill the read", WithCrc(Bytes(510, 7)), 0},
  };
  for (const auto& c : cases) EXPECT_EQ(Accepted(c.arriving), c.accepted) << c.what;
}

TEST(ModbusReply, ReceiveFrameTakesExceptionNodeAndEmptyReads) {
  const CModbusFrame exception = Received(Hex("05 83 02 00 00"));
  EXPECT_EQ(exception.ExceptionCode(), 2u);  // known before any CRC check
  EXPECT_EQ(exception.ReplyNode(), 5u);
  EXPECT_EQ(Received(Hex("05 83")).ExceptionCode(), 0u);

  test::ScriptedPort port;
  port.errorWord = 0x10;
  CModbusFrame frame;
  frame.ReceiveFrame(port, 5000);
  EXPECT_EQ(port.askedFor, CModbusFrame::kBufferSize);
  EXPECT_EQ(port.errorClears, 1);
  EXPECT_EQ(frame.CommErrors(), 0x10u);
  EXPECT_EQ(frame.Status(), 1);
}

TEST(ModbusReply, EchoMatchAndStrip) {
  CModbusFrame prefixOnly = Received(Hex("01 03 00"));
  EXPECT_FALSE(prefixOnly.MatchesSent(8, kSent));
  EXPECT_FALSE(Received(kReply).MatchesSent(9, kSent));  // reference shorter than length

  // Bytes left behind by the shift must not be read as the exception code.
  CModbusFrame shifted = Received(Hex("AA BB CC DD 01 83"));
  EXPECT_EQ(shifted.StripEcho(4, 512), 1);
  EXPECT_EQ(shifted.ReceivedCount(), 2u);
  EXPECT_EQ(shifted.ExceptionCode(), 0u);
  EXPECT_EQ(shifted.ReplyNode(), 1u);

  CModbusFrame tooLong = Received(Join(kSent, Bytes(600, 0)), 1000);
  tooLong.StripEcho(8, 512);
  EXPECT_EQ(tooLong.ReceivedCount(), 0u);
  EXPECT_EQ(tooLong.Status(), 1);
}

TEST(ModbusReply, ExtractValuesFunction3) {
  const Bytes data = Hex("3F 80 00 00 42 C8 00 00");
  const struct { const char* what; Bytes reply; unsigned order; std::vector<std::uint32_t> values; } cases[] = {
      {"order 0", WithCrc(Join(Hex("01 03 08"), data)), 0, {0x3F800000, 0x42C80000}},
      {"order 1", WithCrc(Join(Hex("01 03 08"), data)), 1, {0x0000803F, 0x0000C842}},
      {"spare bytes", WithCrc(Join(Hex("01 03 0A"), Join(data, Hex("11 22")))), 0, {0x3F800000, 0x42C80000}},
      {"count beyond arrival", WithCrc(Join(Hex("01 03 0C"), data)), 0, {}},
      {"write reply", Hex("01 10 00 18 00 12 C0 03"), 0, {}},
  };
  for (const auto& c : cases) {
    CModbusFrame frame = Received(c.reply);
    frame.ExtractValues(c.order);
    EXPECT_EQ(std::vector<std::uint32_t>(frame.Values().begin(), frame.Values().end()), c.values) << c.what;
  }
}

TEST(ModbusReply, DecodeFunction70ByItsOwnCount) {
  const Bytes good = WithCrc(Hex("01 46 00 00 00 24 0C 3F 80 00 00 00 00 00 00 41 20 00 00"));
  Bytes badCrc = good;
  badCrc[20] ^= 0xFF;
  Bytes longCount = good;
  longCount[6] = 0x28;
  const struct { const char* what; Bytes reply; std::uint32_t decoded, values; } cases[] = {
      {"good", good, 21, 3},
      {"trailing byte", Join(good, Hex("00")), 21, 3},
      {"bad CRC", badCrc, 0, 0},
      {"count beyond arrival", longCount, 0, 0},
      {"seven bytes", Hex("01 46 00 00 00 24 00"), 0, 0},
  };
  for (const auto& c : cases) {
    CModbusFrame frame = Received(c.reply);
    frame.DecodeFrame(0);
    EXPECT_EQ(frame.DecodedLength(), c.decoded) << c.what;
    EXPECT_EQ(frame.ValueCount(), c.values) << c.what;
  }
  CModbusFrame frame = Received(good);
  frame.DecodeFrame(0);
  EXPECT_EQ(frame.Values()[2], 0x41200000u);
}

}  // namespace
}  // namespace r742

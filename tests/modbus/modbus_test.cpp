// Requests built, the values of replies taken out, floats in the four byte
// orders, and the traffic lines of the event log.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>

#include "modbus/modbus_frame.h"
#include "modbus/traffic_text.h"
#include "modbus_test_support.h"

namespace r742::test {
namespace {

Bytes Request(unsigned function, unsigned node, unsigned valueNumber, unsigned count,
              std::initializer_list<float> payload = {}, unsigned order = 0) {
  CModbusFrame frame;
  for (float v : payload) frame.AppendPayloadFloat(v, order);
  frame.BuildRequest(function, node, valueNumber, count);
  frame.AppendCrc();
  return Bytes(frame.TransmitBytes(), frame.TransmitBytes() + frame.TransmitLength());
}

CModbusFrame Received(const Bytes& arriving) {
  CModbusFrame frame;
  std::copy(arriving.begin(), arriving.end(), frame.ReceiveBuffer());
  frame.TakeReceived(static_cast<std::uint32_t>(arriving.size()), 512);
  return frame;
}

// The exact frames of each request are pinned by the operations against the node; here the edges.
TEST(ModbusRequest, FieldsKeepTheirWidthAndUnknownFunctionsBuildNothing) {
  EXPECT_EQ(Request(0x103, 0x101, 13, 9), Hex("01 03 00 18 00 12 45 C0"));  // only the low 8 bits count
  // Register count 2c modulo 256; address from 32-bit arithmetic.
  EXPECT_EQ(Request(3, 1, 0x81, 128)[2], 0x01);
  EXPECT_EQ(Request(3, 1, 1, 200)[5], 0x90);
  const Bytes order2 = Request(16, 1, 13, 9, {4, 100, 0, 36, 150, -50, 0, 100, 0}, 2);
  EXPECT_EQ(Bytes(order2.begin(), order2.begin() + 11), Hex("01 10 00 18 00 12 24 00 00 40 80"));
  EXPECT_EQ(Bytes(order2.end() - 2, order2.end()), Hex("44 D4"));

  CModbusFrame unknown;
  unknown.BuildRequest(3, 1, 13, 9);
  unknown.BuildRequest(6, 1, 13, 9);
  EXPECT_EQ(unknown.Status(), 1);
  EXPECT_EQ(Bytes(unknown.TransmitBytes(), unknown.TransmitBytes() + unknown.TransmitLength()), Bytes(6, 0));

  CModbusFrame frame;
  for (int i = 0; i < 250; ++i) frame.AppendPayloadFloat(1.0f, 0);
  EXPECT_FALSE(frame.AppendPayloadFloat(1.0f, 0));
  EXPECT_EQ(frame.PayloadLength(), CModbusFrame::kBufferSize);
  // The byte-count field keeps 8 bits; the frame carries as many payload bytes as it says.
  frame.SetPayloadLength(260);
  frame.BuildRequest(16, 1, 1, 65);
  EXPECT_EQ(frame.TransmitLength(), 7u + 4u);
}

TEST(ModbusReply, ReceiveEchoAndStripEdges) {
  const Bytes sent = Hex("01 03 00 18 00 12 45 C0");
  const CModbusFrame exception = Received(Hex("05 83 02 00 00"));
  EXPECT_EQ(std::pair(exception.ExceptionCode(), exception.ReplyNode()), std::pair(2u, 5u));  // before any CRC check
  EXPECT_EQ(Received(Hex("05 83")).ExceptionCode(), 0u);  // a read that filled its 512 bytes: the node's table

  EXPECT_FALSE(Received(Hex("01 03 00")).MatchesSent(8, sent));
  EXPECT_FALSE(Received(Join(sent, Hex("01"))).MatchesSent(9, sent));  // reference shorter than length
  // Bytes left behind by the shift must not be read as the exception code.
  CModbusFrame shifted = Received(Hex("AA BB CC DD 01 83"));
  EXPECT_EQ(shifted.StripEcho(4, 512), 1);
  EXPECT_EQ((std::array{shifted.ReceivedCount(), shifted.ExceptionCode(), shifted.ReplyNode()}),
            (std::array{2u, 0u, 1u}));
  CModbusFrame tooLong = Received(Join(sent, Bytes(500, 0)));
  tooLong.StripEcho(8, 500);
  EXPECT_EQ(std::pair(tooLong.ReceivedCount(), tooLong.Status()), std::pair(0u, 1));
}

TEST(ModbusReply, ExtractValuesAndDecodeFunction70ByItsOwnCount) {
  const Bytes data = Hex("3F 80 00 00 42 C8 00 00");
  const struct {
    const char* what;
    Bytes reply;
    std::vector<std::uint32_t> values;
  } reads[] = {
      // The byte orders are the codec's; the values of whole replies show in the window.
      {"spare bytes", WithCrc(Join(Hex("01 03 0A"), Join(data, Hex("11 22")))), {0x3F800000, 0x42C80000}},
      {"count beyond arrival", WithCrc(Join(Hex("01 03 0C"), data)), {}},
      {"write reply", Hex("01 10 00 18 00 12 C0 03"), {}},
  };
  for (const auto& c : reads) {
    CModbusFrame frame = Received(c.reply);
    frame.ExtractValues(0);
    EXPECT_EQ(std::vector<std::uint32_t>(frame.Values().begin(), frame.Values().end()), c.values) << c.what;
  }

  const Bytes good = WithCrc(Hex("01 46 00 00 00 24 0C 3F 80 00 00 00 00 00 00 41 20 00 00"));
  Bytes badCrc = good;
  badCrc[20] ^= 0xFF;
  const struct {
    const char* what;
    Bytes reply;
    std::uint32_t decoded, values;
  } modes[] = {
      // clang-format off
      // A count beyond what arrived is the Read's fault table's (a channel reply whose own count disagrees).
      {"trailing byte", Join(good, Hex("00")), 21, 3}, {"bad CRC", badCrc, 0, 0},
      {"seven bytes", Hex("01 46 00 00 00 24 00"), 0, 0},
      // clang-format on
  };
  for (const auto& c : modes) {
    CModbusFrame frame = Received(c.reply);
    frame.DecodeFrame(0);
    EXPECT_EQ(std::pair(frame.DecodedLength(), frame.ValueCount()), std::pair(c.decoded, c.values)) << c.what;
    EXPECT_TRUE(c.values == 0 || frame.Values()[2] == 0x41200000u) << c.what;
  }
}

TEST(FloatCodec, PutFloatInTheFourOrdersAndArrangeBytesUndoesIt) {
  using Four = std::array<std::uint8_t, 4>;
  const Four wire[] = {{0x3F, 0x80, 0, 0}, {0, 0, 0x80, 0x3F}, {0, 0, 0x3F, 0x80}, {0x80, 0x3F, 0, 0}};
  for (unsigned order = 0; order < 4; ++order) {
    std::array<std::uint8_t, 8> buffer{};
    EXPECT_EQ(CFloatCodec().PutFloat(1.0f, buffer.data(), 0, order), 4u);
    EXPECT_EQ(CFloatCodec().PutFloat(1.0f, buffer.data(), 4, order), 8u);
    const auto& w = wire[order];
    EXPECT_EQ(buffer, (std::array<std::uint8_t, 8>{w[0], w[1], w[2], w[3], w[0], w[1], w[2], w[3]})) << order;
    for (std::uint32_t pattern : {0x3F800000u, 0x12345678u, 0x80000001u, 0x7FC12345u}) {
      CFloatCodec().PutFloat(std::bit_cast<float>(pattern), buffer.data(), 0, order);
      EXPECT_EQ(ArrangeBytes(buffer.data(), order), pattern) << std::hex << pattern << " order " << order;
    }
  }
}

// Whole lines and the shortened 45-byte write are pinned by the operation tests; here the longest lines.
TEST(TrafficText, LineStopsAt999CharactersAndTheLimitKeepsHeadAndCrc) {
  const auto lineOf = [](std::size_t bytes) {
    const Bytes frame(bytes, 0xAB);
    return FormatTrafficLine(frame.data(), frame.size(), 1);
  };
  EXPECT_EQ(lineOf(100000).size(), 999u);
  std::string cut = lineOf(330);
  EXPECT_EQ(cut.size(), 999u);
  EXPECT_EQ(cut.substr(993), " AB AB");  // the last byte shown without its blank
  LimitTrafficLine(cut);
  EXPECT_EQ(cut.substr(98), "......AB AB");
  for (std::size_t length : {109u, 110u}) {
    std::string l(length, 'x');
    LimitTrafficLine(l);
    EXPECT_EQ(l.size(), 109u) << length;
  }
}

}  // namespace
}  // namespace r742::test

#include <gtest/gtest.h>

#include "modbus/modbus_frame.h"
#include "modbus_test_support.h"

namespace r742 {
namespace {

using test::Bytes;
using test::Hex;
using test::Join;

Bytes Request(unsigned function, unsigned node, unsigned valueNumber, unsigned count,
              std::initializer_list<float> payload = {}, unsigned order = 0) {
  CModbusFrame frame;
  for (float v : payload) frame.AppendPayloadFloat(v, order);
  frame.BuildRequest(function, node, valueNumber, count);
  frame.AppendCrc();
  return Bytes(frame.TransmitBytes(), frame.TransmitBytes() + frame.TransmitLength());
}

TEST(Crc16, CheckValueAndFrameField) {
  const auto* digits = reinterpret_cast<const std::uint8_t*>("123456789");
  EXPECT_EQ(Crc16Value(digits, 9), 0x4B37);
  CModbusFrame frame;
  frame.ComputeCrc(digits, 9);
  EXPECT_EQ(frame.CrcValue(), 0x374Bu);
  EXPECT_EQ(frame.Status(), 0);
  frame.ComputeCrc(digits, 0);
  EXPECT_EQ(frame.CrcValue(), 0x374Bu);
  EXPECT_EQ(frame.Status(), 1);
}

TEST(ModbusRequest, ReadFrames) {
  struct Case { unsigned function, node, valueNumber, count; const char* frame; };
  const Case cases[] = {
      {3, 1, 13, 9, "01 03 00 18 00 12 45 C0"},
      {3, 1, 1, 28, "01 03 00 00 00 38 44 18"},
      {70, 1, 1, 18, "01 46 00 00 00 24 88 1E"},
      {70, 1, 2, 18, "01 46 00 02 00 24 29 DE"},
      {70, 1, 3, 18, "01 46 00 04 00 24 C9 DF"},
      {0x103, 0x101, 13, 9, "01 03 00 18 00 12 45 C0"},  // only the low 8 bits count
  };
  for (const Case& c : cases) EXPECT_EQ(Request(c.function, c.node, c.valueNumber, c.count), Hex(c.frame)) << c.frame;
  // Register count 2c modulo 256; address from 32-bit arithmetic.
  EXPECT_EQ(Request(3, 1, 0x81, 128)[2], 0x01);
  EXPECT_EQ(Request(3, 1, 1, 128)[5], 0x00);
  EXPECT_EQ(Request(3, 1, 1, 200)[5], 0x90);

  CModbusFrame unknown;
  unknown.BuildRequest(3, 1, 13, 9);
  unknown.BuildRequest(6, 1, 13, 9);
  EXPECT_EQ(unknown.Status(), 1);
  EXPECT_EQ(Bytes(unknown.TransmitBytes(), unknown.TransmitBytes() + unknown.TransmitLength()), Bytes(6, 0));
}

TEST(ModbusRequest, WriteFrames) {
  const Bytes head = Hex("01 10 00 18 00 12 24");
  const Bytes order0 = Request(16, 1, 13, 9, {4, 100, 0, 36, 150, -50, 0, 100, 0}, 0);
  ASSERT_EQ(order0.size(), 45u);
  EXPECT_EQ(Bytes(order0.begin(), order0.begin() + 15), Join(head, Hex("40 80 00 00 42 C8 00 00")));
  EXPECT_EQ(Bytes(order0.end() - 2, order0.end()), Hex("25 9E"));
  const Bytes order2 = Request(16, 1, 13, 9, {4, 100, 0, 36, 150, -50, 0, 100, 0}, 2);
  EXPECT_EQ(Bytes(order2.begin() + 7, order2.begin() + 11), Hex("00 00 40 80"));
  EXPECT_EQ(Bytes(order2.end() - 2, order2.end()), Hex("44 D4"));
  EXPECT_EQ(Request(16, 1, 36, 1, {0.0f}), Hex("01 10 00 46 00 02 04 00 00 00 00 77 B5"));

  CModbusFrame frame;
  for (int i = 0; i < 250; ++i) frame.AppendPayloadFloat(1.0f, 0);
  EXPECT_FALSE(frame.AppendPayloadFloat(1.0f, 0));
  EXPECT_EQ(frame.PayloadLength(), CModbusFrame::kBufferSize);
  // The byte-count field keeps 8 bits; the frame carries as many payload bytes as it says.
  frame.SetPayloadLength(260);
  frame.BuildRequest(16, 1, 1, 65);
  EXPECT_EQ(frame.TransmitLength(), 7u + 4u);
}

TEST(ModbusRequest, SendFrameReportsWriteOrPortError) {
  test::ScriptedPort port;
  CModbusFrame frame;
  frame.BuildRequest(3, 1, 13, 9);
  frame.AppendCrc();
  EXPECT_EQ(frame.SendFrame(port), 8u);
  EXPECT_EQ(port.written, Hex("01 03 00 18 00 12 45 C0"));
  EXPECT_NE(frame.Status(), 0);

  port.writeLimit = 0;
  port.lastError = 31;
  EXPECT_EQ(frame.SendFrame(port), 0u);
  EXPECT_EQ(frame.BytesWritten(), 0u);
  EXPECT_EQ(frame.Status(), 31);
}

}  // namespace
}  // namespace r742

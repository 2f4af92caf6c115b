// The wire's timing to the microsecond: characters at the baud rate, the echo
// as the request leaves, the turn-around, a split reply, an adapter's packets.
#include "paced_wire.h"

#include <gtest/gtest.h>

#include "modbus/modbus_test_support.h"
#include "serial/serial_port.h"

namespace r742 {
namespace {

using test::Bytes;
using test::Hex;

const Bytes kRequest = Hex("01 03 00 00 00 38 44 18");

TEST(PacedWire, CharactersTakeTheirBitsAtTheBaudRateAndAnAdapterHoldsThemBackForItsPackets) {
  PacedWire wire;  // 2 ms turn-around, no adapter
  wire.SetRate(38400, BitsPerChar({.baud = 38400, .stopBits = 2}));
  wire.FromProgram(kRequest, 1000, true);
  EXPECT_EQ(wire.RequestEndUs(), 1000 + 2292);  // 8 x 11 bits at 38400: 2291.7 us
  wire.Reply({{5, Hex("01 83 02 C0 F1")}, {30, Hex("FF")}});
  EXPECT_EQ(wire.NextDueUs(), 1000 + 287);  // the echo's first byte, as it leaves the wire
  EXPECT_EQ(wire.TakeDue(3291).size(), 7u);
  const std::int64_t replyStart = 3292 + 2000 + 5000;
  EXPECT_EQ(wire.TakeAll(), (std::vector<TimedBytes>{{3292, Hex("18")},
                                                     {replyStart + 287, Hex("01")},
                                                     {replyStart + 573, Hex("83")},
                                                     {replyStart + 860, Hex("02")},
                                                     {replyStart + 1146, Hex("C0")},
                                                     {replyStart + 1433, Hex("F1")},
                                                     {replyStart + 1433 + 30'000 + 287, Hex("FF")}}));

  // At 9600 a 16 ms latency fills no 62-byte packet: each goes 16 ms after its first byte.
  PacedWire adapter({.latencyUs = 16'000, .packetBytes = 62});
  adapter.SetRate(9600, 11);
  adapter.FromProgram(kRequest, 0, false);
  adapter.Reply({{0, Bytes(117, 0x55)}});
  const std::vector<TimedBytes> packets = adapter.TakeAll();
  const std::int64_t firstByte = adapter.RequestEndUs() + 2000 + 1146, lastByte = firstByte + 116 * 1146 - 58;
  ASSERT_EQ(packets.size(), 9u);
  EXPECT_EQ(packets.front(), (TimedBytes{firstByte + 16'000, Bytes(14, 0x55)}));
  EXPECT_GT(packets.back().atUs, lastByte);
  EXPECT_LE(packets.back().atUs, lastByte + 16'000);
}

TEST(PacedWire, AnInstantWireHandsWholeWritesOverAtOnce) {
  PacedWire wire({.instant = true});
  wire.SetRate(9600, 11);
  wire.FromProgram(kRequest, 500, true);
  wire.Reply({{5, Hex("01 02")}, {60, Hex("03")}});
  EXPECT_EQ(wire.TakeAll(), (std::vector<TimedBytes>{{500, kRequest}, {5500, Hex("01 02")}, {65500, Hex("03")}}));
}

}  // namespace
}  // namespace r742

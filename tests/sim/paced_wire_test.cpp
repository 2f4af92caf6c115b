// The wire's timing: characters at the baud rate, the echo as the request
// leaves, the turn-around, split replies, and an adapter's packets.
#include "paced_wire.h"

#include <gtest/gtest.h>

#include "modbus/modbus_test_support.h"
#include "serial/serial_port.h"

namespace r742 {
namespace {

using test::Bytes;
using test::Hex;

const Bytes kRequest = Hex("01 03 00 00 00 38 44 18");

// Each byte with the time it reached the program.
std::vector<std::pair<std::int64_t, std::uint8_t>> Bytewise(const std::vector<TimedBytes>& packets) {
  std::vector<std::pair<std::int64_t, std::uint8_t>> out;
  for (const TimedBytes& p : packets)
    for (std::uint8_t b : p.bytes) out.emplace_back(p.atUs, b);
  return out;
}

TEST(PacedWire, CharactersTakeTheirBitsAtTheBaudRateEchoFirstThenTheReplyAfterTheTurnaround) {
  PacedWire wire;  // 2 ms turn-around, no adapter
  wire.SetRate(38400, BitsPerChar({.baud = 38400, .stopBits = 2}));
  wire.FromProgram(kRequest, 1000, true);
  EXPECT_EQ(wire.RequestEndUs(), 1000 + 2292);  // 8 x 11 bits at 38400: 2291.7 us
  wire.Reply({{5, Hex("01 83 02 C0 F1")}, {30, Hex("FF")}});
  const auto got = Bytewise(wire.TakeAll());
  ASSERT_EQ(got.size(), 8u + 5u + 1u);
  EXPECT_EQ(got[0], std::pair(std::int64_t{1000 + 287}, std::uint8_t{0x01}));  // the echo as it leaves the wire
  EXPECT_EQ(got[7].first, 3292);
  EXPECT_EQ(got[8], std::pair(std::int64_t{3292 + 2000 + 5000 + 287}, std::uint8_t{0x01}));
  EXPECT_EQ(got[12].first, 3292 + 7000 + 1433);                 // five characters: 1432.3 us
  EXPECT_EQ(got[13].first, 3292 + 7000 + 1433 + 30'000 + 287);  // the split's pause after the first part left
  EXPECT_FALSE(wire.NextDueUs()) << "all taken";

  // A write while the one before is still leaving waits for it; nothing is due before its time.
  wire.FromProgram(kRequest, 20'000, false);
  wire.FromProgram(kRequest, 20'000, false);
  EXPECT_EQ(wire.RequestEndUs(), 20'000 + 2292 + 2292);
  wire.Reply({{0, Hex("01 02")}});
  EXPECT_TRUE(wire.TakeDue(wire.RequestEndUs() + 2286).empty());
  EXPECT_EQ(wire.NextDueUs(), wire.RequestEndUs() + 2287);
  EXPECT_EQ(wire.TakeDue(wire.RequestEndUs() + 2287).size(), 1u);
}

TEST(PacedWire, AnAdapterHandsOverFullPacketsOrWhatCameWithinItsLatency) {
  Bytes reply(117);
  for (std::size_t i = 0; i < reply.size(); ++i) reply[i] = static_cast<std::uint8_t>(i);
  for (const std::uint32_t baud : {115200u, 38400u, 9600u, 4800u}) {
    PacedWire wire({.latencyUs = 16'000, .packetBytes = 62});
    wire.SetRate(baud, 11);
    wire.FromProgram(kRequest, 0, false);
    wire.Reply({{0, reply}});
    const std::int64_t firstByte = wire.RequestEndUs() + 2000 + (11'000'000 + baud - 1) / baud;
    const std::int64_t lastByte = wire.RequestEndUs() + 2000 + (117ull * 11'000'000 + baud - 1) / baud;
    std::int64_t previous = 0;
    Bytes all;
    for (const TimedBytes& packet : wire.TakeAll()) {
      EXPECT_LE(packet.bytes.size(), 62u) << baud;
      EXPECT_GT(packet.atUs, previous) << baud;
      previous = packet.atUs;
      all.insert(all.end(), packet.bytes.begin(), packet.bytes.end());
    }
    EXPECT_EQ(all, reply) << baud;
    EXPECT_GE(previous, lastByte) << baud;
    EXPECT_LE(previous, lastByte + 16'000) << baud;
    EXPECT_GE(previous - firstByte, lastByte - firstByte) << baud;
  }
}

// Behind a real device the UART paces: a chunk goes whole, the next one after its wire time.
TEST(PacedWire, InstantAndDeviceWiresHandWholeWritesOverAtOnce) {
  for (const bool device : {false, true}) {
    PacedWire wire({.instant = !device, .deviceSends = device});
    wire.SetRate(9600, 11);
    wire.FromProgram(kRequest, 500, true);
    wire.Reply({{5, Hex("01 02")}, {60, Hex("03")}});
    const std::int64_t first = device ? 500 + 2000 + 5000 : 5500, second = device ? first + 2292 + 60'000 : 65500;
    EXPECT_EQ(wire.TakeAll(), (std::vector<TimedBytes>{{500, kRequest}, {first, Hex("01 02")}, {second, Hex("03")}}));
  }
}

}  // namespace
}  // namespace r742

// Each fault knob's effect on what goes on the line after a request.
#include "reply_plan.h"

#include <gtest/gtest.h>

#include "sim_test_support.h"

namespace r742 {

void PrintTo(const ReplyChunk& c, std::ostream* out) {
  *out << "{" << c.delayMs << " ms:";
  for (std::uint8_t b : c.bytes) *out << ' ' << std::hex << int(b) << std::dec;
  *out << "}";
}

namespace {

using simtest::Bytes;
using simtest::Hex;

TEST(SimReplyPlan, EachFaultShapesTheReply) {
  const Bytes request = Hex("01 10 00 46 00 02 04 00 00 00 00 77 B5");
  const Bytes reply = Hex("01 10 00 46 00 02 A0 1D");
  const Bytes otherNode = simtest::WithCrc(Hex("02 10 00 46 00 02"));
  const Bytes otherNodeCut(otherNode.begin(), otherNode.end() - 1);
  const std::tuple<const char*, SimFaults, ReplyPlan> cases[] = {
      {"none", {}, {{0, reply}}},
      {"echo", {.echo = true, .delayMs = 5}, {{0, request}, {5, reply}}},
      {"echo of a silent node", {.echo = true, .silent = true}, {{0, request}}},
      {"silent", {.silent = true}, {}},
      {"bad crc", {.badCrc = true}, {{0, Hex("01 10 00 46 00 02 A0 E2")}}},
      {"truncate", {.truncate = 3}, {{0, Hex("01 10 00 46 00")}}},
      {"truncate all", {.truncate = 100}, {}},
      {"garbage", {.garbageBefore = 2, .garbageAfter = 3}, {{0, Hex("FF 00 01 10 00 46 00 02 A0 1D FF 00 FF")}}},
      {"split", {.delayMs = 5, .splitGapMs = 60}, {{5, Hex("01 10 00 46")}, {60, Hex("00 02 A0 1D")}}},
      {"wrong node", {.wrongNode = true}, {{0, otherNode}}},
      {"wrong node, bad crc, truncated", {.badCrc = true, .truncate = 1, .wrongNode = true}, {{0, otherNodeCut}}},
  };
  for (const auto& [name, faults, plan] : cases) EXPECT_EQ(ShapeReply(request, reply, faults), plan) << name;
  EXPECT_TRUE(ShapeReply(request, {}, {.delayMs = 5, .garbageBefore = 4}).empty()) << "no junk without a reply";
}

}  // namespace
}  // namespace r742

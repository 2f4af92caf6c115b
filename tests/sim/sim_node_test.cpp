// The simulated node answering single frames: register map, pass code,
// channel modes, refusals and silence; and each fault knob's effect on what
// goes on the line after a request.
#include "sim_node.h"

#include <gtest/gtest.h>

#include "modbus/modbus_test_support.h"

namespace r742 {

void PrintTo(const ReplyChunk& c, std::ostream* out) {
  *out << "{" << c.delayMs << " ms:";
  for (std::uint8_t b : c.bytes) *out << ' ' << std::hex << int(b) << std::dec;
  *out << "}";
}

namespace {

using test::Bytes;
using test::FloatsIn;
using test::Hex;
using test::WithCrc;

Bytes Ask(SimNode& node, const Bytes& request) {
  Bytes out;
  for (const ReplyChunk& c : node.HandleRequest(request)) out.insert(out.end(), c.bytes.begin(), c.bytes.end());
  return out;
}
Bytes Refusal(std::uint8_t function, std::uint8_t code) { return WithCrc({1, std::uint8_t(function | 0x80), code}); }

TEST(SimNode, ReadsInEveryByteOrderWithTheReferenceReplyInOrder0) {
  SimNode reference(1, 0);
  EXPECT_EQ(Ask(reference, Hex("01 03 00 18 00 12 45 C0")),
            Hex("01 03 24 40 80 00 00 42 C8 00 00 00 00 00 00 42 10 00 00 43 16 00 00 C2 48 00 00 "
                "00 00 00 00 42 C8 00 00 00 00 00 00 41 13"));
  for (unsigned order = 0; order < 4; ++order) {
    SimNode node(1, 0);
    node.SetByteOrder(order);
    const Bytes system = Ask(node, Hex("01 03 00 00 00 38 44 18"));
    ASSERT_EQ(system.size(), 117u) << order;
    EXPECT_EQ(system, WithCrc(Bytes(system.begin(), system.end() - 2)));
    const std::vector<float> all = FloatsIn(Ask(node, WithCrc(Hex("01 03 00 00 00 48"))), 3, 36, order);
    ASSERT_EQ(all.size(), 36u);
    EXPECT_EQ(std::vector<float>(all.begin(), all.begin() + 3), (std::vector<float>{230, 5, 3})) << order;
    EXPECT_EQ(std::vector<float>(all.begin() + 12, all.begin() + 21),
              (std::vector<float>{4, 100, 0, 36, 150, -50, 0, 100, 0}))
        << order;
    for (int n = 1; n <= 36; ++n) EXPECT_EQ(all[n - 1], node.Value(n)) << order << ' ' << n;
  }
}

TEST(SimNode, RefusesRequestsOutsideTheMapAndUnknownFunctions) {
  const std::pair<const char*, std::uint8_t> cases[] = {
      // code 0: answered
      {"01 03 00 47 00 01", 0}, {"01 03 00 48 00 01", 2}, {"01 03 00 00 00 49", 2},         {"01 03 00 46 00 04", 2},
      {"01 03 00 00 00 00", 3}, {"01 03 00 00 00 7E", 3}, {"01 04 00 00 00 02", 1},         {"01 06 00 46 00 00", 1},
      {"01 46 00 06 00 24", 2}, {"01 46 00 01 00 24", 2}, {"01 10 00 18 00 02 08 00 00", 3}};
  for (const auto& [text, code] : cases) {
    SimNode node;
    const Bytes request = WithCrc(Hex(text));
    const Bytes reply = Ask(node, request);
    if (code == 0)
      EXPECT_EQ(reply.at(1), 3) << text;
    else
      EXPECT_EQ(reply, Refusal(request[1], code)) << text;
  }
}

TEST(SimNode, PassCodeGuardsTheOutputSettings) {
  SimNode node(1, 0);
  const std::vector<float> settings = {1, 2, 3, 4, 5, 6, 7, 8, 9};
  const Bytes settingsWrite = WithCrc(Hex("01 10 00 18 00 12 24"), settings);
  const Bytes passReply = Hex("01 10 00 46 00 02 A0 1D");

  EXPECT_EQ(Ask(node, settingsWrite), Refusal(16, 2));
  EXPECT_EQ(Ask(node, WithCrc(Hex("01 10 00 46 00 02 04"), {31428})), passReply);
  EXPECT_FALSE(node.Unlocked());
  EXPECT_EQ(Ask(node, WithCrc(Hex("01 10 00 46 00 02 04"), {31427})), passReply);
  ASSERT_TRUE(node.Unlocked());

  EXPECT_EQ(Ask(node, settingsWrite), Hex("01 10 00 18 00 12 C0 03"));
  for (int n = 13; n <= 21; ++n) EXPECT_EQ(node.Value(n), settings[n - 13]) << n;
  EXPECT_EQ(Ask(node, WithCrc(Hex("01 10 00 00 00 02 04"), {400})), Refusal(16, 2));
  EXPECT_EQ(Ask(node, WithCrc(Hex("01 10 00 28 00 04 08"), {1, 2})), Refusal(16, 2));  // runs past value 21
  EXPECT_EQ(node.Value(1), 230.0f);

  EXPECT_EQ(Ask(node, Hex("01 10 00 46 00 02 04 00 00 00 00 77 B5")), passReply);  // release
  EXPECT_FALSE(node.Unlocked());
  EXPECT_EQ(Ask(node, settingsWrite), Refusal(16, 2));
}

TEST(SimNode, ChannelModeRepliesCarryChannelModeAndFullScale) {
  SimNode node;  // byte order 2
  node.SetChannelMode(2, 0, 10.0f);
  const char* requests[] = {"01 46 00 00 00 24 88 1E", "01 46 00 02 00 24 29 DE", "01 46 00 04 00 24 C9 DF"};
  const std::vector<float> expected[] = {{1, 1, 20, 0}, {2, 0, 10, 0}, {3, 0, 10, 0}};
  for (int ch = 0; ch < 3; ++ch) {
    const Bytes request = Hex(requests[ch]);
    const Bytes reply = Ask(node, request);
    ASSERT_EQ(reply.size(), 7u + 72 + 2) << ch;
    EXPECT_EQ(Bytes(reply.begin(), reply.begin() + 6), Bytes(request.begin(), request.begin() + 6));
    EXPECT_EQ(reply[6], 72);
    EXPECT_EQ(reply, WithCrc(Bytes(reply.begin(), reply.end() - 2)));
    EXPECT_EQ(FloatsIn(reply, 7, 4, 2), expected[ch]) << ch;
  }
  EXPECT_EQ(Ask(node, WithCrc(Hex("01 46 00 00 00 02"))).size(), 7u + 12 + 2);   // at least 3 floats
  EXPECT_EQ(Ask(node, WithCrc(Hex("01 46 00 00 00 FF"))).size(), 7u + 244 + 2);  // below 256 bytes
}

TEST(SimNode, SilentForOtherNodesBrokenFramesAndBroadcasts) {
  SimNode node(1, 0);
  for (const Bytes& frame : {WithCrc(Hex("02 03 00 00 00 38")), Hex("01 03 00 00 00 38 44 19"), Hex("01 03 00"),
                             WithCrc(Hex("00 03 00 00 00 38")), WithCrc(Hex("00 10 00 46 00 02 04"), {31427})})
    EXPECT_TRUE(node.HandleRequest(frame).empty());
  EXPECT_TRUE(node.Unlocked()) << "a broadcast write is applied";
  EXPECT_EQ(node.RequestsSeen(), 5u);
}

TEST(SimNode, FaultsRefuseOrSilenceTheRealAnswer) {
  const Bytes passWrite = WithCrc(Hex("01 10 00 46 00 02 04"), {31427}, 2);
  SimNode refusing, silent;
  refusing.Faults().exceptionCode = 4;
  EXPECT_EQ(Ask(refusing, passWrite), Refusal(16, 4));
  EXPECT_FALSE(refusing.Unlocked()) << "a refused write changes nothing";
  silent.Faults().silent = true;
  EXPECT_TRUE(silent.HandleRequest(passWrite).empty());
  EXPECT_TRUE(silent.Unlocked()) << "a silent node still acts";
}

TEST(SimReplyPlan, EachFaultShapesTheReply) {
  const Bytes request = Hex("01 10 00 46 00 02 04 00 00 00 00 77 B5");
  const Bytes reply = Hex("01 10 00 46 00 02 A0 1D");
  const Bytes otherNode = WithCrc(Hex("02 10 00 46 00 02"));
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

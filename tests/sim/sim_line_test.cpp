// A line of simulated nodes behind an in-memory line: each node answers its
// own number in its own byte order, and only at the settings it listens at.
#include <gtest/gtest.h>

#include "modbus/modbus_test_support.h"
#include "support/sim_line_peer.h"

namespace r742 {
namespace {

using test::Bytes;
using test::WithCrc;

TEST(SimLineNodes, EachAnswersItsOwnNumberOnlyAtItsOwnSettings) {
  SimLine nodes;
  nodes.Add(SimNode(1, 0));
  GiveMeterOfPlace(nodes.Add(SimNode(7, 1), {.baud = 9600, .stopBits = 1}), 1);
  GiveMeterOfPlace(nodes.Add(SimNode(9, 3), {.parity = 'E'}), 2);
  MemoryLine line{[] { return std::int64_t{0}; }};
  ConnectSimLine(line, nodes);
  const auto port = line.OpenProgramEnd();
  ASSERT_TRUE(port && port->SetCommTimeouts({.readTotalConstant = 100}));

  const LineSettings fast{.baud = 38400, .stopBits = 2}, slow{.baud = 9600}, slowEven{.baud = 9600, .parity = 'E'};
  const auto read = [](std::uint8_t node) { return WithCrc({node, 3, 0, 0, 0, 2}); };
  const std::tuple<LineSettings, Bytes, Bytes> exchanges[] = {
      {fast, read(1), WithCrc({1, 3, 4}, {230}, 0)},
      {fast, read(7), {}},  // node 7 listens at 9600 baud, one stop bit
      {slow, read(7), WithCrc({7, 3, 4}, {400}, 1)},
      {{.baud = 9600, .stopBits = 2}, read(7), {}},
      {slow, read(9), {}},  // node 9 listens at even parity
      {slowEven, read(9), WithCrc({9, 3, 4}, {120}, 3)},
      {slowEven, WithCrc({0, 16, 0, 70, 0, 2, 4}, {31427}, 1), {}},  // a broadcast goes unanswered
  };
  for (std::size_t i = 0; i < std::size(exchanges); ++i) {
    const auto& [settings, request, reply] = exchanges[i];
    std::uint8_t buffer[64];
    std::uint32_t written = 0, received = 0;
    ASSERT_TRUE(port->SetCommState(settings) && port->Write(request.data(), request.size(), written));
    ASSERT_TRUE(port->Read(buffer, sizeof buffer, received));
    EXPECT_EQ(Bytes(buffer, buffer + received), reply) << "exchange " << i;
  }
  // The broadcast pass code in node 7's order unlocked node 7 alone, which took in only the 4 requests at its settings.
  EXPECT_EQ(std::tuple(nodes.Node(0).Unlocked(), nodes.Node(1).Unlocked(), nodes.Node(2).Unlocked(),
                       nodes.Find(7)->RequestsSeen()),
            std::tuple(false, true, false, 4u));
}

}  // namespace
}  // namespace r742

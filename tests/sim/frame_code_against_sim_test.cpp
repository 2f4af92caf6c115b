// The program's own frame code talking to the simulated node over the
// in-memory line, with the reply read one response time after the request.
#include <gtest/gtest.h>

#include "memory_link.h"
#include "modbus/modbus_frame.h"
#include "modbus/float_codec.h"

namespace r742 {
namespace {

constexpr std::int64_t kResponseMs = 300;

class FrameCodeAgainstSim : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(port, nullptr);
    port->SetCommTimeouts({.readInterval = 20, .readTotalMultiplier = 1, .readTotalConstant = 1});
  }
  // Sends a request, reads the reply one response time later and takes an echo off.
  CModbusFrame Exchange(unsigned function, unsigned start, unsigned count, std::vector<float> payload = {}) {
    CModbusFrame request;
    for (float v : payload) request.AppendPayloadFloat(v, order);
    request.BuildRequest(function, 1, start, count);
    request.AppendCrc();
    const std::uint32_t sent = request.SendFrame(*port);
    const std::vector<std::uint8_t> copy(request.TransmitBytes(), request.TransmitBytes() + sent);
    now += kResponseMs;
    CModbusFrame reply;
    reply.ReceiveFrame(*port, 512);
    if (reply.MatchesSent(sent, copy)) reply.StripEcho(sent, 512);
    reply.CheckCrc();
    return reply;
  }
  void DrainLine() {  // whatever came too late for its read
    now += 10000;
    std::uint32_t ignored = 0;
    std::uint8_t bytes[1000];
    port->Read(bytes, sizeof bytes, ignored);
  }
  std::vector<float> Floats(const CModbusFrame& f) const {
    std::vector<float> out;
    for (std::uint32_t v : f.Values()) out.push_back(CFloatCodec().GetFloat(v));
    return out;
  }

  unsigned order = 2;
  std::int64_t now = 1000;
  MemoryLine line{[this] { return now; }};
  SimNode node{1, order};
  MemoryLink link{line, node};
  std::unique_ptr<ISerialPort> port = line.OpenProgramEnd();
};

// The node's own replies are tested with it; here the program's decoding meets them.
TEST_F(FrameCodeAgainstSim, ReadsSettingsAndChannelModesInTheNodesByteOrder) {
  CModbusFrame system = Exchange(3, 1, 28);
  ASSERT_EQ(system.Status(), 0);
  EXPECT_EQ(system.ReceivedCount(), 117u);
  system.ExtractValues(order);
  const auto settings = Floats(system);
  EXPECT_EQ(std::vector<float>(settings.begin(), settings.begin() + 3), (std::vector<float>{230, 5, 3}));
  for (unsigned channel = 1; channel <= 3; ++channel) {
    CModbusFrame mode = Exchange(70, channel, 18);
    ASSERT_EQ(mode.Status(), 0);
    mode.DecodeFrame(order);
    ASSERT_EQ(mode.ValueCount(), 18u);
    const auto v = Floats(mode);  // channel, mode, full scale
    EXPECT_EQ(std::vector<float>(v.begin(), v.begin() + 3),
              (std::vector<float>{float(channel), channel == 3 ? 0.0f : 1.0f, channel == 3 ? 10.0f : 20.0f}));
  }
}

TEST_F(FrameCodeAgainstSim, EachFaultIsCaughtByTheReplyChecks) {
  const struct { const char* name; SimFaults faults; bool passes; } cases[] = {
      {"echo is taken off", {.echo = true}, true},
      {"echo of a silent node leaves nothing", {.echo = true, .silent = true}, false},
      {"silent", {.silent = true}, false},
      {"wrong CRC", {.badCrc = true}, false},
      {"exception", {.exceptionCode = 4}, false},
      {"truncated", {.truncate = 3}, false},
      {"garbage before", {.garbageBefore = 2}, false},
      {"garbage after", {.garbageAfter = 1}, false},
      {"split across the read's quiet gap", {.delayMs = 290, .splitGapMs = 60}, false},
      {"split but whole before the read", {.delayMs = 5, .splitGapMs = 60}, true},
      {"too late for the read", {.delayMs = kResponseMs + 600}, false},
      {"wrong node: a good frame of its own", {.wrongNode = true}, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    node.Faults() = c.faults;
    DrainLine();
    const CModbusFrame reply = Exchange(3, 13, 9);
    EXPECT_EQ(reply.ReceivedCount() != 0 && reply.ExceptionCode() == 0 && reply.Status() == 0, c.passes);
    if (c.passes) {
      EXPECT_EQ(reply.ReplyNode(), c.faults.wrongNode ? 2u : 1u);
    }
  }
}

}  // namespace
}  // namespace r742

// The node served on a real pseudo-terminal; the test plays the program on
// the slave side.
#include "line_server.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <fstream>
#include <regex>

#include "modbus/modbus_test_support.h"
#include "pseudo_terminal.h"

namespace r742 {
namespace {

using test::Bytes;
using test::Hex;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr milliseconds kDeadline{5000};
const Bytes kRequest = Hex("01 03 00 18 00 12 45 C0");

class SimLineServer : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(pty.Open(error)) << error;
    program = open(pty.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(program, 0);
  }
  void TearDown() override {
    if (server) server->Stop();
    close(program);
  }
  void Serve(SimFaults faults, FrameLog* log = nullptr) {
    node.Faults() = faults;
    server = std::make_unique<LineServer>(node, pty.MasterFd(), LineServerOptions{.log = log});
    ASSERT_TRUE(server->Start());
  }
  void Send(const Bytes& bytes) { ASSERT_EQ(write(program, bytes.data(), bytes.size()), ssize_t(bytes.size())); }
  // `count` bytes, or what came before the deadline.
  Bytes Receive(std::size_t count) {
    Bytes out;
    for (const auto deadline = Clock::now() + kDeadline; out.size() < count && Clock::now() < deadline;) {
      pollfd p{program, POLLIN, 0};
      if (poll(&p, 1, 100) <= 0) continue;
      std::uint8_t buffer[256];
      const ssize_t n = read(program, buffer, std::min(sizeof buffer, count - out.size()));
      if (n > 0) out.insert(out.end(), buffer, buffer + n);
    }
    return out;
  }

  PseudoTerminal pty;
  SimNode node{1, 0};
  std::unique_ptr<LineServer> server;
  int program = -1;
};

TEST_F(SimLineServer, AnswersEachRequestUnalteredAndLogsTheFrames) {
  const std::string logPath = testing::TempDir() + "r742-sim-frames-" + std::to_string(getpid()) + ".log";
  FrameLog log;
  ASSERT_TRUE(log.Open(logPath));
  Serve({}, &log);
  Send(kRequest);
  EXPECT_EQ(Receive(41), Hex("01 03 24 40 80 00 00 42 C8 00 00 00 00 00 00 42 10 00 00 43 16 00 00 C2 48 00 00 "
                             "00 00 00 00 42 C8 00 00 00 00 00 00 41 13"));
  // Bytes a terminal would act on (interrupt, carriage return, XON/XOFF) pass both ways.
  Send(test::WithCrc(Hex("01 10 00 46 00 02 04 03 0D 11 13")));
  EXPECT_EQ(Receive(8), Hex("01 10 00 46 00 02 A0 1D"));
  Send(test::WithCrc(Hex("01 03 00 46 00 02")));
  EXPECT_EQ(Receive(9), test::WithCrc(Hex("01 03 04 03 0D 11 13")));

  server->Stop();
  EXPECT_EQ(server->FramesHandled(), 3u);
  std::ifstream in(logPath);
  std::string rx, tx;
  std::getline(in, rx);
  std::getline(in, tx);
  EXPECT_TRUE(std::regex_match(rx, std::regex(R"(\d+\.\d{3} RX 01 03 00 18 00 12 45 C0)"))) << rx;
  EXPECT_TRUE(std::regex_match(tx, std::regex(R"(\d+\.\d{3} TX 01 03 24 40 80 .* 41 13)"))) << tx;
  std::remove(logPath.c_str());
}

TEST_F(SimLineServer, SplitReplyLeavesAGapAfterItsFirstHalf) {
  Serve({.echo = true, .splitGapMs = 60});
  Send(kRequest);
  const Bytes head = Receive(8 + 20);
  ASSERT_EQ(head.size(), 28u);
  const auto firstHalf = Clock::now();
  EXPECT_EQ(Receive(21).size(), 21u);
  EXPECT_GE(Clock::now() - firstHalf, milliseconds(30)) << "the program must see more than 20 ms of quiet";
  EXPECT_EQ(Bytes(head.begin(), head.begin() + 8), kRequest);
}

TEST_F(SimLineServer, StopsPromptlyDuringALongReplyDelay) {
  Serve({.echo = true, .delayMs = 600'000});
  Send(kRequest);
  ASSERT_EQ(Receive(8).size(), 8u);  // the echo: the server now waits to reply
  const auto start = Clock::now();
  server->Stop();
  EXPECT_LT(Clock::now() - start, kDeadline);
}

}  // namespace
}  // namespace r742

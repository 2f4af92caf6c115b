// The window against r742-node-sim on a real pseudo-terminal: every fault the
// node can put on the line, against Read, Send and Release. The window runs on
// the headless backend's virtual clock; only the port's own reads take real time.
// The simulator's frame log is the witness of what reached the node.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <functional>

#include "frame_log.h"
#include "modbus/modbus_test_support.h"
#include "sequencer/operation_fixture.h"
#include "sim/child_process.h"
#include "ui/window_fixture.h"

namespace r742::test {
namespace {

using simtest::ChildProcess;
using simtest::Clock;
using namespace std::chrono_literals;

const Bytes kPassCode = Hex("01 10 00 46 00 02 04 86 00 46 F5 AC DA");

enum class Op { Read, Send, Release };

int ButtonOf(Op op) { return op == Op::Read ? IDC_READ : op == Op::Send ? IDC_SEND : IDC_RELEASE; }

class PtyNodeTest : public MainWindowTest {
 protected:
  void SetUp() override {
    logPath = ::testing::TempDir() + "r742_pty_" + ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::replace(logPath.begin() + static_cast<std::ptrdiff_t>(::testing::TempDir().size()), logPath.end(), '/', '_');
    std::remove((logPath + ".frames").c_str());
    std::remove((logPath + ".txt").c_str());
    dlg.m_strLogFileName = logPath + ".txt";
    StartNode(sim);
  }
  void TearDown() override {
    if (window && !window->Ended()) window->Click(kIdCancel);
    unsetenv("R742_COM1");
  }

  // A node on a new pseudo-terminal, which COM1 then names.
  void StartNode(ChildProcess& node) {
    ASSERT_TRUE(node.Start({R742_NODE_SIM_PATH, "--pty", "--control", "--log", logPath + ".frames"}, true));
    pty = node.FirstLine(Clock::now() + 10s);
    ASSERT_TRUE(pty.starts_with("/dev/")) << node.Output();
    setenv("R742_COM1", pty.c_str(), 1);
  }

  // The node answers the next requests with these faults. The node takes the
  // line only once no reply of its is due, so nothing of before is still coming.
  void SetFaults(const std::string& faults) {
    ASSERT_TRUE(sim.WriteLine(faults));
    ASSERT_TRUE(sim.AwaitLine("faults: " + faults, Clock::now() + 10s)) << sim.Output();
  }

  void OpenWithRead() {
    Open("COM1 38400 N 8 2 1 300 2");
    ASSERT_EQ(RunToIdle().back().second, "Ready");
    ASSERT_EQ(Text(IDC_SYS_VOLTS), "230.0");
  }

  // The requests the node received, from the `skipped`-th on.
  std::vector<Bytes> Received(std::size_t skipped = 0) const {
    std::vector<Bytes> frames;
    for (const LoggedFrame& f : ReadFrameLogFile(logPath + ".frames"))
      if (f.direction == FrameLog::Direction::kReceived) frames.push_back(f.bytes);
    frames.erase(frames.begin(), frames.begin() + static_cast<std::ptrdiff_t>(std::min(skipped, frames.size())));
    return frames;
  }

  // A Read on a line without faults works and fills the window again.
  void ExpectReadWorks() {
    const std::size_t frames = Received().size();
    window->Click(IDC_READ);
    EXPECT_EQ(RunToIdle().back().second, "Ready");
    EXPECT_EQ(Text(IDC_SYS_VOLTS), "230.0");
    EXPECT_EQ(Rows(IDC_CHANNEL_LIST), (std::vector<std::string>{"V L1-2", "Hz", "OFF"}));
    EXPECT_EQ(Received(frames), ReadFrames());
  }

  std::string logPath, pty;
  ChildProcess sim;
};

struct LineFault {
  const char *name, *options;  // options: for the node's control input
};

void PrintTo(const LineFault& fault, std::ostream* out) { *out << fault.options; }

// The reply tick reads for at most 513 ms (1 ms per byte asked for, plus 1):
// 900 ms is later than any response time the window waits.
const LineFault kFaults[] = {
    // clang-format off
    {"Silence", "--silent"}, {"WrongCrc", "--bad-crc"}, {"Exception", "--exception 2"},
    {"LaterThanTheResponseTime", "--delay 900"}, {"Truncated", "--truncate 1"},
    {"GarbageBefore", "--garbage-before 3"}, {"GarbageAfter", "--garbage-after 2"},
    {"SplitReply", "--split-gap 50"}, {"AnotherNode", "--wrong-node"},
    // clang-format on
};

// Each operation ends at its first reply: what it shows, logs and sends.
struct FirstReplyFailure {
  Op op;
  const char* step;
  std::vector<std::string> log;
  Bytes frame;
};

class FaultMatrixTest : public PtyNodeTest, public ::testing::WithParamInterface<std::tuple<LineFault, int>> {};

TEST_P(FaultMatrixTest, TheOperationEndsAtTheBadReplyAndAReadWorksOnceTheFaultIsGone) {
  const auto& [fault, which] = GetParam();
  const FirstReplyFailure failures[] = {
      {Op::Read, "Getting System Settings", {"Getting System Settings", kNoReply}, kReadSystem},
      {Op::Send, "Setting Node's Pass Code", {"Setting Node's Pass Code", kNoReply}, kPassCode},
      {Op::Release, "Setting Node's Pass Code", {"Setting Node's Pass Code", kNoReply, "Disconnected"}, kRelease}};
  const FirstReplyFailure& expected = failures[which];
  OpenWithRead();
  const std::size_t framesBefore = Received().size(), rowsBefore = LogRows().size();
  SetFaults(fault.options);

  window->Click(ButtonOf(expected.op));
  EXPECT_EQ(RunToIdle(),
            (Timeline{{300, std::string(expected.step) + " - Please Wait"}, {600, kNoReply}, {1600, "Ready"}}));
  const std::vector<std::string> rows = LogRows();
  EXPECT_EQ(std::vector<std::string>(rows.begin() + static_cast<std::ptrdiff_t>(rowsBefore), rows.end()), expected.log);
  SetFaults("");  // also waits until the node had the last word
  EXPECT_EQ(Received(framesBefore), std::vector<Bytes>{expected.frame});
  EXPECT_EQ(dlg.IsPortOpen(), expected.op != Op::Release);
  EXPECT_TRUE(Enabled(IDC_READ) && Enabled(IDC_SEND) && Enabled(IDC_RELEASE));

  ExpectReadWorks();
}

// Every fault against Read, and against Send or Release in turn.
std::vector<std::tuple<LineFault, int>> MatrixCases() {
  std::vector<std::tuple<LineFault, int>> cases;
  for (std::size_t i = 0; i < std::size(kFaults); ++i) {
    cases.emplace_back(kFaults[i], 0);
    cases.emplace_back(kFaults[i], 1 + static_cast<int>(i % 2));
  }
  return cases;
}

std::string CaseName(const ::testing::TestParamInfo<std::tuple<LineFault, int>>& info) {
  const char* const ops[] = {"Read", "Send", "Release"};
  return std::string(std::get<0>(info.param).name) + ops[std::get<1>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(Line, FaultMatrixTest, ::testing::ValuesIn(MatrixCases()), CaseName);

}  // namespace
}  // namespace r742::test

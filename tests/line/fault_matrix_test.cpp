// The window against r742-node-sim on a real pseudo-terminal: every fault the
// node can put on the line, against Read, Send and Release, then the line
// pulled out from under an operation, a port held by another program, and a
// long run of operations with faults drawn at random. The window runs on the
// headless backend's virtual clock; only the port's own reads take real time.
// The simulator's frame log is the witness of what reached the node.
#include <gtest/gtest.h>

#include <dirent.h>
#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <functional>
#include <random>
#include <thread>

#include "frame_log.h"
#include "modbus/modbus_test_support.h"
#include "modbus/traffic_text.h"
#include "sequencer/operation_fixture.h"
#include "sim/child_process.h"
#include "ui/window_fixture.h"

namespace r742::test {
namespace {

using simtest::ChildProcess;
using simtest::Clock;
using namespace std::chrono_literals;

const Bytes kPassCode = Hex("01 10 00 46 00 02 04 86 00 46 F5 AC DA");
// The node's output settings as it starts, written back unchanged by a Send.
const Bytes kOutputWrite = WithCrc(Hex("01 10 00 18 00 12 24"), {4, 100, 0, 36, 150, -50, 0, 100, 0}, 2);
const std::vector<std::string> kReadLog = {"Getting System Settings", "Getting Channel 1's Mode",
                                           "Getting Channel 2's Mode", "Getting Channel 3's Mode",
                                           "Reading Node's Output Settings"};

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

  // Whether this process still holds the pseudo-terminal open.
  bool HoldsPty() const {
    DIR* fds = opendir("/proc/self/fd");
    bool held = false;
    while (dirent* e = fds ? readdir(fds) : nullptr) {
      char target[256] = {};
      const std::string link = std::string("/proc/self/fd/") + e->d_name;
      if (readlink(link.c_str(), target, sizeof target - 1) > 0 && pty == target) held = true;
    }
    if (fds) closedir(fds);
    return held;
  }

  // The log rows an operation added.
  std::vector<std::string> RowsSince(std::size_t before) const {
    const std::vector<std::string> rows = LogRows();
    return {rows.begin() + static_cast<std::ptrdiff_t>(std::min(before, rows.size())), rows.end()};
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
  const char* name;
  const char* options;  // for the node's control input
  bool operationsWork;  // the window copes with it
};

void PrintTo(const LineFault& fault, std::ostream* out) { *out << fault.options; }

// What an operation shows and sends, first on a good line, then failing at its first reply.
struct Outcome {
  Timeline timeline;
  std::vector<std::string> log;
  std::vector<Bytes> frames;
};

Outcome Succeeding(Op op) {
  switch (op) {
    case Op::Read: return {ReadTimeline(300, 300), kReadLog, ReadFrames()};
    case Op::Send: {
      Timeline t = {{300, "Setting Node's Pass Code - Please Wait"},
                    {900, "Updating Node's Output Settings - Please Wait"}};
      for (const auto& [ms, text] : ReadTimeline(1500, 300)) t.emplace_back(ms, text);
      std::vector<std::string> log = {"Setting Node's Pass Code", "Updating Node's Output Settings"};
      log.insert(log.end(), kReadLog.begin(), kReadLog.end());
      std::vector<Bytes> frames = {kPassCode, kOutputWrite};
      for (const Bytes& f : ReadFrames()) frames.push_back(f);
      return {t, log, frames};
    }
    case Op::Release:
      return {{{300, "Setting Node's Pass Code - Please Wait"}, {1600, "Ready"}},
              {"Setting Node's Pass Code", "Disconnected"},
              {kRelease}};
  }
  return {};
}

Outcome FailingAtFirstReply(Op op) {
  switch (op) {
    case Op::Read:
      return {{{300, "Getting System Settings - Please Wait"}, {600, kNoReply}, {1600, "Ready"}},
              {"Getting System Settings", kNoReply},
              {kReadSystem}};
    case Op::Send:
      return {{{300, "Setting Node's Pass Code - Please Wait"}, {600, kNoReply}, {1600, "Ready"}},
              {"Setting Node's Pass Code", kNoReply},
              {kPassCode}};
    case Op::Release:
      return {{{300, "Setting Node's Pass Code - Please Wait"}, {600, kNoReply}, {1600, "Ready"}},
              {"Setting Node's Pass Code", kNoReply, "Disconnected"},
              {kRelease}};
  }
  return {};
}

// The reply tick reads for at most 513 ms (1 ms per byte asked for, plus 1):
// 900 ms is later than any response time the window waits.
const LineFault kFaults[] = {
    {"Echo", "--echo", true},
    {"Silence", "--silent", false},
    {"WrongCrc", "--bad-crc", false},
    {"Exception", "--exception 2", false},
    {"LaterThanTheResponseTime", "--delay 900", false},
    {"Truncated", "--truncate 1", false},
    {"GarbageBefore", "--garbage-before 3", false},
    {"GarbageAfter", "--garbage-after 2", false},
    {"SplitReply", "--split-gap 50", false},
    {"AnotherNode", "--wrong-node", false},
};

class FaultMatrixTest : public PtyNodeTest, public ::testing::WithParamInterface<std::tuple<LineFault, Op>> {};

TEST_P(FaultMatrixTest, TheWindowShowsTheFaultAndWorksOnceItIsGone) {
  const auto& [fault, op] = GetParam();
  OpenWithRead();
  const std::size_t framesBefore = Received().size(), rowsBefore = LogRows().size();
  SetFaults(fault.options);

  window->Click(ButtonOf(op));
  const Outcome expected = fault.operationsWork ? Succeeding(op) : FailingAtFirstReply(op);
  EXPECT_EQ(RunToIdle(), expected.timeline);
  EXPECT_EQ(RowsSince(rowsBefore), expected.log);
  SetFaults("");  // also waits until the node had the last word
  EXPECT_EQ(Received(framesBefore), expected.frames);
  EXPECT_EQ(dlg.IsPortOpen(), op != Op::Release);
  EXPECT_EQ(Text(IDC_STATUS_LEFT), op == Op::Release ? "No Port Open" : "COM1: baud=38400 parity=N data=8 stop=2");
  EXPECT_TRUE(Enabled(IDC_READ) && Enabled(IDC_SEND) && Enabled(IDC_RELEASE));

  ExpectReadWorks();
  window->Click(kIdCancel);
  EXPECT_TRUE(window->Ended());
  EXPECT_FALSE(HoldsPty());
}

INSTANTIATE_TEST_SUITE_P(Line, FaultMatrixTest,
                         ::testing::Combine(::testing::ValuesIn(kFaults),
                                            ::testing::Values(Op::Read, Op::Send, Op::Release)),
                         [](const auto& info) {
                           const Op op = std::get<1>(info.param);
                           return std::string(std::get<0>(info.param).name) + (op == Op::Read   ? "Read"
                                                                               : op == Op::Send ? "Send"
                                                                                                : "Release");
                         });

// Waits in real time, for what another process does.
bool WaitFor(const std::function<bool()>& done, Clock::duration limit) {
  for (const auto deadline = Clock::now() + limit; !done();) {
    if (Clock::now() > deadline) return false;
    std::this_thread::yield();
  }
  return true;
}

// The adapter pulled out while the node works on a request: the read error is
// a reply that never came. The port stays open until Release; a fresh open
// then finds it gone, and a node on another port is read without a restart.
TEST_F(PtyNodeTest, TheLineVanishingMidReadEndsTheReadAndAFreshOpenFindsThePortGone) {
  OpenWithRead();
  window->Click(IDC_READ);
  const std::size_t rowsBefore = LogRows().size();
  ASSERT_TRUE(
      platform.AdvanceUntil([&] { return Text(IDC_STATUS_RIGHT) == "Getting Channel 1's Mode - Please Wait"; }, 5000));
  platform.Advance(*platform.NextTimerDue() - platform.Now());  // channel 1's reply
  SetFaults("--delay 5000");
  const std::size_t framesBefore = Received().size();
  platform.Advance(*platform.NextTimerDue() - platform.Now());  // channel 2's request
  ASSERT_TRUE(WaitFor([&] { return Received().size() == framesBefore + 1; }, 10s));
  sim.Signal(SIGKILL);
  sim.Wait(Clock::now() + 10s);

  EXPECT_EQ(RunToIdle(), (Timeline{{300, kNoReply}, {1300, "Ready"}}));
  EXPECT_EQ(RowsSince(rowsBefore), (std::vector<std::string>{"Getting System Settings", "Getting Channel 1's Mode",
                                                             "Getting Channel 2's Mode", kNoReply}));
  EXPECT_TRUE(dlg.IsPortOpen());

  window->Click(IDC_READ);
  EXPECT_EQ(RunToIdle(), (Timeline{{300, "Com Port Error or Port Not Setup"}, {600, kNoReply}, {1600, "Ready"}}));
  window->Click(IDC_RELEASE);
  RunToIdle();
  EXPECT_FALSE(dlg.IsPortOpen());
  EXPECT_FALSE(HoldsPty());
  window->Click(IDC_READ);
  EXPECT_EQ(Text(IDC_STATUS_RIGHT), "CreateFile");
  EXPECT_EQ(Text(IDC_STATUS_LEFT), "No Port Open");
  EXPECT_FALSE(platform.NextTimerDue().has_value());

  ChildProcess replacement;
  StartNode(replacement);
  ExpectReadWorks();
}

TEST_F(PtyNodeTest, APortHeldByAnotherProgramIsReportedAndTakenOnceFree) {
  ChildProcess holder;
  ASSERT_TRUE(holder.Start({"flock", "--nonblock", "--no-fork", pty, "sh", "-c", "echo held; exec cat"}, true));
  ASSERT_EQ(holder.FirstLine(Clock::now() + 10s), "held");
  Open("COM1 38400 N 8 2 1 300 2");
  EXPECT_EQ(Text(IDC_STATUS_RIGHT), "CreateFile");
  EXPECT_EQ(Text(IDC_STATUS_LEFT), "No Port Open");
  EXPECT_EQ(RunToIdle(), Timeline{});
  EXPECT_TRUE(Enabled(IDC_READ));

  holder.Signal(SIGKILL);
  holder.Wait(Clock::now() + 10s);
  ExpectReadWorks();
  EXPECT_EQ(Received(), ReadFrames());
}

// Whether `frames` could be what `op` writes: a beginning of its requests,
// with a finite value in every float and a catalogue code in every code.
bool AskedFor(Op op, const std::vector<Bytes>& frames) {
  std::vector<Bytes> allowed = ReadFrames();
  if (op == Op::Release) allowed = {kRelease};
  if (op == Op::Send) allowed.insert(allowed.begin(), {kPassCode, {}});
  if (frames.size() > allowed.size()) return false;
  for (std::size_t i = 0; i < frames.size(); ++i) {
    if (op == Op::Send && i == 1) {
      if (frames[1].size() != kOutputWrite.size() ||
          !std::equal(kOutputWrite.begin(), kOutputWrite.begin() + 7, frames[1].begin()))
        return false;
      if (WithCrc(Bytes(frames[1].begin(), frames[1].end() - 2)) != frames[1]) return false;
      const std::vector<float> values = FloatsIn(frames[1], 7, 9, 2);
      for (std::size_t k = 0; k < values.size(); ++k) {
        if (!std::isfinite(values[k])) return false;
        const bool isCode = k % 3 == 0;
        if (isCode && (values[k] != std::floor(values[k]) || values[k] < 0 || values[k] > 49)) return false;
      }
      continue;
    }
    if (frames[i] != allowed[i]) return false;
  }
  return true;
}

// Operations with faults drawn at random (R742_SOAK_SEED picks another draw):
// each reaches "Ready", nothing reaches the node that the operation did not
// ask for, and the appended log file has every request that was logged.
TEST_F(PtyNodeTest, SoakOfRandomOperationsOnAFaultyLine) {
  const char* seedText = std::getenv("R742_SOAK_SEED");
  const unsigned seed = seedText ? static_cast<unsigned>(std::strtoul(seedText, nullptr, 10)) : 742u;
  RecordProperty("seed", static_cast<int>(seed));
  std::mt19937 random(seed);
  OpenWithRead();
  window->Click(IDC_SHOW_MODBUS);

  constexpr int kOperations = 200;
  int failed = 0;
  for (int i = 0; i < kOperations; ++i) {
    const std::size_t pick = random() % (std::size(kFaults) * 2);
    const std::string faults = pick < std::size(kFaults) ? kFaults[pick].options : "";
    const Op op = static_cast<Op>(random() % 3);
    SCOPED_TRACE("operation " + std::to_string(i) + " (seed " + std::to_string(seed) + "), faults '" + faults + "'");
    SetFaults(faults);
    const std::size_t framesBefore = Received().size();
    std::size_t fileBefore = 0;
    std::string logLine;
    for (std::ifstream file(dlg.m_strLogFileName); std::getline(file, logLine);) ++fileBefore;

    window->Click(ButtonOf(op));
    const Timeline timeline = RunToIdle();
    ASSERT_FALSE(platform.NextTimerDue().has_value());
    ASSERT_EQ(Text(IDC_STATUS_RIGHT), "Ready");
    if (std::find_if(timeline.begin(), timeline.end(), [](const auto& t) { return t.second == kNoReply; }) !=
        timeline.end())
      ++failed;

    SetFaults("");  // the node has had its last word
    const std::vector<Bytes> frames = Received(framesBefore);
    ASSERT_TRUE(AskedFor(op, frames)) << ::testing::PrintToString(frames);
    std::vector<std::string> requestsInFile;
    std::size_t lineNo = 0;
    for (std::ifstream file(dlg.m_strLogFileName); std::getline(file, logLine);)
      if (lineNo++ >= fileBefore && logLine.starts_with("Modbus >> ")) requestsInFile.push_back(logLine);
    std::vector<std::string> requestsSent;
    for (const Bytes& f : frames)
      if (f != kPassCode) requestsSent.push_back(HexLine(">>", f));
    ASSERT_EQ(requestsInFile, requestsSent);
  }
  RecordProperty("failedOperations", failed);
  EXPECT_GT(failed, 0);
  window->Click(kIdCancel);
  EXPECT_FALSE(HoldsPty());
}

}  // namespace
}  // namespace r742::test

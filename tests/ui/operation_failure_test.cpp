// What ends an operation early, and what the window shows then.
#include <gtest/gtest.h>

#include <functional>

#include "operation_fixture.h"

namespace r742::test {
namespace {

struct LineCase {
  const char* name;
  std::function<void(OperationTest&)> arrange;
  int failingExchange;  // 1 system settings, 2..4 channel modes, 5 output settings
  const char* reason;   // the event log's row after the failure
};

class LineFaultTest : public OperationTest, public ::testing::WithParamInterface<LineCase> {};

TEST_P(LineFaultTest, ReadEndsAtTheBadReplyAndTheNextReadWorks) {
  const LineCase& c = GetParam();
  c.arrange(*this);
  OpenLinked();
  Timeline expected = ReadTimeline(300, 300);
  expected.resize(static_cast<std::size_t>(c.failingExchange));
  const std::uint64_t replyTick = 600 * static_cast<std::uint64_t>(c.failingExchange);
  expected.emplace_back(replyTick, kNoReply);
  expected.emplace_back(replyTick + 1000, "Ready");
  EXPECT_EQ(RunToIdle(), expected);
  EXPECT_EQ(LastLogRows(2), (Strings{kNoReply, c.reason}));
  EXPECT_EQ(line.Written().size(), static_cast<std::size_t>(c.failingExchange));
  if (c.failingExchange == 1) {
    EXPECT_EQ(Text(IDC_SYS_VOLTS), "");  // nothing of a bad reply is applied
  }
  EXPECT_TRUE(dlg.IsPortOpen() && Enabled(IDC_READ));

  node.Faults() = SimFaults{};
  scripted.clear();
  window->Click(IDC_READ);
  RunToIdle();
  EXPECT_EQ(LogRows().back() + Text(IDC_SYS_VOLTS), "Reading Node's Output Settings230.0");
}

std::function<void(OperationTest&)> Answer(const Bytes& request, Bytes reply) {
  return [=](OperationTest& t) { t.AnswerRequestWith(request, reply); };
}
std::function<void(OperationTest&)> Node(SimFaults faults) {
  return [=](OperationTest& t) { t.node.Faults() = faults; };
}

// Every kind of reply fault is judged in the node exchange's own table, and Send and
// Release meet the plain ones below; here the ways a Read meets a fault, at the
// exchange where it ends the Read. A late reply stands for silence too.
const LineCase kLineCases[] = {
    // The read at the reply tick waits up to 513 ms (1 ms per byte asked for, plus 1) for a first byte.
    {"LaterThanTheReadWaits", Node({.delayMs = 300 + 514}), 1, "no reply in 300 ms"},
    {"SplitByAGapDuringTheRead", Node({.delayMs = 290, .splitGapMs = 50}), 1, "reply incomplete: 58 of 117 bytes"},
    {"SystemReplyWithTwoValues", Answer(kReadSystem, WithCrc(Hex("01 03 08"), {230, 5}, 2)), 1,
     "reply too short (13 bytes)"},
    {"ChannelReplyWhoseOwnCountDisagrees", Answer(kReadChannel1, WithCrc(Hex("01 46 00 00 00 24 10"), {1, 1, 20}, 2)),
     2, "reply too short (21 bytes)"},
    {"OutputReplyWithEightValues", Answer(kReadOutputs, WithCrc(Hex("01 03 20"), {4, 100, 0, 36, 150, -50, 0, 100}, 2)),
     5, "reply too short (37 bytes)"},
};

INSTANTIATE_TEST_SUITE_P(Faults, LineFaultTest, ::testing::ValuesIn(kLineCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Send and Release end at a bad reply to their first request alike: nothing more is written.
class FirstReplyTest : public OperationTest,
                       public ::testing::WithParamInterface<std::tuple<int, SimFaults, const char*>> {};

TEST_P(FirstReplyTest, SendAndReleaseEndAtABadFirstReply) {
  const auto& [button, faults, reason] = GetParam();
  OpenLinked();
  RunToIdle();
  const std::size_t framesBefore = line.Written().size(), rowsBefore = LogRows().size();
  node.Faults() = faults;
  window->Click(button);
  EXPECT_EQ(RunToIdle(), (Timeline{{300, "Setting Node's Pass Code - Please Wait"}, {600, kNoReply}, {1600, "Ready"}}));
  Strings rows = LogRows();
  rows.erase(rows.begin(), rows.begin() + static_cast<std::ptrdiff_t>(rowsBefore));
  Strings expected{"Setting Node's Pass Code", kNoReply, reason};
  if (button == IDC_RELEASE) expected.push_back("Disconnected");
  EXPECT_EQ(rows, expected);
  EXPECT_EQ(WrittenAfter(framesBefore).size(), 1u);
  EXPECT_EQ(dlg.IsPortOpen(), button == IDC_SEND);
  EXPECT_TRUE(Enabled(IDC_READ) && Enabled(IDC_SEND) && Enabled(IDC_RELEASE));
}

INSTANTIATE_TEST_SUITE_P(Faults, FirstReplyTest,
                         ::testing::Values(std::tuple{IDC_SEND, SimFaults{.silent = true}, "no reply in 300 ms"},
                                           std::tuple{IDC_SEND, SimFaults{.exceptionCode = 2},
                                                      "exception 02 from node 1"},
                                           std::tuple{IDC_RELEASE, SimFaults{.badCrc = true}, "CRC error"},
                                           std::tuple{IDC_RELEASE, SimFaults{.wrongNode = true}, "reply from node 2"}));

TEST_F(OperationTest, ReadSucceedsThroughAnEchoingLineAndShowsAnUnknownWiringTypeAsBlank) {
  node.Faults().echo = true;
  node.Faults().delayMs = 250;
  node.SetValue(3, 7.0f);
  OpenLinked();
  RunToIdle();
  EXPECT_EQ(LogRows().back() + Text(IDC_STATUS_RIGHT), "Reading Node's Output SettingsReady");
  EXPECT_EQ(Text(IDC_SYS_VOLTS) + '|' + Text(IDC_SYS_AMPS) + '|' + Text(IDC_SYS_TYPE) + '|' + Text(IDC_SYS_WATTS),
            "230.0|5.000||");
  EXPECT_EQ(Rows(IDC_CHANNEL_LIST), (Strings{"V L1-2", "Hz", "OFF"}));
}

// The reply tick's read waits for a reply that starts after the response time.
TEST_F(OperationTest, AReplyLaterThanTheResponseTimeIsReadWhileTheReadWaits) {
  node.Faults().delayMs = 700;
  OpenLinked();
  EXPECT_EQ(RunToIdle(), ReadTimeline(300, 300));
}

// A write the port refuses ends the operation and keeps the port. The adapter pulled
// out while a reply is awaited, then while a request is written, ends it as on any
// fault, the port is closed with one row saying why, and the next Read, once it is
// back, opens it again by itself.
TEST_F(OperationTest, ARefusedWriteKeepsThePortAnUnpluggedAdapterIsClosedUntilTheNextRead) {
  const Timeline writeFailed{{300, "Com Port Error or Port Not Setup"}, {600, kNoReply}, {1600, "Ready"}};
  line.SetWriteFails(true);
  OpenLinked();
  window->Click(IDC_SHOW_MODBUS);
  EXPECT_EQ(RunToIdle(), writeFailed);
  // A request that never left gives no traffic line.
  EXPECT_EQ(LogRows(),
            (Strings{"Com Port Error or Port Not Setup", "COM1: Input/output error", kNoReply, "no reply in 300 ms"}));
  EXPECT_EQ(Text(IDC_STATUS_LEFT), "COM1: baud=38400 parity=N data=8 stop=2");

  line.SetWriteFails(false);
  window->Click(IDC_READ);
  platform.Advance(350);  // the first request is out
  line.Unplug();
  EXPECT_EQ(RunToIdle(), (Timeline{{250, kNoReply}, {1250, "Ready"}}));
  EXPECT_EQ(Text(IDC_STATUS_LEFT), "No Port Open");
  EXPECT_EQ(LastLogRows(3),
            (Strings{kNoReply, "COM1: Input/output error", "COM1 is gone - unplugged? The next Read opens it again"}));
  EXPECT_FALSE(line.ProgramEndOpen());

  window->Click(IDC_READ);  // still out: the opening fails as for any missing port
  EXPECT_EQ(std::pair(Text(IDC_STATUS_RIGHT), LogRows().back()),
            std::pair(std::string("CreateFile"), std::string("COM1: No such file or directory")));
  line.PlugIn();
  window->Click(IDC_READ);
  EXPECT_EQ(RunToIdle(), ReadTimeline(300, 300));
  EXPECT_EQ(Text(IDC_STATUS_LEFT), "COM1: baud=38400 parity=N data=8 stop=2");

  line.Unplug();  // now the write fails: no traffic line for it
  line.PlugIn();
  window->Click(IDC_READ);
  EXPECT_EQ(RunToIdle(), writeFailed);
  EXPECT_EQ(LastLogRows(5),
            (Strings{"Com Port Error or Port Not Setup", "COM1: Input/output error", kNoReply,
                     "COM1: Input/output error", "COM1 is gone - unplugged? The next Read opens it again"}));
  EXPECT_EQ(Text(IDC_STATUS_LEFT), "No Port Open");
}

// What cannot be sent never leaves: a frequency channel without span stops Send before
// the pass code, or (taken away after the press) before the write; an empty list after it.
TEST_F(OperationTest, AFrequencyChannelWithoutSpanOrAnEmptyListIsNeverSent) {
  node.SetValue(17, 20.0f);  // CH2 ("Hz") stored with equal values: no span
  node.SetValue(18, 20.0f);
  OpenLinked();
  RunToIdle();
  EXPECT_EQ(Text(IDC_CH2_NOMINAL) + '|' + Text(IDC_CH2_OFFSET), "5.0|0.0");
  const std::size_t before = line.Written().size();
  window->Click(IDC_SEND);
  EXPECT_EQ(Text(IDC_STATUS_RIGHT) + '|' + LogRows().back(),
            "Invalid Scaling - Nothing Sent|Invalid Scaling - Nothing Sent");
  EXPECT_EQ(RunToIdle(), (Timeline{{2000, "Ready"}}));
  EXPECT_EQ(WrittenAfter(before).size(), 0u);

  window->Type(IDC_CH2_OFFSET, "5");
  window->Click(IDC_SEND);
  window->Type(IDC_CH2_OFFSET, "0");
  RunToIdle();
  EXPECT_EQ(WrittenAfter(before).size(), 1u);  // the pass code only
  EXPECT_EQ(node.Value(17), 20.0f);
  EXPECT_EQ(LastLogRows(3), (Strings{"Invalid Scaling - Nothing Sent", kNoReply, "no reply in 300 ms"}));

  window->Click(IDC_CLEAR);
  window->Click(IDC_SEND);
  EXPECT_EQ(RunToIdle(), (Timeline{{300, "Setting Node's Pass Code - Please Wait"},
                                   {900, "Nothing To Send"},
                                   {1200, kNoReply},
                                   {2200, "Ready"}}));
  EXPECT_EQ(WrittenAfter(before).size(), 2u);
  EXPECT_EQ(node.Value(13), 4.0f);  // the node's settings stay
}

// Quit, Escape or Enter stops Send or Release at once, whether a request is due, a reply
// awaited or Ready pending: no timer, no further frame, the port closed.
enum class Closer { Quit, Escape, Enter };
class QuitTest : public OperationTest, public ::testing::WithParamInterface<std::tuple<int, std::uint64_t, Closer>> {};

TEST_P(QuitTest, QuitStopsTheOperationAndClosesThePort) {
  const auto [button, quitAtMs, closer] = GetParam();
  OpenLinked();
  RunToIdle();
  window->Click(button);
  platform.Advance(quitAtMs);
  if (closer == Closer::Quit) window->Click(kIdCancel);
  if (closer == Closer::Escape) window->PressEscape();
  if (closer == Closer::Enter) window->PressEnter();
  EXPECT_TRUE(window->Destroyed());
  EXPECT_EQ(std::pair(dlg.m_nStepTimer, dlg.m_nReadyTimer), std::pair(0u, 0u));
  EXPECT_FALSE(platform.NextTimerDue().has_value() || line.ProgramEndOpen());  // no tick writes again
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(States, QuitTest, ::testing::Values(
    std::tuple{IDC_SEND, 0u, Closer::Escape}, std::tuple{IDC_SEND, 450u, Closer::Enter},
    std::tuple{IDC_SEND, 2250u, Closer::Quit}, std::tuple{IDC_SEND, 5100u, Closer::Quit},
    std::tuple{IDC_RELEASE, 450u, Closer::Quit}));
// clang-format on

}  // namespace
}  // namespace r742::test

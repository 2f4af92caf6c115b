// Read, Send and Release run against the simulated node on the virtual clock.
// How traffic lines are cut into log rows is tested with the event log; here which are cut.
#include <gtest/gtest.h>

#include <map>

#include "modbus/traffic_text.h"
#include "operation_fixture.h"

namespace r742::test {
namespace {

class ReadTimingTest : public OperationTest, public ::testing::WithParamInterface<int> {};

TEST_P(ReadTimingTest, ReadFillsTheWindowFromTheNodeOnItsTimeline) {
  const int response = GetParam();
  OpenLinked("2", std::to_string(response));
  EXPECT_TRUE(window->Click(IDC_READ));  // a second Read while the first runs is ignored
  platform.Advance(300);
  // Locked from the first request until "Ready"; Quit, Modbus and the lists stay.
  EXPECT_FALSE(Enabled(IDC_READ) || Enabled(IDC_NODE) || Enabled(IDC_CH3_OFFSET) || Enabled(IDC_FLOAT_ORDER));
  EXPECT_TRUE(Enabled(kIdCancel) && Enabled(IDC_SHOW_MODBUS) && Enabled(IDC_CHANNEL_LIST));
  Timeline expected = ReadTimeline(0, static_cast<std::uint64_t>(response));
  expected.erase(expected.begin());
  EXPECT_EQ(RunToIdle(), expected);
  EXPECT_EQ(line.Written(), ReadFrames());
  EXPECT_EQ(LogRows(), (Strings{"Getting System Settings", "Getting Channel 1's Mode", "Getting Channel 2's Mode",
                                "Getting Channel 3's Mode", "Reading Node's Output Settings"}));
  EXPECT_TRUE(Enabled(IDC_READ));

  // clang-format off
  const std::pair<int, const char*> shown[] = {
      {IDC_SYS_VOLTS, "230.0"}, {IDC_SYS_AMPS, "5.000"}, {IDC_SYS_TYPE, "3ph 4Wire"}, {IDC_SYS_WATTS, "3450"},
      {IDC_CH1_NOMINAL, "100.0"}, {IDC_CH1_OFFSET, "0.0"}, {IDC_CH2_NOMINAL, "50.0"}, {IDC_CH2_OFFSET, "5.0"},
      {IDC_CH3_NOMINAL, "100.0"}, {IDC_CH1_UNIT1, "mA"}, {IDC_CH2_NOMINAL_LABEL, "Centre Frequency Hz"},
      {IDC_STATUS_LEFT, "COM1: baud=38400 parity=N data=8 stop=2"}};
  // clang-format on
  for (const auto& [id, text] : shown) EXPECT_EQ(Text(id), text) << id;
  EXPECT_EQ(Rows(IDC_CHANNEL_LIST), (Strings{"V L1-2", "Hz", "OFF"}));
  // The channel modes read (current outputs, 20 mA) show in the read-outs.
  EXPECT_EQ(Readouts(0), (std::array<std::string, 3>{"+20.0", "+0.0", "     "}));
}

INSTANTIATE_TEST_SUITE_P(ResponseTimes, ReadTimingTest, ::testing::Values(300, 1000));

TEST_F(OperationTest, SendWritesPassCodeAndOutputsThenReadsBack) {
  node.SetByteOrder(0);
  OpenLinked("0");
  RunToIdle();
  const std::size_t before = line.Written().size();
  window->Click(IDC_SHOW_MODBUS);
  window->Click(IDC_LIMIT_LENGTH);
  window->Click(IDC_SEND);
  EXPECT_TRUE(window->Click(IDC_SEND) && window->Click(IDC_READ));  // ignored while the first one runs
  const Timeline seen = RunToIdle();

  Timeline expected{{300, "Setting Node's Pass Code - Please Wait"},
                    {900, "Updating Node's Output Settings - Please Wait"}};
  for (auto [ms, text] : ReadTimeline(1500, 300)) expected.emplace_back(ms, text);
  EXPECT_EQ(seen, expected);

  const Bytes passCode = WithCrc(Hex("01 10 00 46 00 02 04"), {31427.0f}, 0);
  const Bytes outputWrite =
      Hex("01 10 00 18 00 12 24 40 80 00 00 42 C8 00 00 00 00 00 00 42 10 00 00 43 16 00 00 C2 48 00 00 00 00 00 00 "
          "42 C8 00 00 00 00 00 00 25 9E");
  std::vector<Bytes> frames{passCode, outputWrite};
  for (const Bytes& f : ReadFrames()) frames.push_back(f);
  EXPECT_EQ(WrittenAfter(before), frames);

  // The pass code itself never reaches the log or the file; its reply does.
  const Strings rows = LogRows();
  const Strings head(rows.begin() + 5, rows.begin() + 10);  // after the first Read's five
  // The 45-byte write shows as 109 characters with Limit String Length ticked.
  const char* shortened =
      "Modbus >> 01 10 00 18 00 12 24 40 80 00 00 42 C8 00 00 00 00 00 00 42 10 00 00 43 16 00 00 C2 48 0......25 9E";
  EXPECT_EQ(head, (Strings{"Setting Node's Pass Code", "Modbus << 01 10 00 46 00 02 A0 1D ",
                           "Updating Node's Output Settings", shortened, "Modbus << 01 10 00 18 00 12 C0 03 "}));
  // Replies are shortened alike; the file has every line whole.
  const std::string outputsReply =
      "Modbus << 01 03 24 40 80 00 00 42 C8 00 00 00 00 00 00 42 10 00 00 43 16 00 00 C2 48 00 00 00 00 0";
  EXPECT_EQ(rows.back(), outputsReply + "......41 13");
  const Strings file = LogFileLines();
  ASSERT_EQ(file.size(), 13u);
  EXPECT_EQ(file[0] + file[1], "Modbus << 01 10 00 46 00 02 A0 1D " + FormatTrafficLine(outputWrite.data(), 45, 0));
  EXPECT_EQ(file[12].size(), 133u);

  // New scaling reaches the node and comes back in the boxes. With Limit String Length off
  // a request is one row however long, a reply rows of 120 characters.
  window->Type(IDC_CH1_NOMINAL, "150");
  window->Type(IDC_CH2_NOMINAL, "60");
  window->Type(IDC_CH2_OFFSET, "10");
  window->Click(IDC_LIMIT_LENGTH);
  const std::size_t rowsBefore = Rows(IDC_LOG_LIST).size();
  window->Click(IDC_SEND);
  RunToIdle();
  std::map<std::string, std::vector<std::size_t>> traffic;  // the lengths of the traffic rows after each step row
  std::string step;
  const Strings all = Rows(IDC_LOG_LIST);
  for (auto row = all.begin() + static_cast<std::ptrdiff_t>(rowsBefore); row != all.end(); ++row) {
    if (row->size() > 9 && (*row)[2] == ':')
      step = row->substr(9);
    else
      traffic[step].push_back(row->size());
  }
  EXPECT_EQ(traffic["Updating Node's Output Settings"], (std::vector<std::size_t>{145, 34}));
  EXPECT_EQ(traffic["Getting System Settings"], (std::vector<std::size_t>{34, 120, 120, 120, 1}));
  EXPECT_EQ(traffic["Reading Node's Output Settings"], (std::vector<std::size_t>{34, 120, 13}));
  // Centre 60 Hz, span 10 Hz as the node keeps them: 50 and -50.
  EXPECT_EQ((std::array<float, 3>{node.Value(14), node.Value(17), node.Value(18)}),
            (std::array<float, 3>{150.0f, 50.0f, -50.0f}));
  EXPECT_EQ(Text(IDC_CH1_NOMINAL) + Text(IDC_CH2_NOMINAL) + Text(IDC_CH2_OFFSET) + Text(IDC_STATUS_RIGHT),
            "150.060.010.0Ready");
}

// Another node number changes each frame's first byte and its CRC; channels
// without a row go out with code 0 and the values they hold, still nine floats.
TEST_F(OperationTest, SendToNode7WithOneChannelRow) {
  node.SetNode(7);
  Open("COM1 38400 N 8 2 7 300 2");
  RunToIdle();
  ASSERT_EQ(Text(IDC_STATUS_RIGHT), "Ready");
  EXPECT_EQ(line.Written().front(), Hex("07 03 00 00 00 38 44 7E"));
  window->Click(IDC_REMOVE);
  window->Click(IDC_REMOVE);
  ASSERT_EQ(Rows(IDC_CHANNEL_LIST), Strings{"V L1-2"});
  const std::size_t before = line.Written().size();
  window->Click(IDC_SEND);
  RunToIdle();
  const std::vector<Bytes> written = WrittenAfter(before);
  ASSERT_EQ(written.size(), 7u);
  EXPECT_EQ(Join(written[0], written[1]),
            Join(Hex("07 10 00 46 00 02 04 86 00 46 F5 B2 52"),
                 WithCrc(Hex("07 10 00 18 00 12 24"), {4, 100, 0, 0, 50, 5, 0, 100, 0}, 2)));
  EXPECT_EQ(Rows(IDC_CHANNEL_LIST), (Strings{"V L1-2", "OFF", "OFF"}));  // as the node now holds them
}

TEST_F(OperationTest, ReleaseClearsThePassCodeAndClosesThePort) {
  Open();
  ChoosePortInDialog();
  window->Click(IDC_READ);
  RunToIdle();
  ASSERT_EQ(Text(IDC_SYS_VOLTS), "230.0");
  EXPECT_FALSE(Enabled(IDC_NODE));
  const std::size_t before = line.Written().size();
  window->Click(IDC_SHOW_MODBUS);
  window->Click(IDC_RELEASE);
  EXPECT_EQ(RunToIdle(), (Timeline{{300, "Setting Node's Pass Code - Please Wait"}, {1600, "Ready"}}));
  EXPECT_EQ(WrittenAfter(before), std::vector<Bytes>{kRelease});
  EXPECT_EQ(node.Value(36), 0.0f);
  EXPECT_EQ(LastLogRows(4), (Strings{"Setting Node's Pass Code", "Modbus >> 01 10 00 46 00 02 04 00 00 00 00 77 B5 ",
                                     "Modbus << 01 10 00 46 00 02 A0 1D ", "Disconnected"}));
  EXPECT_FALSE(line.ProgramEndOpen());
  EXPECT_EQ(Text(IDC_STATUS_LEFT) + Text(IDC_SYS_TYPE) + Text(IDC_SYS_VOLTS) + Text(IDC_SYS_AMPS) + Text(IDC_SYS_WATTS),
            "No Port Open");
  EXPECT_TRUE(Enabled(IDC_NODE) && Enabled(IDC_RESPONSE_MS));

  // Release with no link sets one up, writes 0.0 and closes again.
  ChoosePortInDialog();
  window->Click(IDC_RELEASE);
  RunToIdle();
  EXPECT_EQ(platform.ModalRuns().size(), 2u);
  EXPECT_EQ(WrittenAfter(before), (std::vector<Bytes>{kRelease, kRelease}));
  EXPECT_FALSE(line.ProgramEndOpen());
}

TEST_F(OperationTest, NodeValuesAreTruncatedAndUnknownCodesLeaveEmptyRows) {
  node.SetValue(1, 400.0f);  // 400 V, 5 A, three-phase three-wire
  node.SetValue(3, 2.0f);
  node.SetValue(13, 4.9f);    // CH1 code: "V L1-2"
  node.SetValue(19, 777.0f);  // CH3 code: unknown
  AnswerRequestWith(kReadChannel2, WithCrc(Hex("01 46 00 02 00 24 0C"), {2, 0.0f, 10.0f}, 2));
  AnswerRequestWith(kReadChannel3, WithCrc(Hex("01 46 00 04 00 24 0C"), {3, 1.7f, 10.0f}, 2));
  OpenLinked();
  RunToIdle();
  EXPECT_EQ(Rows(IDC_CHANNEL_LIST), (Strings{"V L1-2", "Hz", ""}));
  EXPECT_EQ(dlg.m_nParamCode, (std::array<int, 3>{4, 36, 0}));
  EXPECT_EQ(dlg.m_nOutputMode, (std::array<int, 3>{1, 0, 1}));
  EXPECT_EQ(dlg.m_fFullScale, (std::array<float, 3>{20.0f, 10.0f, 10.0f}));
  EXPECT_EQ(Units(1)[0], "V");  // CH2 is a voltage output now
  EXPECT_EQ(Text(IDC_SYS_TYPE) + '|' + Text(IDC_SYS_WATTS), "3ph 3Wire|3464");
}

}  // namespace
}  // namespace r742::test

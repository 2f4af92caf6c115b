#include "ui/window_fixture.h"

#include <unistd.h>

#include <filesystem>

#include "log/log_time.h"
#include "serial/serial_port.h"
#include "ui/templates.h"

namespace r742::test {
namespace {

using Three = std::array<std::string, 3>;
const Three kBlank{"     ", "     ", "     "};

TEST_F(MainWindowTest, OpensInItsStartState) {
  Open();
  EXPECT_EQ(Text(IDC_STATUS_LEFT) + '|' + Text(IDC_STATUS_RIGHT) + '|' + Text(IDC_TITLE_TEXT) + '|' + Text(IDC_NODE) +
                '|' + Text(IDC_RESPONSE_MS) + '|' + Text(IDC_FLOAT_ORDER),
            "No Port Open|Ready|Node No. 1|1|300|Float = Big Endian (Word Swap)");
  for (int ch = 0; ch < 3; ++ch) {
    EXPECT_EQ(Text(NominalBoxId(ch)) + '|' + Text(OffsetBoxId(ch)) + '|' + Text(GroupId(ch)),
              "100|0|CH" + std::to_string(ch + 1));
    EXPECT_EQ(Readouts(ch), kBlank);
    EXPECT_EQ(Units(ch), (Three{"  ", "  ", "  "}));
  }
  EXPECT_TRUE(Rows(IDC_CHANNEL_LIST).empty() && Rows(IDC_LOG_LIST).empty());
  EXPECT_EQ(platform.NextTimerDue(), std::nullopt);
}

TEST_F(MainWindowTest, LimitStringLengthFollowsModbusButKeepsItsTickAndFloatOrderFollowsTheSelection) {
  Open();
  EXPECT_FALSE(window->Click(IDC_LIMIT_LENGTH));  // greyed at start
  ASSERT_TRUE(window->Click(IDC_SHOW_MODBUS));
  ASSERT_TRUE(window->Click(IDC_LIMIT_LENGTH));
  EXPECT_EQ(dlg.m_bShowModbus + dlg.m_bLimitLength, 2);
  window->Click(IDC_SHOW_MODBUS);
  EXPECT_FALSE(Enabled(IDC_LIMIT_LENGTH));
  EXPECT_EQ(std::to_string(dlg.m_bShowModbus) + std::to_string(dlg.m_bLimitLength), "01");
  EXPECT_EQ(window->GetCheck(IDC_LIMIT_LENGTH), 1);
  window->Click(IDC_SHOW_MODBUS);
  EXPECT_TRUE(Enabled(IDC_LIMIT_LENGTH));
  ASSERT_TRUE(window->SelectRow(IDC_FLOAT_ORDER, 3));
  EXPECT_EQ(std::to_string(dlg.m_nFloatOrder) + ' ' + Text(IDC_FLOAT_ORDER), "3 Float = Little Endian (Word Swap)");
}

TEST_F(MainWindowTest, AboutBoxAndTheWindowsEntriesInTheSystemMenuAndHelpWindow) {
  Open();
  std::vector<unsigned> ids;  // separators are 0
  for (const auto& entry : window->SystemMenu()) ids.push_back(entry.commandId);
  EXPECT_EQ(ids, (std::vector<unsigned>{0, IDM_ABOUTBOX, 0, IDM_FIND_NODE, IDM_OPEN_CONFIG, IDM_SAVE_CONFIG}));
  std::string help;
  platform.ScriptModal(IDD_ABOUTBOX, [](HeadlessWindow& w) { w.Click(kIdOk); });
  platform.ScriptModal(IDD_HELP, [&](HeadlessWindow& w) { help = w.GetText(IDC_HELP_TEXT); });
  ASSERT_TRUE(window->ChooseSystemMenu(IDM_ABOUTBOX));
  ASSERT_TRUE(window->Click(ID_HELP));
  EXPECT_EQ(platform.ModalRuns(), (std::vector<int>{IDD_ABOUTBOX, IDD_HELP}));
  EXPECT_NE(help.find(PortNamesHelpText()), std::string::npos);  // what COMn means on this system
  EXPECT_FALSE(window->Ended());
}

TEST_F(MainWindowTest, AddAssignsConsecutiveParametersUntilTheListIsFull) {
  Open();
  for (int i = 0; i < 4; ++i) window->Click(IDC_ADD);  // three from "OFF", then the list is full
  ASSERT_EQ(platform.MessageBoxes().size(), 1u);
  const auto& box = platform.MessageBoxes()[0];
  EXPECT_EQ(box.text + '|' + box.caption, "List Full|The list is full");
  EXPECT_EQ(box.flags, kMbOk | kMbIconExclamation);
  EXPECT_EQ(Rows(IDC_CHANNEL_LIST), (Strings{"OFF", "V 1", "V 2"}));
  EXPECT_EQ(window->GetCurSel(IDC_AVAILABLE_LIST), 3);
  EXPECT_EQ(Text(IDC_CH1_GROUP) + '|' + Text(IDC_CH2_GROUP) + '|' + Text(IDC_CH3_GROUP), "CH1-OFF|CH2-V 1|CH3-V 2");

  window->Click(IDC_CLEAR);
  window->SelectRow(IDC_AVAILABLE_LIST, 48);
  window->Click(IDC_ADD);
  window->Click(IDC_ADD);
  EXPECT_EQ(Rows(IDC_CHANNEL_LIST), (Strings{"Max kVAd", "Max kVAd"}));  // the same parameter twice is allowed
  EXPECT_EQ(window->GetCurSel(IDC_AVAILABLE_LIST), 48);                  // the last row keeps its selection
}

TEST_F(MainWindowTest, AddInsertsBeforeTheClickedRowRemoveTakesTheLastOrTheClickedAndClearEmptiesAll) {
  Open();
  Assign({"V 1", "V 2"});
  window->SelectRow(IDC_CHANNEL_LIST, 0);
  Assign({"kW Sum"});
  EXPECT_EQ(Rows(IDC_CHANNEL_LIST), (Strings{"kW Sum", "V 1", "V 2"}));
  EXPECT_EQ(dlg.m_nParamCode, (std::array<int, 3>{15, 1, 2}));
  EXPECT_EQ(dlg.m_nPolarity, (std::array<int, 3>{2, 1, 1}));
  EXPECT_EQ(Text(IDC_CH3_GROUP), "CH3-V 2");
  for (int ch = 0; ch < 3; ++ch) {
    window->Type(NominalBoxId(ch), std::to_string(50 + ch));
    window->Type(OffsetBoxId(ch), std::to_string(10 + ch));
  }
  window->Click(IDC_REMOVE);
  window->Click(IDC_REMOVE);
  EXPECT_EQ(Rows(IDC_CHANNEL_LIST), (Strings{"kW Sum"}));  // the last row, then the last again
  Assign({"V 2", "V 3"});
  window->SelectRow(IDC_CHANNEL_LIST, 0);
  window->Click(IDC_REMOVE);
  EXPECT_EQ(Rows(IDC_CHANNEL_LIST), (Strings{"V 2", "V 3"}));
  EXPECT_EQ(dlg.m_nParamCode, (std::array<int, 3>{2, 3, 0}));
  EXPECT_EQ(Text(IDC_CH3_GROUP), "CH3-");
  // Scaling belongs to the channel position, not to the parameter.
  EXPECT_EQ(dlg.m_fNominal, (std::array<float, 3>{50, 51, 52}));
  EXPECT_EQ(dlg.m_fZeroOffset, (std::array<float, 3>{10, 11, 12}));

  Assign({"Hz"});
  ASSERT_EQ(Text(IDC_CH3_NOMINAL_LABEL), "Centre Frequency Hz");
  window->Click(IDC_CLEAR);
  EXPECT_TRUE(Rows(IDC_CHANNEL_LIST).empty());
  for (int ch = 0; ch < 3; ++ch) {
    EXPECT_EQ(Text(GroupId(ch)), "CH" + std::to_string(ch + 1) + "-");
    EXPECT_EQ(Readouts(ch), kBlank);
    EXPECT_EQ(Text(NominalLabelId(ch)), "Nominal 5-200%");
  }
}

TEST_F(MainWindowTest, ReadoutsFollowParameterClassAndScalingRoundOnceAndShowAFrequencyChannelsSpan) {
  Open();
  Assign({"kW Sum", "V L1-2", "OFF"});
  EXPECT_EQ(Readouts(0), (Three{"+0.0", "+0.0", "-0.0"}));  // before a Read every output is zero, with its sign
  dlg.m_fFullScale = {20.0f, 20.0f, 20.0f};
  dlg.UpdateReadouts();
  EXPECT_EQ(Readouts(0), (Three{"+20.0", "+0.0", "-20.0"}));
  EXPECT_EQ(Units(0), (Three{"mA", "mA", "mA"}));
  EXPECT_EQ(Readouts(1), (Three{"+20.0", "+0.0", "     "}));
  EXPECT_EQ(Units(1), (Three{"mA", "mA", "  "}));
  EXPECT_EQ(Readouts(2), kBlank);

  window->Type(IDC_CH1_OFFSET, "20");
  EXPECT_EQ(Readouts(0), (Three{"+20.0", "+4.0", "-12.0"}));
  dlg.m_nOutputMode[1] = 0;
  dlg.m_fFullScale[1] = 10.0f;
  window->Type(IDC_CH2_NOMINAL, "100");
  EXPECT_EQ(Units(1), (Three{"V", "V", "  "}));
  EXPECT_EQ(Readouts(1), (Three{"+10.0", "+0.0", "     "}));

  // Values a node may report outside the limits blank the read-outs they spoil.
  dlg.m_fNominal[0] = 250.0f;
  dlg.m_fZeroOffset[0] = 0.0f;
  dlg.UpdateReadouts();
  EXPECT_EQ(Readouts(0), (Three{"     ", "     ", "-50.0"}));
  dlg.m_fNominal[0] = 100.0f;
  dlg.m_fZeroOffset[0] = 95.0f;
  dlg.UpdateReadouts();
  EXPECT_EQ(Readouts(0), (Three{"+20.0", "     ", "     "}));

  // A read-out is rounded once, from its exact value: x.x5 shows rounded away from zero.
  dlg.m_nOutputMode[0] = 0;
  const struct {
    float F;
    const char *N, *Z;
    Three shown;
  } cases[] = {{10, "5.5", "0", {"+0.6", "+0.0", "-0.6"}},
               {10, "5.1", "-49.2", {"+0.5", "-4.9", "-10.4"}},
               // Typed values beyond the limits are held limited; the box keeps what was typed.
               {1, "250", "95", {"+2.0", "+0.0", "-2.0"}}};
  for (const auto& c : cases) {
    dlg.m_fFullScale[0] = c.F;
    window->Type(IDC_CH1_NOMINAL, c.N);
    window->Type(IDC_CH1_OFFSET, c.Z);
    EXPECT_EQ(Readouts(0), c.shown) << c.F << ' ' << c.N << ' ' << c.Z;
    EXPECT_EQ(Text(IDC_CH1_NOMINAL) + ' ' + Text(IDC_CH1_OFFSET), std::string(c.N) + ' ' + c.Z);
  }
  EXPECT_EQ(Units(0), (Three{"V", "V", "V"}));

  // A frequency channel shows its whole span and switches its labels.
  window->Click(IDC_CLEAR);
  Assign({"OFF", "Hz"});
  EXPECT_EQ(Text(IDC_CH2_NOMINAL_LABEL) + '|' + Text(IDC_CH2_OFFSET_LABEL) + '|' + Text(IDC_CH1_NOMINAL_LABEL),
            "Centre Frequency Hz|Span +/- Hz|Nominal 5-200%");
  dlg.m_fFullScale[1] = 20.0f;
  window->Type(IDC_CH2_OFFSET, "95");  // a bad span does not blank a frequency channel
  EXPECT_EQ(Readouts(1), (Three{"+20.0", "+10.0", "+0.0"}));
  EXPECT_EQ(Units(1), (Three{"V", "V", "V"}));  // CH2 is still a voltage output

  window->Click(IDC_REMOVE);
  EXPECT_EQ(Text(IDC_CH2_NOMINAL_LABEL) + '|' + Text(IDC_CH2_OFFSET_LABEL), "Nominal 5-200%|Zero Offset %");
}

// The event log list and the log file's faults. How traffic lines reach the list and
// the file, whole, limited or in rows of 120, is tested by the operations against the node.

TEST_F(MainWindowTest, LogDateRowHeadsOnlyATimestampedStart) {
  Open();
  dlg.AddLogLine("", 0);  // nothing at all, and no date row yet
  EXPECT_TRUE(Rows(IDC_LOG_LIST).empty());
  dlg.AddLogLine("Getting System Settings", 1);
  dlg.AddLogLine("", 1);  // the time alone; the date only once
  auto rows = Rows(IDC_LOG_LIST);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0], CLogTime().DateRow());
  EXPECT_EQ(rows[1].substr(2, 1) + rows[1].substr(8), ": Getting System Settings");
  EXPECT_EQ(rows[2].size(), 9u);
  EXPECT_EQ(window->GetCurSel(IDC_LOG_LIST), 2);

  dlg.GetDlgItem(IDC_LOG_LIST).ResetContent();
  dlg.AddLogLine("Modbus << 01 10", 0);
  dlg.AddLogLine("Disconnected", 1);
  rows = Rows(IDC_LOG_LIST);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0] + rows[1].substr(8), "Modbus << 01 10 Disconnected");
}

// A file that cannot take a line costs one reason row, said again only after a line reached the file.
TEST_F(MainWindowTest, LogFileFaultIsSaidOnceUntilALineIsWrittenAgain) {
  Open();
  const auto name = std::filesystem::temp_directory_path() / ("r742_log_fault_" + std::to_string(::getpid()));
  dlg.m_strLogFileName = name.string();
  window->Click(IDC_SHOW_MODBUS);
  for (std::uint8_t byte = 1; byte <= 5; ++byte) {  // only the third reaches a file
    std::filesystem::remove(name);
    if (byte != 3) std::filesystem::create_directory(name);
    dlg.FormatTraffic(&byte, 1, 0);
    dlg.PublishTraffic(COutputsDlg::TrafficRoute::Request);
  }
  std::filesystem::remove(name);
  const std::string said = name.string() + " not written: not a regular file";
  EXPECT_EQ(LogRows(),
            (Strings{"Modbus >> 01 ", said, "Modbus >> 02 ", "Modbus >> 03 ", "Modbus >> 04 ", said, "Modbus >> 05 "}));
  EXPECT_TRUE(platform.MessageBoxes().empty());
}

}  // namespace
}  // namespace r742::test

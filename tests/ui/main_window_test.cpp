#include "ui/window_fixture.h"

#include "ui/templates.h"

namespace r742::test {
namespace {

constexpr int kOperationControls[] = {IDC_ADD, IDC_REMOVE, IDC_CLEAR, IDC_SEND, IDC_READ, IDC_RELEASE,
                                      IDC_CH1_NOMINAL, IDC_CH2_NOMINAL, IDC_CH3_NOMINAL, IDC_CH1_OFFSET,
                                      IDC_CH2_OFFSET, IDC_CH3_OFFSET, IDC_FLOAT_ORDER};

TEST_F(MainWindowTest, OpensInItsStartState) {
  Open();
  EXPECT_EQ(Text(0), "R742 - Analogue Outputs");
  EXPECT_EQ(Text(IDC_STATUS_RIGHT), "Ready");
  EXPECT_EQ(Text(IDC_STATUS_LEFT), "No Port Open");
  EXPECT_EQ(Text(IDC_TITLE_TEXT), "Node No. 1");
  EXPECT_EQ(Text(IDC_NODE), "1");
  EXPECT_EQ(Text(IDC_RESPONSE_MS), "300");
  for (int ch = 0; ch < 3; ++ch) {
    EXPECT_EQ(Text(NominalBoxId(ch)), "100");
    EXPECT_EQ(Text(OffsetBoxId(ch)), "0");
    EXPECT_EQ(Text(NominalLabelId(ch)), "Nominal 5-200%");
    EXPECT_EQ(Text(OffsetLabelId(ch)), "Zero Offset %");
    EXPECT_EQ(Readouts(ch), (std::array<std::string, 3>{"     ", "     ", "     "}));
    EXPECT_EQ(Units(ch), (std::array<std::string, 3>{"  ", "  ", "  "}));
    EXPECT_EQ(Text(GroupId(ch)), "CH" + std::to_string(ch + 1));
    EXPECT_FLOAT_EQ(dlg.m_fNominal[ch], 100.0f);
    EXPECT_EQ(dlg.m_fZeroOffset[ch], 0.0f);
    EXPECT_EQ(dlg.m_nOutputMode[ch], 1);
  }
  EXPECT_EQ(Text(IDC_FLOAT_ORDER), "Float = Big Endian (Word Swap)");
  EXPECT_EQ(dlg.m_nFloatOrder, 2);
  EXPECT_EQ(window->GetCount(IDC_FLOAT_ORDER), 4);
  EXPECT_FALSE(Enabled(IDC_LIMIT_LENGTH));
  EXPECT_EQ(window->GetCheck(IDC_SHOW_MODBUS), 0);
  for (int id : kOperationControls) EXPECT_TRUE(Enabled(id)) << id;
  EXPECT_TRUE(Enabled(IDC_NODE));
  EXPECT_TRUE(Enabled(IDC_RESPONSE_MS));
  ASSERT_EQ(Rows(IDC_AVAILABLE_LIST).size(), 49u);
  EXPECT_EQ(Rows(IDC_AVAILABLE_LIST)[36], "Hz");
  EXPECT_EQ(window->GetCurSel(IDC_AVAILABLE_LIST), 0);
  EXPECT_TRUE(Rows(IDC_CHANNEL_LIST).empty());
  EXPECT_TRUE(Rows(IDC_LOG_LIST).empty());
  for (int id : {IDC_SYS_TYPE, IDC_SYS_VOLTS, IDC_SYS_AMPS, IDC_SYS_WATTS}) EXPECT_EQ(Text(id), "");
  EXPECT_EQ(Text(IDC_SYS_WATTS_UNIT), "W");
  EXPECT_EQ(platform.NextTimerDue(), std::nullopt);
}

TEST_F(MainWindowTest, LimitStringLengthFollowsModbusButKeepsItsTick) {
  Open();
  EXPECT_FALSE(window->Click(IDC_LIMIT_LENGTH));  // greyed at start
  ASSERT_TRUE(window->Click(IDC_SHOW_MODBUS));
  EXPECT_EQ(dlg.m_bShowModbus, 1);
  EXPECT_TRUE(Enabled(IDC_LIMIT_LENGTH));
  ASSERT_TRUE(window->Click(IDC_LIMIT_LENGTH));
  EXPECT_EQ(dlg.m_bLimitLength, 1);

  window->Click(IDC_SHOW_MODBUS);
  EXPECT_EQ(dlg.m_bShowModbus, 0);
  EXPECT_FALSE(Enabled(IDC_LIMIT_LENGTH));
  EXPECT_EQ(window->GetCheck(IDC_LIMIT_LENGTH), 1);
  EXPECT_EQ(dlg.m_bLimitLength, 1);

  window->Click(IDC_SHOW_MODBUS);
  EXPECT_TRUE(Enabled(IDC_LIMIT_LENGTH));
  EXPECT_EQ(dlg.m_bLimitLength, 1);
}

TEST_F(MainWindowTest, FloatOrderFollowsTheSelection) {
  Open();
  for (int order : {0, 3, 1, 2}) {
    ASSERT_TRUE(window->SelectRow(IDC_FLOAT_ORDER, order));
    EXPECT_EQ(dlg.m_nFloatOrder, order);
    EXPECT_EQ(Text(IDC_FLOAT_ORDER), kFloatOrderNames[order]);
  }
}

TEST_F(MainWindowTest, AboutBoxFromTheEndOfTheSystemMenu) {
  Open();
  const auto& menu = window->SystemMenu();
  ASSERT_EQ(menu.size(), 2u);
  EXPECT_EQ(menu[0].commandId, 0u);  // separator
  EXPECT_EQ(menu[1].commandId, IDM_ABOUTBOX);
  EXPECT_EQ(menu[1].text, "&About Kestrel...");

  std::string aboutTitle, aboutLine;
  platform.ScriptModal(IDD_ABOUTBOX, [&](HeadlessWindow& about) {
    aboutTitle = about.GetText(0);
    aboutLine = about.GetText(IDC_ABOUT_TEXT);
    about.Click(IDOK);
  });
  ASSERT_TRUE(window->ChooseSystemMenu(IDM_ABOUTBOX));
  EXPECT_EQ(platform.ModalRuns(), std::vector<int>{IDD_ABOUTBOX});
  EXPECT_EQ(aboutTitle, "About R742 Analogue Outputs");
  EXPECT_EQ(aboutLine, "R742 Analogue Outputs Version 3.001");
  EXPECT_FALSE(window->Ended());
}

TEST_F(MainWindowTest, HelpOpensOurHelpWindow) {
  Open();
  std::string help;
  platform.ScriptModal(IDD_HELP, [&](HeadlessWindow& w) { help = w.GetText(IDC_HELP_TEXT); });
  ASSERT_TRUE(window->Click(ID_HELP));
  EXPECT_EQ(platform.ModalRuns(), std::vector<int>{IDD_HELP});
  EXPECT_NE(help.find("R742_COM1"), std::string::npos);
  EXPECT_NE(help.find("port baud parity data-bits stop-bits node response-ms float-order"), std::string::npos);
}

TEST_F(MainWindowTest, QuitEscapeAndEnterAllEndTheWindowAndStopItsTimers) {
  for (auto close : {+[](HeadlessWindow& w) { w.Click(IDCANCEL); }, +[](HeadlessWindow& w) { w.PressEscape(); },
                     +[](HeadlessWindow& w) { w.PressEnter(); }}) {
    COutputsDlg d;
    HeadlessPlatform p;
    PlatformScope s(p);
    HeadlessWindow& w = p.Open(d);
    d.m_nStepTimer = d.SetTimer(TIMER_STEP, 300);
    d.m_nReadyTimer = d.SetTimer(TIMER_READY, 1000);
    close(w);
    EXPECT_TRUE(w.Destroyed());
    EXPECT_EQ(d.m_nStepTimer, 0u);
    EXPECT_EQ(d.m_nReadyTimer, 0u);
    EXPECT_EQ(p.NextTimerDue(), std::nullopt);
    EXPECT_EQ(w.GetText(IDC_STATUS_LEFT), "No Port Open");
  }
}

TEST_F(MainWindowTest, DisableAndEnableControlsAroundAnOperation) {
  Open();
  dlg.DisableControls();
  for (int id : kOperationControls) EXPECT_FALSE(Enabled(id)) << id;
  EXPECT_FALSE(Enabled(IDC_NODE));
  for (int id : {IDCANCEL, ID_HELP, IDC_AVAILABLE_LIST, IDC_CHANNEL_LIST, IDC_LOG_LIST, IDC_SHOW_MODBUS})
    EXPECT_TRUE(Enabled(id)) << id;
  dlg.EnableControls();
  for (int id : kOperationControls) EXPECT_TRUE(Enabled(id)) << id;
  EXPECT_TRUE(Enabled(IDC_NODE));
  EXPECT_TRUE(Enabled(IDC_RESPONSE_MS));
}

TEST_F(MainWindowTest, OverrideModeKeepsNodeAndResponseLocked) {
  Open("com2,9600,e,8,1,3,500,0");
  EXPECT_EQ(dlg.m_nTokenCount, 8);
  EXPECT_EQ(dlg.m_strToken[0], "COM2");
  EXPECT_TRUE(dlg.m_strCmdLine.empty());
  EXPECT_FALSE(Enabled(IDC_NODE));
  EXPECT_FALSE(Enabled(IDC_RESPONSE_MS));
  dlg.EnableControls();
  EXPECT_FALSE(Enabled(IDC_NODE));
  dlg.ClosePort();
  EXPECT_FALSE(Enabled(IDC_RESPONSE_MS));
}

TEST_F(MainWindowTest, NineTokensAreNotTheOverrideMode) {
  Open("com2,9600,e,8,1,3,500,0,,");  // the second trailing comma makes a ninth, empty token
  EXPECT_EQ(dlg.m_nTokenCount, 9);
  EXPECT_TRUE(Enabled(IDC_NODE));
  EXPECT_TRUE(Enabled(IDC_RESPONSE_MS));
}

}  // namespace
}  // namespace r742::test

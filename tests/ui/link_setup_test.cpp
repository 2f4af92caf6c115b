// Setting up the link from the window: node number, response time, port.
#include <gtest/gtest.h>

#include "support/memory_line.h"
#include "ui/window_fixture.h"

namespace r742::test {
namespace {

class LinkSetupTest : public MainWindowTest {
 protected:
  MemoryLine line{[this] { return static_cast<std::int64_t>(platform.Now()); }};
  MemoryPortProvider ports;
  PortProviderScope portScope{ports};
  void SetUp() override { ports.Add("COM3", line); }
  void TearDown() override { dlg.m_hPort.reset(); }  // the line goes before the window
  void ChoosePortInDialog() {
    platform.ScriptModal(IDD_PORT_SETUP, [](HeadlessWindow& w) { w.Click(kIdOk); });
  }
};

TEST_F(LinkSetupTest, CommandLineOpensThePortAsTheWindowOpens) {
  Open("COM3 19200 E 8 1 7.9 50 0");
  EXPECT_TRUE(platform.ModalRuns().empty());
  EXPECT_TRUE(dlg.IsPortOpen() && line.ProgramEndOpen());
  // clang-format off
  const std::pair<int, const char*> shown[] = {
      {IDC_STATUS_LEFT, "COM3: baud=19200 parity=E data=8 stop=1"}, {IDC_STATUS_RIGHT, "Opening Port Handle"},
      {IDC_TITLE_TEXT, "Node No. 7.9"}, {IDC_RESPONSE_MS, "300"}, {IDC_FLOAT_ORDER, "Float = Big Endian (Motorola)"}};
  // clang-format on
  for (const auto& [id, text] : shown) EXPECT_EQ(Text(id), text) << id;
  EXPECT_EQ(std::to_string(dlg.m_nNode) + ' ' + std::to_string(dlg.m_nResponseMs), "7 300");
  EXPECT_FALSE(Enabled(IDC_NODE) || Enabled(IDC_RESPONSE_MS));

  window->Click(kIdCancel);  // Quit closes the port
  EXPECT_FALSE(line.ProgramEndOpen());
}

TEST_F(LinkSetupTest, TheEighthTokenIsReadWholeAndOnlyZeroToThreeSelectAnOrder) {
  // clang-format off
  const std::pair<const char*, int> cases[] = {
      {"00000000001", 1}, {"0000000000003", 3}, {"4", 2}, {"-1", 2}, {"4294967297", 2}, {"99999999999999999999", 2},
      {"0X1", 0}};
  // clang-format on
  for (const auto& [token, order] : cases) {
    COutputsDlg d;
    HeadlessPlatform p;
    PlatformScope s(p);
    LoadCommandLine(d, std::string("COM3 19200 E 8 1 1 300 ") + token);
    p.Open(d);
    EXPECT_EQ(d.m_nFloatOrder, order) << token;
    d.m_hPort.reset();
  }
}

TEST_F(LinkSetupTest, NodeNumbersThatDoNotAddressOneNodeOpenNothing) {
  Open();
  for (const char* text : {"", "abc", "0", "0.9", "-1", "256", "1e9"}) {
    SCOPED_TRACE(text);
    window->Type(IDC_NODE, text);
    window->Click(IDC_READ);
    EXPECT_EQ(Text(IDC_STATUS_RIGHT), "Invalid Node Number");
    EXPECT_EQ(Rows(IDC_LOG_LIST).back().substr(9), "Invalid Node Number");
  }
  EXPECT_TRUE(platform.ModalRuns().empty());
  EXPECT_FALSE(line.ProgramEndOpen());
  window->Type(IDC_NODE, "255");
  ChoosePortInDialog();
  window->Click(IDC_READ);
  EXPECT_EQ(dlg.m_nNode, 255);
  EXPECT_TRUE(dlg.IsPortOpen());
}

TEST_F(LinkSetupTest, FailedOpeningLeavesNoLinkAndTriesAgainUntilTheLinkIsKept) {
  Open();
  platform.ScriptModal(IDD_PORT_SETUP, [](HeadlessWindow& w) { w.Click(kIdCancel); });
  window->Click(IDC_READ);
  EXPECT_EQ(Text(IDC_STATUS_RIGHT) + Text(IDC_STATUS_LEFT), "No Port Open");

  auto held = line.OpenProgramEnd();
  ChoosePortInDialog();
  window->Click(IDC_RELEASE);  // COM3 is held elsewhere: the list is empty
  EXPECT_EQ(Text(IDC_STATUS_RIGHT), "CreateFile");
  EXPECT_FALSE(dlg.IsPortOpen());
  EXPECT_TRUE(Enabled(IDC_NODE));

  held.reset();
  window->Type(IDC_NODE, "12");
  window->Type(IDC_RESPONSE_MS, "99999999999999999999");
  ChoosePortInDialog();
  window->Click(IDC_READ);
  EXPECT_EQ(Text(IDC_STATUS_LEFT), "COM3: baud=38400 parity=N data=8 stop=2");
  EXPECT_EQ(std::to_string(dlg.m_nNode) + ' ' + std::to_string(dlg.m_nResponseMs), "12 2147483647");
  window->Click(IDC_SEND);  // the link is set up: no fourth dialog
  EXPECT_EQ(platform.ModalRuns(), (std::vector<int>(3, IDD_PORT_SETUP)));
}

}  // namespace
}  // namespace r742::test

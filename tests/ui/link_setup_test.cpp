// Setting up the link from the window: command line, node number, response time, port.
#include <gtest/gtest.h>

#include "operation_fixture.h"

namespace r742::test {
namespace {

// A command line that starts nothing, or a float order token that is not one (the token
// is read whole), is said in one row; only exactly eight tokens open the port.
TEST_F(OperationTest, TheCommandLineIsExplainedWhereItDoesNotDoWhatItSeems) {
  const std::string ignored = " tokens on the command line: the unattended start needs exactly 8, so none is started";
  const auto notAnOrder = [](const char* token, const char* then) {
    return std::string("Float order token \"") + token + "\" is not a whole number 0 to 3: order " + then;
  };
  const struct {
    const char* line;
    std::string row;  // empty: none
    int order;
  } cases[] = {
      {"COM1", "", 2},
      {"COM1 38400", "2" + ignored, 2},
      {"COM1,38400,N,8,2,1,300,1,,", "9" + ignored, 2},
      {"COM1 38400 N 8 2 1 300 00000000003", "", 3},
      {"COM1 38400 N 8 2 1 300 abc", notAnOrder("ABC", "0 is used"), 0},
      {"COM1 38400 N 8 2 1 300 1.9", notAnOrder("1.9", "1 is used"), 1},
      {"COM1 38400 N 8 2 1 300 -1", notAnOrder("-1", "2 stays"), 2},
      {"COM1 38400 N 8 2 1 300 99999999999999999999999", notAnOrder("99999999999999999999...", "2 stays"), 2},
      {"COM1 38400 N 8 2 1 300 ,", notAnOrder("", "0 is used"), 0},
  };
  for (const auto& c : cases) {
    dlg.m_nFloatOrder = 2;
    Open(c.line);
    const Strings rows = LogRows();
    EXPECT_EQ(rows.empty() ? "" : rows.front(), c.row) << c.line;
    EXPECT_EQ(dlg.m_nFloatOrder, c.order) << c.line;
    EXPECT_EQ(line.ProgramEndOpen(), dlg.m_nTokenCount == 8) << c.line;
    window->Click(kIdCancel);
  }
}

TEST_F(OperationTest, CommandLineOpensThePortAsTheWindowOpensAndLocksNodeAndResponse) {
  Open("COM1 19200 E 8 1 7.9 50 0");
  EXPECT_TRUE(platform.ModalRuns().empty());
  EXPECT_TRUE(dlg.IsPortOpen() && line.ProgramEndOpen());
  // clang-format off
  const std::pair<int, const char*> shown[] = {
      {IDC_STATUS_LEFT, "COM1: baud=19200 parity=E data=8 stop=1"}, {IDC_STATUS_RIGHT, "Opening Port Handle"},
      {IDC_TITLE_TEXT, "Node No. 7.9"}, {IDC_RESPONSE_MS, "300"}, {IDC_FLOAT_ORDER, "Float = Big Endian (Motorola)"}};
  // clang-format on
  for (const auto& [id, text] : shown) EXPECT_EQ(Text(id), text) << id;
  EXPECT_EQ(std::to_string(dlg.m_nNode) + ' ' + std::to_string(dlg.m_nResponseMs), "7 300");
  EXPECT_FALSE(Enabled(IDC_NODE) || Enabled(IDC_RESPONSE_MS));
  dlg.EnableControls();
  dlg.ClosePort();  // still locked once the port is closed
  EXPECT_FALSE(Enabled(IDC_NODE) || Enabled(IDC_RESPONSE_MS) || line.ProgramEndOpen());
}

// Node numbers that address no single node open nothing; a failed opening leaves no
// link, and the next button tries again until the link is kept.
TEST_F(OperationTest, NoLinkUntilANodeNumberAndAPortAreGiven) {
  Open();
  for (const char* text : {"", "abc", "0", "0.9", "-1", "256", "1e9"}) {
    window->Type(IDC_NODE, text);
    window->Click(IDC_READ);
    EXPECT_EQ(Text(IDC_STATUS_RIGHT) + '|' + LogRows().back(), "Invalid Node Number|Invalid Node Number") << text;
  }
  EXPECT_TRUE(platform.ModalRuns().empty());
  EXPECT_FALSE(line.ProgramEndOpen());
  window->Type(IDC_NODE, "255");
  ChoosePortInDialog(kIdCancel);
  window->Click(IDC_READ);
  EXPECT_EQ(Text(IDC_STATUS_RIGHT) + Text(IDC_STATUS_LEFT), "No Port Open");

  auto held = line.OpenProgramEnd();
  ChoosePortInDialog();
  window->Click(IDC_RELEASE);  // COM1 is held elsewhere: the list is empty
  EXPECT_EQ(Text(IDC_STATUS_RIGHT), "CreateFile");
  EXPECT_FALSE(dlg.IsPortOpen());
  EXPECT_TRUE(Enabled(IDC_NODE));

  held.reset();
  window->Type(IDC_RESPONSE_MS, "99999999999999999999");
  ChoosePortInDialog();
  window->Click(IDC_READ);
  EXPECT_EQ(Text(IDC_STATUS_LEFT), "COM1: baud=38400 parity=N data=8 stop=2");
  EXPECT_EQ(std::to_string(dlg.m_nNode) + ' ' + std::to_string(dlg.m_nResponseMs), "255 2147483647");
  window->Click(IDC_SEND);  // the link is set up: no fourth dialog
  EXPECT_EQ(platform.ModalRuns(), (std::vector<int>(3, IDD_PORT_SETUP)));
}

}  // namespace
}  // namespace r742::test

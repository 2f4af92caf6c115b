#include "log/log_time.h"
#include "ui/window_fixture.h"

namespace r742::test {
namespace {

TEST_F(MainWindowTest, EventLogRows) {
  Open();
  dlg.AddLogLine("", 0);  // nothing at all, and no date row yet
  EXPECT_TRUE(Rows(IDC_LOG_LIST).empty());

  dlg.AddLogLine("Getting System Settings", 1);
  auto rows = Rows(IDC_LOG_LIST);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].size(), 11u);
  EXPECT_EQ(rows[0], CLogTime().DateRow());
  ASSERT_EQ(rows[1].size(), 9u + 23u);
  EXPECT_EQ(rows[1].substr(8), " Getting System Settings");
  EXPECT_EQ(rows[1][2], ':');

  // Row lengths are the splitter's, tested with it; here the rows reach the list, the date only once.
  dlg.AddLogLine(std::string(112, 'b'), 1);
  dlg.AddLogLine("", 1);
  rows = Rows(IDC_LOG_LIST);
  ASSERT_EQ(rows.size(), 5u);
  EXPECT_EQ(rows[3], "b");
  EXPECT_EQ(rows[4].size(), 9u);
  EXPECT_EQ(rows.back().back(), ' ');
  EXPECT_EQ(window->GetCurSel(IDC_LOG_LIST), static_cast<int>(rows.size()) - 1);
}

TEST_F(MainWindowTest, NoDateRowWhenTheLogStartsWithoutTimestamp) {
  Open();
  dlg.AddLogLine("Modbus << 01 10", 0);
  dlg.AddLogLine("Disconnected", 1);
  auto rows = Rows(IDC_LOG_LIST);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0], "Modbus << 01 10");
  EXPECT_EQ(rows[1].substr(8), " Disconnected");
}

}  // namespace
}  // namespace r742::test

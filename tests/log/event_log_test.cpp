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

  dlg.AddLogLine(std::string(111, 'a'), 1);
  dlg.AddLogLine(std::string(112, 'b'), 1);
  dlg.AddLogLine(std::string(250, 'c'), 0);
  dlg.AddLogLine("", 1);
  rows = Rows(IDC_LOG_LIST);
  std::vector<std::size_t> sizes;
  for (std::size_t i = 2; i < rows.size(); ++i) sizes.push_back(rows[i].size());
  EXPECT_EQ(sizes, (std::vector<std::size_t>{120, 120, 1, 120, 120, 10, 9}));
  EXPECT_EQ(rows[4], "b");
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

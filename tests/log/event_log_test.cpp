// The event log list and the appended log file's faults. How traffic lines reach the
// list and the file, whole or limited, is tested by the operations against the node.
#include <unistd.h>

#include <filesystem>

#include "log/log_time.h"
#include "modbus/traffic_text.h"
#include "ui/window_fixture.h"

namespace r742::test {
namespace {

TEST_F(MainWindowTest, LogDateRowHeadsOnlyATimestampedStart) {
  Open();
  const auto rowLengths = [&] {
    std::vector<std::size_t> lengths;
    for (const auto& row : Rows(IDC_LOG_LIST)) lengths.push_back(row.size());
    return lengths;
  };
  dlg.AddLogLine("", 0);  // nothing at all, and no date row yet
  EXPECT_TRUE(Rows(IDC_LOG_LIST).empty());
  dlg.AddLogLine("Getting System Settings", 1);
  auto rows = Rows(IDC_LOG_LIST);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0], CLogTime().DateRow());
  ASSERT_EQ(rows[1].size(), 9u + 23u);
  EXPECT_EQ(rows[1].substr(8), " Getting System Settings");
  EXPECT_EQ(rows[1][2], ':');
  // Row lengths are the splitter's, tested with it; here the rows reach the list, the date only once.
  dlg.AddLogLine(std::string(112, 'b'), 1);
  dlg.AddLogLine("", 1);
  EXPECT_EQ(rowLengths(), (std::vector<std::size_t>{11, 32, 120, 1, 9}));
  EXPECT_EQ(window->GetCurSel(IDC_LOG_LIST), 4);

  dlg.GetDlgItem(IDC_LOG_LIST).ResetContent();
  dlg.AddLogLine("Modbus << 01 10", 0);
  dlg.AddLogLine("Disconnected", 1);
  rows = Rows(IDC_LOG_LIST);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0], "Modbus << 01 10");
  EXPECT_EQ(rows[1].substr(8), " Disconnected");
}

// A file that cannot take a line costs one reason row, said again only after a line reached the file.
TEST_F(MainWindowTest, LogFileFaultIsSaidOnceUntilALineIsWrittenAgain) {
  Open();
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("r742_log_fault_" + std::to_string(::getpid()));
  std::filesystem::remove_all(folder);
  dlg.m_strLogFileName = (folder / "kesTestLog.txt").string();
  window->Click(IDC_SHOW_MODBUS);
  std::vector<std::string> shown;
  const auto publish = [&](std::uint8_t byte) {
    shown.push_back(FormatTrafficLine(&byte, 1, 0));
    dlg.FormatTraffic(&byte, 1, 0);
    dlg.PublishTraffic(COutputsDlg::TrafficRoute::Request);
  };
  publish(1);  // no such folder
  publish(2);
  std::filesystem::create_directory(folder);
  publish(3);
  std::filesystem::remove_all(folder);
  publish(4);
  publish(5);

  const std::string said = dlg.m_strLogFileName + " not written: ";
  const std::vector<std::string> rows = LogRows();
  ASSERT_EQ(rows.size(), 7u);
  EXPECT_EQ(rows[1].substr(0, said.size()), said);
  EXPECT_GT(rows[1].size(), said.size());  // with the system's reason
  EXPECT_EQ(rows, (std::vector<std::string>{shown[0], rows[1], shown[1], shown[2], shown[3], rows[1], shown[4]}));
  EXPECT_TRUE(platform.MessageBoxes().empty());
}

}  // namespace
}  // namespace r742::test

// The event log list and the appended log file's faults. How traffic lines reach the
// list and the file, whole or limited, is tested by the operations against the node.
#include <unistd.h>

#include <filesystem>

#include "log/log_time.h"
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
  EXPECT_EQ(rows[1].substr(2, 1) + rows[1].substr(8), ": Getting System Settings");
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
  const auto name = std::filesystem::temp_directory_path() / ("r742_log_fault_" + std::to_string(::getpid()));
  dlg.m_strLogFileName = name.string();
  window->Click(IDC_SHOW_MODBUS);
  const auto publish = [&](std::uint8_t byte) {
    dlg.FormatTraffic(&byte, 1, 0);
    dlg.PublishTraffic(COutputsDlg::TrafficRoute::Request);
  };
  std::filesystem::create_directory(name);
  publish(1);
  publish(2);
  std::filesystem::remove(name);
  publish(3);  // written
  std::filesystem::remove(name);
  std::filesystem::create_directory(name);
  publish(4);
  publish(5);
  std::filesystem::remove(name);
  const std::string said = name.string() + " not written: not a regular file";
  EXPECT_EQ(LogRows(), (std::vector<std::string>{"Modbus >> 01 ", said, "Modbus >> 02 ", "Modbus >> 03 ",
                                                 "Modbus >> 04 ", said, "Modbus >> 05 "}));
  EXPECT_TRUE(platform.MessageBoxes().empty());
}

}  // namespace
}  // namespace r742::test

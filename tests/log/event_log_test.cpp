// The event log list and the appended log file. How traffic lines reach the
// list and the file, whole or limited, is tested by the operations against the node.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

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

TEST_F(MainWindowTest, LogFileIsAppendedAcrossRunsAndSkippedWhenItCannotOpen) {
  Open();
  const std::filesystem::path file =
      std::filesystem::temp_directory_path() / ("r742_event_log_test_" + std::to_string(::getpid()) + ".txt");
  std::filesystem::remove(file);
  for (int run = 0; run < 2; ++run) {
    COutputsDlg other;
    EXPECT_EQ(other.AppendLogFile(file.string().c_str(), "Modbus >> 01 03 00 18 00 12 45 C0 "), 0);
  }
  {
    std::ifstream in(file, std::ios::binary);  // closed before the file goes: Windows keeps an open file
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
#if defined(_WIN32)
    const char* kLineEnd = "\r\n";  // the platform's text files
#else
    const char* kLineEnd = "\n";
#endif
    const std::string line = std::string("Modbus >> 01 03 00 18 00 12 45 C0 ") + kLineEnd;
    EXPECT_EQ(bytes, line + line);
  }
  EXPECT_TRUE(std::filesystem::remove(file));

  EXPECT_EQ(dlg.AppendLogFile("/nonexistent-folder/kesTestLog.txt", "x"), -1);
  dlg.m_strLogFileName = "/nonexistent-folder/kesTestLog.txt";
  window->Click(IDC_SHOW_MODBUS);
  const std::uint8_t frame[] = {1, 3, 0};
  dlg.FormatTraffic(frame, sizeof frame, 0);
  dlg.PublishTraffic(COutputsDlg::TrafficRoute::Request);
  EXPECT_EQ(Rows(IDC_LOG_LIST).size(), 1u);  // still shown, no message
  EXPECT_TRUE(platform.MessageBoxes().empty());
}

}  // namespace
}  // namespace r742::test

// The event log list, the traffic lines in it and the appended log file.
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "log/log_time.h"
#include "ui/window_fixture.h"

namespace r742::test {
namespace {

using Route = COutputsDlg::TrafficRoute;

std::vector<std::string> FileLines(const std::filesystem::path& path) {
  std::ifstream in(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

class EventLogTest : public MainWindowTest {
 protected:
  void SetUp() override {
    Open();
    dlg.m_strLogFileName = file.string();
    std::filesystem::remove(file);
  }
  void TearDown() override { std::filesystem::remove(file); }
  void Publish(std::size_t frameBytes, Route route) {
    std::vector<std::uint8_t> frame(frameBytes, 0xAB);
    dlg.FormatTraffic(frame.data(), frame.size(), route == Route::Request ? 0 : 1);
    dlg.PublishTraffic(route);
  }
  std::vector<std::size_t> RowLengths() const {
    std::vector<std::size_t> lengths;
    for (const auto& row : Rows(IDC_LOG_LIST)) lengths.push_back(row.size());
    return lengths;
  }
  std::filesystem::path file =
      std::filesystem::temp_directory_path() / ("r742_event_log_test_" + std::to_string(::getpid()) + ".txt");
};

TEST_F(EventLogTest, DateRowHeadsOnlyATimestampedStart) {
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
  EXPECT_EQ(RowLengths(), (std::vector<std::size_t>{11, 32, 120, 1, 9}));
  EXPECT_EQ(window->GetCurSel(IDC_LOG_LIST), 4);

  dlg.GetDlgItem(IDC_LOG_LIST).ResetContent();
  dlg.AddLogLine("Modbus << 01 10", 0);
  dlg.AddLogLine("Disconnected", 1);
  rows = Rows(IDC_LOG_LIST);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0], "Modbus << 01 10");
  EXPECT_EQ(rows[1].substr(8), " Disconnected");
}

TEST_F(EventLogTest, TrafficOnlyWithModbusOnRequestOneRowReplySplitIntoRowsOf120) {
  Publish(8, Route::Request);
  EXPECT_TRUE(Rows(IDC_LOG_LIST).empty());
  EXPECT_FALSE(std::filesystem::exists(file));
  window->Click(IDC_SHOW_MODBUS);
  Publish(45, Route::Request);  // 145 characters
  Publish(117, Route::Reply);   // 361 characters
  EXPECT_EQ(RowLengths(), (std::vector<std::size_t>{145, 120, 120, 120, 1}));
  EXPECT_TRUE(dlg.m_szTraffic.empty());
  const auto lines = FileLines(file);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].size(), 145u);
  EXPECT_EQ(lines[1].size(), 361u);
}

TEST_F(EventLogTest, LimitShortensTheListButFilesTheWholeLine) {
  window->Click(IDC_SHOW_MODBUS);
  window->Click(IDC_LIMIT_LENGTH);
  Publish(41, Route::Reply);    // 133 characters: cut to 109
  Publish(33, Route::Request);  // 109 characters: shown whole
  EXPECT_EQ(RowLengths(), (std::vector<std::size_t>{109, 109}));
  EXPECT_NE(Rows(IDC_LOG_LIST)[0].find("......"), std::string::npos);
  EXPECT_EQ(Rows(IDC_LOG_LIST)[1].find("......"), std::string::npos);
  EXPECT_EQ(FileLines(file).at(0).size(), 133u);
}

TEST_F(EventLogTest, FileIsAppendedAcrossRunsAndSkippedWhenItCannotOpen) {
  for (int run = 0; run < 2; ++run) {
    COutputsDlg other;
    EXPECT_EQ(other.AppendLogFile(file.c_str(), "Modbus >> 01 03 00 18 00 12 45 C0 "), 0);
  }
  EXPECT_EQ(FileLines(file), (std::vector<std::string>(2, "Modbus >> 01 03 00 18 00 12 45 C0 ")));

  EXPECT_EQ(dlg.AppendLogFile("/nonexistent-folder/kesTestLog.txt", "x"), -1);
  dlg.m_strLogFileName = "/nonexistent-folder/kesTestLog.txt";
  window->Click(IDC_SHOW_MODBUS);
  Publish(8, Route::Request);
  EXPECT_EQ(Rows(IDC_LOG_LIST).size(), 1u);  // still shown, no message
  EXPECT_TRUE(platform.MessageBoxes().empty());
}

}  // namespace
}  // namespace r742::test

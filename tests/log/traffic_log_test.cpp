// Traffic lines in the event log and the appended log file.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include <unistd.h>

#include "ui/window_fixture.h"

namespace r742::test {
namespace {

std::vector<std::string> FileLines(const std::filesystem::path& path) {
  std::ifstream in(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

class TrafficLogTest : public MainWindowTest {
 protected:
  void SetUp() override {
    Open();
    dlg.m_strLogFileName = file.string();
    std::filesystem::remove(file);
  }
  void TearDown() override { std::filesystem::remove(file); }
  void Tick(int id) { window->Click(id); }
  void Publish(std::size_t frameBytes, COutputsDlg::TrafficRoute route) {
    std::vector<std::uint8_t> frame(frameBytes, 0xAB);
    dlg.FormatTraffic(frame.data(), frame.size(), route == COutputsDlg::TrafficRoute::Request ? 0 : 1);
    dlg.PublishTraffic(route);
  }
  std::filesystem::path file = std::filesystem::temp_directory_path() /
                               ("traffic_log_test_" + std::to_string(::getpid()) + ".txt");
};

TEST_F(TrafficLogTest, NothingWhileModbusIsOff) {
  Publish(8, COutputsDlg::TrafficRoute::Request);
  EXPECT_TRUE(Rows(IDC_LOG_LIST).empty());
  EXPECT_FALSE(std::filesystem::exists(file));
}

TEST_F(TrafficLogTest, RequestIsOneRowAndReplyIsSplitIntoRowsOf120) {
  Tick(IDC_SHOW_MODBUS);
  Publish(45, COutputsDlg::TrafficRoute::Request);   // 145 characters
  Publish(117, COutputsDlg::TrafficRoute::Reply);    // 361 characters
  std::vector<std::size_t> lengths;
  for (const auto& row : Rows(IDC_LOG_LIST)) lengths.push_back(row.size());
  EXPECT_EQ(lengths, (std::vector<std::size_t>{145, 120, 120, 120, 1}));
  EXPECT_TRUE(dlg.m_szTraffic.empty());
  const auto lines = FileLines(file);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].size(), 145u);
  EXPECT_EQ(lines[1].size(), 361u);
}

TEST_F(TrafficLogTest, LimitShortensTheListButFilesTheWholeLine) {
  Tick(IDC_SHOW_MODBUS);
  Tick(IDC_LIMIT_LENGTH);
  std::uint8_t reply[41] = {0x01, 0x03, 0x24};
  reply[39] = 0x41;
  reply[40] = 0x13;
  dlg.FormatTraffic(reply, sizeof reply, 1);
  dlg.PublishTraffic(COutputsDlg::TrafficRoute::Reply);
  Publish(33, COutputsDlg::TrafficRoute::Request);  // 109 characters: shown whole
  const auto rows = Rows(IDC_LOG_LIST);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].size(), 109u);
  EXPECT_EQ(rows[0].substr(0, 19), "Modbus << 01 03 24 ");
  EXPECT_EQ(rows[0].substr(98), "......41 13");
  EXPECT_EQ(rows[1].size(), 109u);
  EXPECT_EQ(rows[1].find("......"), std::string::npos);
  EXPECT_EQ(FileLines(file).at(0).size(), 133u);
}

TEST_F(TrafficLogTest, FileIsAppendedAcrossRunsAndSkippedWhenItCannotOpen) {
  for (int run = 0; run < 2; ++run) {
    COutputsDlg other;
    EXPECT_EQ(other.AppendLogFile(file.c_str(), "Modbus >> 01 03 00 18 00 12 45 C0 "), 0);
  }
  EXPECT_EQ(FileLines(file), (std::vector<std::string>(2, "Modbus >> 01 03 00 18 00 12 45 C0 ")));

  EXPECT_EQ(dlg.AppendLogFile("/nonexistent-folder/kesTestLog.txt", "x"), -1);
  dlg.m_strLogFileName = "/nonexistent-folder/kesTestLog.txt";
  Tick(IDC_SHOW_MODBUS);
  Publish(8, COutputsDlg::TrafficRoute::Request);
  EXPECT_EQ(Rows(IDC_LOG_LIST).size(), 1u);  // still shown, no message
  EXPECT_TRUE(platform.MessageBoxes().empty());
}

}  // namespace
}  // namespace r742::test

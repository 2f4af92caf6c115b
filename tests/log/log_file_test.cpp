// The log file takes a whole line or nothing, from regular files only, and never blocks.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>

#include "log/log_file.h"

#if defined(_WIN32)
#include <process.h>
#define getpid _getpid
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace r742 {
namespace {

namespace fs = std::filesystem;
using namespace std::string_view_literals;

std::string Bytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class LogFileTest : public ::testing::Test {
 protected:
  void SetUp() override { fs::create_directories(dir); }
  void TearDown() override {
#if !defined(_WIN32)
    if (reader >= 0) close(reader);
#endif
    std::error_code ignored;
    fs::permissions(dir / "read-only.txt", fs::perms::owner_all, ignored);
    fs::remove_all(dir, ignored);
  }
  const fs::path dir = fs::temp_directory_path() / ("r742_log_file_" + std::to_string(getpid()));
  int reader = -1;
};

TEST_F(LogFileTest, WholeLinesGoToRegularFilesOnly) {
  constexpr const char* kNotRegular = "not a regular file";
  const fs::path earlier = dir / u8"earlier-\u00fc.txt", readOnly = dir / "read-only.txt", fifo = dir / "fifo";
  std::ofstream(earlier, std::ios::binary) << "earlier run\n";
  std::ofstream(readOnly, std::ios::binary) << "kept\n";
  fs::permissions(readOnly, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  const struct {
    const char* what;
    std::function<std::optional<fs::path>()> make;  // the file; none: the row does not hold for this user
    const char* reason;                             // nullptr: written; "": any reason the system gives
  } rows[] = {
    {"earlier lines stay", [&] { return earlier; }, nullptr},
    {"folder", [&] { return dir; }, kNotRegular},
    {"missing folder", [&] { return dir / "none" / "x.txt"; }, ""},
#if defined(_WIN32)
    {"device", [] { return fs::path("NUL"); }, kNotRegular},
#else
    {"device", [] { return fs::path("/dev/full"); }, kNotRegular},
    {"FIFO without a reader", [&] { return mkfifo(fifo.c_str(), 0600) == 0 ? fifo : dir; }, kNotRegular},
    {"FIFO with a reader", [&] { return (reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK)), fifo; }, kNotRegular},
    {"read-only file",  // permission bits do not stop root
     [&] { return geteuid() == 0 ? std::nullopt : std::optional(readOnly); }, "Permission denied"},
#endif
  };
#if defined(_WIN32)
  const std::string end = "\r\n";
#else
  const std::string end = "\n";
#endif
  for (const auto& row : rows) {
    const std::optional<fs::path> file = row.make();
    if (!file) {
      std::cout << "[ SKIPPED  ] " << row.what << ": does not hold for this user\n";
      continue;
    }
    const std::u8string name = file->u8string();
    std::string why;
    for (std::string_view line : {"Modbus >> 01 04"sv, "Modbus << 01 04\0 cut"sv}) {
      EXPECT_EQ(AppendLineToFile(std::string(name.begin(), name.end()).c_str(), line, &why),
                row.reason == nullptr ? 0 : -1)
          << row.what;
    }
    if (row.reason != nullptr) {
      EXPECT_TRUE(*row.reason == '\0' ? !why.empty() : why == row.reason) << row.what << ": " << why;
    }
  }
  EXPECT_EQ(Bytes(earlier), "earlier run\nModbus >> 01 04" + end + "Modbus << 01 04" + end);
  EXPECT_EQ(Bytes(readOnly), "kept\n");
}

}  // namespace
}  // namespace r742

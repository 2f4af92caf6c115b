// The log file takes a whole line or nothing, from regular files only, and never blocks.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include "log/log_file.h"
#if !defined(_WIN32)
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <csignal>
#include <cstring>
#endif

namespace r742 {
namespace {

namespace fs = std::filesystem;

std::string Bytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

TEST(LogFileTest, WholeLinesGoToRegularFilesOnly) {
  const char* const kNotRegular = "not a regular file";
  const fs::path dir = fs::temp_directory_path() / ("r742_log_file_" + std::to_string(getpid()));
  const fs::path earlier = dir / u8"earlier-\u00fc.txt", readOnly = dir / "read-only.txt";
  fs::create_directories(dir);
  std::ofstream(earlier, std::ios::binary) << "earlier run\n";
  std::ofstream(readOnly, std::ios::binary) << "kept\n";
  fs::permissions(readOnly, fs::perms::owner_read);
  // The file, and why it is refused: nullptr when written, "" in the system's own words.
  std::vector<std::pair<fs::path, const char*>> rows = {{earlier, nullptr}, {dir, kNotRegular}, {dir / "no/x", ""}};
#if defined(_WIN32)
  rows.emplace_back("NUL", kNotRegular);
  const std::string end = "\r\n";
#else
  const std::string end = "\n";
  mkfifo((dir / "alone").c_str(), 0600);
  mkfifo((dir / "read").c_str(), 0600);
  const int reader = open((dir / "read").c_str(), O_RDONLY | O_NONBLOCK);
  rows.insert(rows.end(), {{"/dev/full", kNotRegular}, {dir / "alone", kNotRegular}, {dir / "read", kNotRegular}});
  if (geteuid() != 0) rows.emplace_back(readOnly, "Permission denied");  // permission bits do not stop root
#endif
  for (const auto& [file, reason] : rows) {
    const std::u8string name = file.u8string();
    std::string why;
    for (const char* line : {"Modbus >> 01 04", "Modbus << 01 04"})
      EXPECT_EQ(AppendLineToFile(std::string(name.begin(), name.end()).c_str(), line, &why), reason ? -1 : 0) << file;
    EXPECT_TRUE(!reason || (*reason ? why == reason : !why.empty())) << file << ": " << why;
  }
  EXPECT_EQ(Bytes(earlier), "earlier run\nModbus >> 01 04" + end + "Modbus << 01 04" + end);
  EXPECT_EQ(Bytes(readOnly), "kept\n");
  fs::permissions(readOnly, fs::perms::owner_all);
  fs::remove_all(dir);
#if !defined(_WIN32)
  close(reader);
#endif
}

#if !defined(_WIN32)

// Appends lines in a child process (its limits and mounts stay there) until one fails: 0 when it failed for
// `cause`, the file kept whole lines only and, after `makeRoom`, one more; 77 when `setUp` is refused.
int FillInChild(const std::string& file, int cause, const std::function<bool()>& setUp,
                const std::function<void()>& makeRoom) {
  const pid_t child = fork();
  if (child == 0) {
    if (!setUp()) _exit(77);
    const std::string line = "Modbus >> 01 04 00 00 00 02 71";  // 31 bytes with its end: never fills a page
    std::string why, whole;
    while (AppendLineToFile(file.c_str(), line, &why) == 0 && whole.size() < 100000) whole += line + "\n";
    makeRoom();
    const bool more = AppendLineToFile(file.c_str(), line) == 0;
    _exit(why == std::strerror(cause) && more && Bytes(file) == whole + line + "\n" ? 0 : 1);
  }
  int status = -1;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(LogFileTest, ALineThatDoesNotFitIsTakenBack) {
  const std::string dir = ::testing::TempDir() + "r742_log_limits_" + std::to_string(getpid());
  fs::create_directories(dir);
  rlimit limit{}, low{100, 0};
  getrlimit(RLIMIT_FSIZE, &limit);
  low.rlim_max = limit.rlim_max;
  const auto lowLimit = [&] { return signal(SIGXFSZ, SIG_IGN) != SIG_ERR && setrlimit(RLIMIT_FSIZE, &low) == 0; };
  EXPECT_EQ(FillInChild(dir + "/limited.txt", EFBIG, lowLimit, [&] { setrlimit(RLIMIT_FSIZE, &limit); }), 0);
  const auto smallDisk = [&] {  // a tmpfs of two pages, one held by another file until room is made
    return unshare(CLONE_NEWNS) == 0 && mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
           mount("r742", dir.c_str(), "tmpfs", 0, "size=8k") == 0 &&
           AppendLineToFile((dir + "/other").c_str(), std::string(4000, 'x')) == 0;
  };
  const int full = FillInChild(dir + "/full.txt", ENOSPC, smallDisk, [&] { fs::remove(dir + "/other"); });
  fs::remove_all(dir);
  if (full == 77) GTEST_SKIP() << "mounting a tmpfs is refused here (it needs privileges)";
  EXPECT_EQ(full, 0);
}
#endif

}  // namespace
}  // namespace r742

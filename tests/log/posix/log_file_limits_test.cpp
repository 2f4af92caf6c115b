// A line that meets a file-size limit or a full disk is taken back whole; the next one that fits is whole.
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include "log/log_file.h"

namespace r742 {
namespace {

constexpr int kNotHere = 77;

// The exit status of `body` run in a child process.
int InChild(const std::function<int()>& body) {
  const pid_t child = fork();
  if (child == 0) _exit(body());
  int status = 0;
  return waitpid(child, &status, 0) == child && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Appends lines until one fails; 0 when it failed for `cause`, the file holds whole lines
// only, and after `makeRoom` one more whole line.
int FillThenMakeRoom(const std::string& file, int cause, const std::function<void()>& makeRoom) {
  const std::string line = "Modbus >> 01 04 00 00 00 02 71";  // with its line end 31 bytes: never fits a page
  std::string why;
  std::string whole;
  for (; AppendLineToFile(file.c_str(), line, &why) == 0; whole += line + "\n") {
    if (whole.size() > 1000000) return 1;
  }
  if (why != std::strerror(cause)) return 2;
  makeRoom();
  if (AppendLineToFile(file.c_str(), line) != 0) return 3;
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {}) == whole + line + "\n" ? 0 : 4;
}

TEST(LogFileLimitTest, ALineThatDoesNotFitIsTakenBack) {
  const std::string dir = ::testing::TempDir() + "r742_log_limits_" + std::to_string(getpid());
  std::filesystem::create_directories(dir);
  EXPECT_EQ(InChild([&] {
              std::signal(SIGXFSZ, SIG_IGN);
              rlimit limit{};
              getrlimit(RLIMIT_FSIZE, &limit);
              const rlimit low{100, limit.rlim_max};
              if (setrlimit(RLIMIT_FSIZE, &low) != 0) return kNotHere;
              return FillThenMakeRoom(dir + "/limited.txt", EFBIG, [&] { setrlimit(RLIMIT_FSIZE, &limit); });
            }),
            0)
      << "file-size limit";
  // A tmpfs of two pages, one of them held by another file until room is made.
  const int full = InChild([&] {
    if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        mount("r742", dir.c_str(), "tmpfs", 0, "size=8k") != 0)
      return kNotHere;
    std::ofstream(dir + "/other") << std::string(4000, 'x');
    return FillThenMakeRoom(dir + "/full.txt", ENOSPC, [&] { unlink((dir + "/other").c_str()); });
  });
  std::filesystem::remove_all(dir);
  if (full == kNotHere) GTEST_SKIP() << "mounting a tmpfs is refused here (it needs privileges)";
  EXPECT_EQ(full, 0) << "full disk";
}

}  // namespace
}  // namespace r742

// How the real program ends when it is told to from outside, or cannot do
// what it was asked: signals end it as Quit does and leave the port free for
// the next user; a display that cannot be reached and a picture that cannot
// be written end it with one clear message and a failure status.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "pseudo_terminal.h"
#include "sim/child_process.h"

namespace r742::test {
namespace {

using simtest::ChildProcess;
using simtest::Clock;
using namespace std::chrono_literals;

constexpr std::size_t kFirstRequestBytes = 8;  // a Read starts with "read 56 values"

// Opens the device as a user outside the root account may; 0 or the errno of the refusal.
int OpenAsOrdinaryUser(const std::string& device) {
  if (geteuid() != 0) {
    const int fd = open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    const int error = fd < 0 ? errno : 0;
    if (fd >= 0) close(fd);
    return error;
  }
  chmod(device.c_str(), 0666);  // root's own open would pass an exclusive line
  const pid_t child = fork();
  if (child == 0) {
    if (setgid(65534) != 0 || setuid(65534) != 0) _exit(255);
    const int fd = open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    _exit(fd < 0 ? errno : 0);
  }
  int status = 0;
  return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class ProgramEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    workDir_ = testing::TempDir() + "r742-end-XXXXXX";
    ASSERT_NE(mkdtemp(workDir_.data()), nullptr);
  }
  void TearDown() override { std::filesystem::remove_all(workDir_); }

  // The program offscreen with a Read of COM1 under way on a pseudo-terminal, its first request received.
  void StartReading(PseudoTerminal& line, ChildProcess& program) {
    std::string error;
    ASSERT_TRUE(line.Open(error)) << error;
    ASSERT_TRUE(program.Start({"env", "-C", workDir_, "QT_QPA_PLATFORM=offscreen", "R742_COM1=" + line.SlavePath(),
                               "R742_SCREENSHOT=" + workDir_ + "/x.png", R742_OUTPUTS_PATH, "COM1", "38400", "N", "8",
                               "2", "1", "300", "2"}));
    std::size_t received = 0;
    const auto deadline = Clock::now() + 20s;
    while (received < kFirstRequestBytes && Clock::now() < deadline) {
      pollfd p{line.MasterFd(), POLLIN, 0};
      if (poll(&p, 1, 100) <= 0) continue;
      char bytes[64];
      const ssize_t n = read(line.MasterFd(), bytes, sizeof bytes);
      if (n > 0) received += static_cast<std::size_t>(n);
    }
    ASSERT_GE(received, kFirstRequestBytes) << program.Output();
  }

  std::string workDir_;
};

TEST_F(ProgramEnd, EachSignalEndsTheReadAsQuitDoesAndLeavesThePortFree) {
  for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
    SCOPED_TRACE(strsignal(signal));
    PseudoTerminal line;
    ChildProcess program;
    ASSERT_NO_FATAL_FAILURE(StartReading(line, program));
    program.Signal(signal);
    const int status = program.WaitStatus(Clock::now() + 20s);
    // Ended by the signal itself after the clean end, as a shell and a parent expect.
    EXPECT_TRUE(status != -1 && WIFSIGNALED(status) && WTERMSIG(status) == signal) << status << program.Output();
    EXPECT_EQ(OpenAsOrdinaryUser(line.SlavePath()), 0) << "the port is still held";
  }
}

TEST_F(ProgramEnd, ASecondSignalEndsAtOnceWithoutTheCleanEnd) {
  PseudoTerminal line;
  ChildProcess program;
  ASSERT_NO_FATAL_FAILURE(StartReading(line, program));
  program.Signal(SIGSTOP);  // both arrive before the program can act on the first
  program.Signal(SIGINT);
  program.Signal(SIGTERM);
  program.Signal(SIGCONT);
  const int status = program.WaitStatus(Clock::now() + 20s);
  EXPECT_TRUE(status != -1 && WIFSIGNALED(status)) << status << program.Output();
  EXPECT_EQ(OpenAsOrdinaryUser(line.SlavePath()), EBUSY) << "the port was released: a clean end";
}

// A display number no X server serves here (no socket, in the file system or the abstract space).
std::string UnservedDisplay() {
  std::stringstream sockets;
  sockets << std::ifstream("/proc/net/unix").rdbuf();
  for (int n = 99;; ++n) {
    const std::string socket = "/tmp/.X11-unix/X" + std::to_string(n);
    if (!std::filesystem::exists(socket) && sockets.str().find(socket + "\n") == std::string::npos)
      return ":" + std::to_string(n);
  }
}

TEST_F(ProgramEnd, AnUnreachableDisplayIsOneLineAndStatusOne) {
  const std::string display = UnservedDisplay();
  ChildProcess program;
  ASSERT_TRUE(program.Start(
      {"env", "-u", "QT_QPA_PLATFORM", "-u", "WAYLAND_DISPLAY", "DISPLAY=" + display, R742_OUTPUTS_PATH}));
  EXPECT_EQ(program.Wait(Clock::now() + 20s), 1) << "aborted or hung";
  EXPECT_EQ(program.Output(),
            "r742-outputs: cannot open the display \"" + display + "\"; unset DISPLAY to run offscreen\n");
}

TEST_F(ProgramEnd, APictureThatCannotBeWrittenFailsWithItsPathAndReasonAndMakesNoFolder) {
  const std::string missing = workDir_ + "/missing";
  for (const auto& [path, reason] :
       {std::pair{missing + "/x.png", "No such file or directory"}, std::pair{workDir_, "Is a directory"}}) {
    ChildProcess program;
    ASSERT_TRUE(program.Start({"env", "QT_QPA_PLATFORM=offscreen", "R742_SCREENSHOT=" + path, R742_OUTPUTS_PATH}));
    EXPECT_NE(program.Wait(Clock::now() + 30s), 0) << program.Output();
    EXPECT_NE(program.Output().find("Could not write the window picture to " + path + ": " + reason), std::string::npos)
        << program.Output();
  }
  EXPECT_FALSE(std::filesystem::exists(missing));
}

}  // namespace
}  // namespace r742::test

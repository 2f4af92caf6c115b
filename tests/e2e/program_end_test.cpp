// The real program ended from outside, or unable to do what it was asked.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

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

// Opens the device as a user outside root (whom an exclusive line lets in); 0 or the errno of the refusal.
int OpenAsOrdinaryUser(const std::string& device) {
  chmod(device.c_str(), 0666);
  const pid_t child = fork();
  if (child == 0) {
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(255);
    _exit(open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK) < 0 ? errno : 0);
  }
  int status = 0;
  return waitpid(child, &status, 0) == child && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A signal ends a Read under way as Quit does, and the program then ends by it; two at once end it without
// that clean end, which leaves the port held, as any killed holder does.
TEST(ProgramEnd, SignalsEndTheReadAsQuitDoesAndLeaveThePortFree) {
  const std::pair<std::vector<int>, int> cases[] = {
      {{SIGTERM}, 0}, {{SIGINT}, 0}, {{SIGHUP}, 0}, {{SIGSTOP, SIGINT, SIGTERM, SIGCONT}, EBUSY}};
  for (const auto& [signals, portRefusal] : cases) {
    SCOPED_TRACE(strsignal(signals[signals.size() > 1]));
    PseudoTerminal line;
    std::string error;
    ASSERT_TRUE(line.Open(error)) << error;
    ChildProcess program;
    ASSERT_TRUE(program.Start({"env", "-C", testing::TempDir(), "QT_QPA_PLATFORM=offscreen",
                               "R742_COM1=" + line.SlavePath(), R742_OUTPUTS_PATH, "COM1,38400,N,8,2,1,300,2"}));
    // The Read's first request, 8 bytes.
    ASSERT_EQ(simtest::ReadBytes(line.MasterFd(), 8, Clock::now() + 20s).size(), 8u) << program.Output();
    for (int signal : signals) {
      signals.size() == 1 ? program.Signal(signal) : program.SignalMainThread(signal);
      if (signal == SIGSTOP) {
        ASSERT_TRUE(program.AwaitStopped());  // the next two come before it can act
      }
    }
    const int status = program.WaitStatus(Clock::now() + 20s);
    EXPECT_TRUE(status != -1 && WIFSIGNALED(status) && (signals.size() > 1 || WTERMSIG(status) == signals[0]))
        << status << program.Output();
    EXPECT_EQ(OpenAsOrdinaryUser(line.SlavePath()), portRefusal);
  }
}

// A display number nothing listens for here (in the file system or the abstract space).
std::string UnservedDisplay() {
  std::stringstream sockets;
  sockets << std::ifstream("/proc/net/unix").rdbuf();
  int n = 99;
  while (sockets.str().find("/tmp/.X11-unix/X" + std::to_string(n) + "\n") != std::string::npos) ++n;
  return ":" + std::to_string(n);
}

// Each fails with status 1 and says why; a picture's folder is not made.
TEST(ProgramEnd, AnUnreachableDisplayOrAnUnwritablePictureFailsWithOneClearMessage) {
  const std::string display = UnservedDisplay(), folder = testing::TempDir() + "r742-missing";
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"-u", "QT_QPA_PLATFORM", "-u", "WAYLAND_DISPLAY", "DISPLAY=" + display},
       "r742-outputs: cannot open the display \"" + display + "\"; unset DISPLAY to run offscreen\n"},
      {{"QT_QPA_PLATFORM=offscreen", "R742_SCREENSHOT=" + folder + "/x.png"},
       "Could not write the window picture to " + folder + "/x.png: No such file or directory\n"}};
  for (auto [environment, message] : cases) {
    environment.insert(environment.begin(), "env");
    environment.push_back(R742_OUTPUTS_PATH);
    ChildProcess program;
    ASSERT_TRUE(program.Start(environment));
    EXPECT_EQ(program.Wait(Clock::now() + 30s), 1) << program.Output();
    const bool display = message.starts_with("r742");  // nothing but the line: Qt's own warnings are held back
    EXPECT_TRUE(display ? program.Output() == message : program.Output().find(message) != std::string::npos)
        << program.Output();
  }
  EXPECT_FALSE(std::filesystem::exists(folder));
}

}  // namespace
}  // namespace r742::test

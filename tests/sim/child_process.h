// A program started by a test, stdout and stderr in one pipe, every wait
// bounded by a deadline; killed and reaped when the object goes.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <utility>
#include <vector>

extern char** environ;

namespace r742::simtest {

using Clock = std::chrono::steady_clock;

class ChildProcess {
 public:
  ~ChildProcess() {
    if (pid_ > 0 && kill(pid_, SIGKILL) == 0) waitpid(pid_, nullptr, 0);
    for (int fd : {out_, in_})
      if (fd >= 0) close(fd);
  }
  // argv[0] is looked up in PATH unless it holds a '/'. With `withInput` the
  // program's stdin is a pipe that WriteLine feeds.
  bool Start(const std::vector<std::string>& argv, bool withInput = false) {
    int out[2], input[2] = {-1, -1};
    if (pipe2(out, O_CLOEXEC) != 0 || (withInput && pipe2(input, O_CLOEXEC) != 0)) return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    for (int fd : {1, 2}) posix_spawn_file_actions_adddup2(&actions, out[1], fd);
    if (withInput) posix_spawn_file_actions_adddup2(&actions, input[0], 0);
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    if (posix_spawnp(&pid_, args[0], &actions, nullptr, args.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    out_ = out[0];
    if (withInput) close(input[0]), in_ = input[1];
    return pid_ > 0;
  }
  bool WriteLine(const std::string& line) {
    const std::string text = line + "\n";
    return in_ >= 0 && write(in_, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  }
  // Waits until the output holds `text`; true if it came.
  bool AwaitOutput(const std::string& text, Clock::time_point deadline) {
    while (output_.find(text) == std::string::npos)
      if (!ReadSome(deadline)) return false;
    return true;
  }
  // Output up to the first newline, or what came before the output ended or the deadline.
  std::string FirstLine(Clock::time_point deadline) {
    while (output_.find('\n') == std::string::npos && ReadSome(deadline)) continue;
    return output_.substr(0, output_.find('\n'));
  }
  // The exit code once the program ended; -1 when it had to be killed at the deadline.
  int Wait(Clock::time_point deadline) {
    const int status = WaitStatus(deadline);
    return status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  // The wait status once the program ended; -1 when it had to be killed at the deadline.
  int WaitStatus(Clock::time_point deadline) {
    while (ReadSome(deadline)) continue;
    const bool late = out_ >= 0;
    if (late) kill(pid_, SIGKILL);
    int status = 0;
    if (pid_ <= 0 || waitpid(pid_, &status, 0) != pid_) return -1;
    pid_ = -1;
    return late ? -1 : status;
  }
  void Signal(int signal) { kill(pid_, signal); }
  // To the program's first thread only: signals so sent are taken one after the other, never by two threads at once.
  void SignalMainThread(int signal) { syscall(SYS_tgkill, pid_, pid_, signal); }
  // Waits until a SIGSTOP sent has taken effect.
  bool AwaitStopped() {
    int status = 0;
    return waitpid(pid_, &status, WUNTRACED) == pid_ && WIFSTOPPED(status);
  }
  const std::string& Output() const { return output_; }

 private:
  // False once the output has ended or the deadline passed.
  bool ReadSome(Clock::time_point deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    pollfd p{out_, POLLIN, 0};
    if (out_ < 0 || left <= 0) return false;
    if (poll(&p, 1, static_cast<int>(left)) <= 0) return true;  // the next call sees the deadline
    char buffer[4096];
    const ssize_t n = read(out_, buffer, sizeof buffer);
    if (n > 0) return output_.append(buffer, static_cast<std::size_t>(n)), true;
    close(std::exchange(out_, -1));
    return false;
  }

  pid_t pid_ = -1;
  int out_ = -1, in_ = -1;
  std::string output_;
};

// Runs a program to its end, for at most 30 s; its exit code (-1 when it did
// not start), and what it wrote in `output`.
inline int RunToEnd(const std::vector<std::string>& argv, std::string& output) {
  ChildProcess program;
  if (!program.Start(argv)) return -1;
  const int code = program.Wait(Clock::now() + std::chrono::seconds(30));
  output = program.Output();
  return code;
}

// Reads from `fd` until `count` bytes came or the deadline passed.
inline std::vector<std::uint8_t> ReadBytes(int fd, std::size_t count, Clock::time_point deadline) {
  std::vector<std::uint8_t> got(count);
  std::size_t n = 0;
  for (pollfd p{fd, POLLIN, 0}; n < count && poll(&p, 1, 50) >= 0 && Clock::now() < deadline;)
    if (p.revents & POLLIN) n += static_cast<std::size_t>(std::max<ssize_t>(0, read(fd, &got[n], count - n)));
  got.resize(n);
  return got;
}

}  // namespace r742::simtest

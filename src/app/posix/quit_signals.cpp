#include "app/posix/quit_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <iostream>

namespace r742 {

namespace {

constexpr int kQuitSignals[] = {SIGTERM, SIGINT, SIGHUP};

int g_pipe[2] = {-1, -1};
// Several threads may take signals at once: the first to swap in its number ends cleanly.
std::atomic<int> g_received{0};
static_assert(std::atomic<int>::is_always_lock_free, "used in a signal handler");

void RestoreDefault(int signal) {
  struct sigaction action {};
  action.sa_handler = SIG_DFL;
  sigemptyset(&action.sa_mask);
  sigaction(signal, &action, nullptr);
}

// Only async-signal-safe calls here.
void OnQuitSignal(int signal) {
  if (g_received.exchange(signal) != 0) {  // the clean end is already under way: end now
    RestoreDefault(signal);
    raise(signal);  // delivered as the handler returns
    return;
  }
  const int saved = errno;
  const auto number = static_cast<unsigned char>(signal);
  [[maybe_unused]] const ssize_t written = write(g_pipe[1], &number, 1);
  errno = saved;
}

}  // namespace

int InstallQuitSignals() {
  if (g_pipe[0] < 0 && pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) return -1;
  struct sigaction action {};
  action.sa_handler = &OnQuitSignal;
  action.sa_flags = SA_RESTART;
  sigemptyset(&action.sa_mask);
  for (int signal : kQuitSignals) sigaddset(&action.sa_mask, signal);  // one handler at a time
  for (int signal : kQuitSignals)
    if (sigaction(signal, &action, nullptr) != 0) return -1;
  return g_pipe[0];
}

int TakeQuitSignal() {
  unsigned char number = 0;
  if (g_pipe[0] < 0 || read(g_pipe[0], &number, 1) != 1) return 0;
  return number;
}

void EndBySignal(int signal) {
  std::cout.flush();
  std::cerr.flush();
  std::fflush(nullptr);
  RestoreDefault(signal);
  sigset_t unblock;
  sigemptyset(&unblock);
  sigaddset(&unblock, signal);
  pthread_sigmask(SIG_UNBLOCK, &unblock, nullptr);
  raise(signal);
  // cppcheck-suppress unreachableCode ; raise returns where the default action does not end the process
  _exit(128 + signal);
}

}  // namespace r742

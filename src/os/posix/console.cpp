#include "os/console.h"

#include <signal.h>  // NOLINT(modernize-deprecated-headers): sigaction is POSIX-only
#include <unistd.h>

namespace r742 {
namespace {

std::atomic<bool>* g_flag = nullptr;

void OnInterrupt(int signal) {
  if (g_flag->exchange(true)) {  // the second one: as if nothing had caught it
    ::signal(signal, SIG_DFL);
    raise(signal);
  }
}

}  // namespace

bool StandardErrorIsTerminal() { return isatty(STDERR_FILENO) == 1; }

void CatchInterrupts(std::atomic<bool>& flag) {
  g_flag = &flag;
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &action, nullptr);
}

}  // namespace r742

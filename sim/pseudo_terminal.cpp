#include "pseudo_terminal.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>  // NOLINT(modernize-deprecated-headers): posix_openpt, grantpt, unlockpt are POSIX-only
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <system_error>

namespace r742 {

namespace {

std::string Failure(const char* what) {
  const int code = errno;
  return std::string(what) + ": " + std::generic_category().message(code);
}

}  // namespace

PseudoTerminal::~PseudoTerminal() {
  if (!link_.empty()) unlink(link_.c_str());
  if (slave_ >= 0) close(slave_);
  if (master_ >= 0) close(master_);
}

bool PseudoTerminal::Open(std::string& error) {
  master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master_ < 0) return error = Failure("posix_openpt"), false;
  char name[128];
  if (grantpt(master_) != 0) return error = Failure("grantpt"), false;
  if (unlockpt(master_) != 0) return error = Failure("unlockpt"), false;
  if (ptsname_r(master_, name, sizeof name) != 0) return error = Failure("ptsname_r"), false;
  slavePath_ = name;

  slave_ = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (slave_ < 0) return error = Failure(name), false;
  termios tio{};
  if (tcgetattr(slave_, &tio) != 0) return error = Failure("tcgetattr"), false;
  cfmakeraw(&tio);
  tio.c_cflag |= CLOCAL | CREAD;
  tio.c_cc[VMIN] = 0;
  tio.c_cc[VTIME] = 0;
  if (tcsetattr(slave_, TCSANOW, &tio) != 0) return error = Failure("tcsetattr"), false;

  const int flags = fcntl(master_, F_GETFL);
  if (flags < 0 || fcntl(master_, F_SETFL, flags | O_NONBLOCK) != 0) return error = Failure("fcntl"), false;
  return true;
}

bool PseudoTerminal::MakeLink(const std::string& linkPath, std::string& error) {
  struct stat st {};
  if (lstat(linkPath.c_str(), &st) == 0) {
    if (!S_ISLNK(st.st_mode)) return error = linkPath + ": exists and is not a symbolic link", false;
    if (unlink(linkPath.c_str()) != 0) return error = Failure(linkPath.c_str()), false;
  }
  if (symlink(slavePath_.c_str(), linkPath.c_str()) != 0) return error = Failure(linkPath.c_str()), false;
  link_ = linkPath;
  return true;
}

void PseudoTerminal::AwaitProgramClose(int timeoutMs) {
  if (slave_ >= 0) close(slave_);
  slave_ = -1;
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0 || master_ < 0) return;
    pollfd p{master_, POLLIN, 0};
    if (poll(&p, 1, static_cast<int>(left)) < 0 && errno != EINTR) return;
    if (p.revents & POLLHUP) return;
    if (p.revents & POLLIN) {
      char discard[256];
      if (read(master_, discard, sizeof discard) < 0 && errno != EAGAIN && errno != EINTR) return;
    }
  }
}

}  // namespace r742

#include "serial/posix/posix_serial_port.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <optional>

#include "serial/posix/termios_settings.h"
#include "serial/read_limits.h"

namespace r742 {
namespace {

constexpr std::int64_t kNsPerMs = 1000000;

std::int64_t NowNs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return std::int64_t{ts.tv_sec} * 1000000000 + ts.tv_nsec;
}

// Many USB adapters switch the transceiver direction themselves and some
// misbehave under TIOCSRS485, so the kernel's RS-485 mode is opt-in.
void AskForRs485Mode(int fd) {
  const char* wanted = std::getenv("R742_RS485");
  if (wanted == nullptr || std::strcmp(wanted, "1") != 0) return;
  serial_rs485 rs485{};
  rs485.flags = SER_RS485_ENABLED | SER_RS485_RTS_ON_SEND;
  (void)ioctl(fd, TIOCSRS485, &rs485);  // a device without it still works
}

timespec ToTimespec(std::int64_t ns) {
  timespec ts{};
  ts.tv_sec = static_cast<time_t>(ns / 1000000000);
  ts.tv_nsec = static_cast<long>(ns % 1000000000);
  return ts;
}

}  // namespace

std::unique_ptr<PosixSerialPort> PosixSerialPort::Open(const std::string& path) {
  if (path.empty()) return nullptr;
  const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return nullptr;
  // The flock keeps out every other opener that locks, including root and
  // this process; TIOCEXCL adds the openers that do not lock. A terminal that
  // refuses TIOCEXCL as not permitted or not supported is still held by the
  // flock, so that refusal is let through.
  bool held = isatty(fd) == 1 && flock(fd, LOCK_EX | LOCK_NB) == 0;
  if (held && ioctl(fd, TIOCEXCL) != 0 && errno != EPERM && errno != ENOTTY) held = false;
  if (!held) {
    close(fd);
    return nullptr;
  }
  tcflush(fd, TCIOFLUSH);  // start with empty queues, as a freshly opened port
  return std::unique_ptr<PosixSerialPort>(new PosixSerialPort(fd));
}

PosixSerialPort::~PosixSerialPort() {
  // TIOCEXCL stays on the terminal while the other side of a pty is open.
  ioctl(fd_, TIOCNXCL);
  close(fd_);
}

bool PosixSerialPort::Fail(int error) {
  lastError_ = static_cast<std::uint32_t>(error);
  return false;
}

bool PosixSerialPort::SetupComm(std::uint32_t inQueue, std::uint32_t outQueue) {
  // The kernel sizes its own queues; only sizes a driver could take pass.
  constexpr std::uint32_t kLargest = 65536;
  if (inQueue < 1 || inQueue > kLargest || outQueue < 1 || outQueue > kLargest) {
    return Fail(EINVAL);
  }
  return true;
}

bool PosixSerialPort::GetCommState(LineSettings& settings) {
  termios t{};
  if (tcgetattr(fd_, &t) != 0) return Fail(errno);
  settings = LineSettingsFrom(t);
  settings.rtsToggle = rtsToggle_;
  settings.abortOnError = abortOnError_;
  return true;
}

bool PosixSerialPort::SetCommState(const LineSettings& settings) {
  termios t{};
  if (tcgetattr(fd_, &t) != 0) return Fail(errno);
  if (!ApplyLineSettings(settings, t)) return Fail(EINVAL);
  if (tcsetattr(fd_, TCSANOW, &t) != 0) return Fail(errno);
  if (settings.rtsToggle) AskForRs485Mode(fd_);
  rtsToggle_ = settings.rtsToggle;
  abortOnError_ = settings.abortOnError;
  return true;
}

bool PosixSerialPort::GetCommTimeouts(CommTimeouts& timeouts) {
  timeouts = timeouts_;
  return true;
}

bool PosixSerialPort::SetCommTimeouts(const CommTimeouts& timeouts) {
  timeouts_ = timeouts;
  return true;
}

bool PosixSerialPort::Write(const std::uint8_t* data, std::uint32_t length, std::uint32_t& written) {
  written = 0;
  // cppcheck-suppress redundantAssignment ; a misreading of the conditional below: capMs is assigned once
  const std::uint64_t capMs =
      (timeouts_.writeTotalMultiplier != 0 || timeouts_.writeTotalConstant != 0)
          ? std::uint64_t{timeouts_.writeTotalMultiplier} * length + timeouts_.writeTotalConstant
          : 1000 + std::uint64_t{length};
  const std::int64_t deadline = NowNs() + static_cast<std::int64_t>(capMs) * kNsPerMs;
  while (written < length) {
    const ssize_t n = write(fd_, data + written, length - written);
    if (n > 0) {
      written += static_cast<std::uint32_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN) return Fail(errno);

    const std::int64_t left = deadline - NowNs();
    if (left <= 0) return Fail(ETIMEDOUT);
    pollfd pfd{fd_, POLLOUT, 0};
    const timespec wait = ToTimespec(left);
    const int ready = ppoll(&pfd, 1, &wait, nullptr);
    if (ready < 0 && errno != EINTR) return Fail(errno);
    if (ready > 0 && (pfd.revents & POLLOUT) == 0) {
      return Fail((pfd.revents & POLLNVAL) != 0 ? EBADF : EIO);
    }
  }
  return true;
}

bool PosixSerialPort::Read(std::uint8_t* buffer, std::uint32_t count, std::uint32_t& received) {
  received = 0;
  if (count == 0) return true;
  const ReadLimits limits = ReadLimitsFor(timeouts_, count);
  const std::int64_t start = NowNs();
  std::int64_t lastData = 0;
  bool hungUp = false;
  for (;;) {
    const ssize_t n = read(fd_, buffer + received, count - received);
    if (n > 0) {
      received += static_cast<std::uint32_t>(n);
      lastData = NowNs();
      if (received == count) return true;
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN) return Fail(errno);
    if (hungUp) return Fail(EIO);  // the poll said hang-up and there was nothing to read
    if (limits.immediate) return true;

    std::optional<std::int64_t> deadline;
    if (limits.totalMs != 0) deadline = start + limits.totalMs * kNsPerMs;
    if (received > 0 && limits.intervalMs != 0) {
      const std::int64_t quietEnd = lastData + limits.intervalMs * kNsPerMs;
      deadline = deadline ? std::min(*deadline, quietEnd) : quietEnd;
    }
    timespec wait{};
    if (deadline) {
      const std::int64_t left = *deadline - NowNs();
      if (left <= 0) return true;
      wait = ToTimespec(left);
    }
    pollfd pfd{fd_, POLLIN, 0};
    const int ready = ppoll(&pfd, 1, deadline ? &wait : nullptr, nullptr);
    if (ready < 0 && errno != EINTR) return Fail(errno);
    if (ready > 0) {
      if ((pfd.revents & POLLNVAL) != 0) return Fail(EBADF);
      if ((pfd.revents & (POLLHUP | POLLERR)) != 0) hungUp = true;
    }
  }
}

bool PosixSerialPort::PurgeReceive() {
  if (tcflush(fd_, TCIFLUSH) != 0) return Fail(errno);
  return true;
}

bool PosixSerialPort::ClearCommError(std::uint32_t& errors) {
  errors = 0;
  if (fcntl(fd_, F_GETFL) == -1) return Fail(errno);
  return true;
}

}  // namespace r742

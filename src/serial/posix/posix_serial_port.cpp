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
#include <ctime>
#include <optional>
#include <utility>

#include "serial/posix/monotonic_clock.h"
#include "serial/posix/termios_settings.h"
#include "serial/read_limits.h"

namespace r742 {

std::unique_ptr<PosixSerialPort> PosixSerialPort::Open(const std::string& path, int& error,
                                                       std::unique_ptr<IControlLines> lines) {
  error = ENOENT;
  if (path.empty()) return nullptr;
  const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    error = errno;
    return nullptr;
  }
  // The flock keeps out every other opener that locks, including root and
  // this process; TIOCEXCL adds the openers that do not lock. A terminal that
  // refuses TIOCEXCL as not permitted or not supported is still held by the
  // flock, so that refusal is let through.
  if (isatty(fd) != 1) {
    error = ENOTTY;
  } else if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    error = EBUSY;
  } else if (ioctl(fd, TIOCEXCL) != 0 && errno != EPERM && errno != ENOTTY) {
    error = errno;
  } else {
    error = 0;
  }
  if (error != 0) {
    close(fd);
    return nullptr;
  }
  tcflush(fd, TCIOFLUSH);  // start with empty queues, as a freshly opened port
  if (!lines) lines = TerminalControlLines(fd);
  return std::unique_ptr<PosixSerialPort>(new PosixSerialPort(fd, std::move(lines)));
}

PosixSerialPort::~PosixSerialPort() {
  rts_.Release();
  if (flagsBeforeLowLatency_) {
    serial_struct serial{};
    if (ioctl(fd_, TIOCGSERIAL, &serial) == 0) {
      serial.flags = *flagsBeforeLowLatency_;
      ioctl(fd_, TIOCSSERIAL, &serial);
    }
  }
  // TIOCEXCL stays on the terminal while the other side of a pty is open.
  ioctl(fd_, TIOCNXCL);
  close(fd_);
}

bool PosixSerialPort::RequestLowLatency() {
  serial_struct serial{};
  if (ioctl(fd_, TIOCGSERIAL, &serial) != 0) return false;  // a pty or a driver without the mode
  if ((serial.flags & ASYNC_LOW_LATENCY) != 0) return true;
  const int before = serial.flags;
  serial.flags |= ASYNC_LOW_LATENCY;
  if (ioctl(fd_, TIOCSSERIAL, &serial) != 0) return false;
  flagsBeforeLowLatency_ = before;
  return true;
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
  // R742_RTS=keep leaves RTS as it is, for converters powered from the port's control lines.
  const RtsChoice choice = ReadRtsChoice(std::getenv("R742_RTS"));
  std::string remark = rts_.Configure(settings, choice.keep);
  if (!choice.remark.empty()) remark = remark.empty() ? choice.remark : choice.remark + "; " + remark;
  if (!remark.empty()) notice_ = std::move(remark);
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
  return rts_.Send(length, [&] { return WriteAll(data, length, written); });
}

bool PosixSerialPort::WriteAll(const std::uint8_t* data, std::uint32_t length, std::uint32_t& written) {
  // cppcheck-suppress redundantAssignment ; a misreading of the conditional below: capMs is assigned once
  const std::uint64_t capMs =
      (timeouts_.writeTotalMultiplier != 0 || timeouts_.writeTotalConstant != 0)
          ? std::uint64_t{timeouts_.writeTotalMultiplier} * length + timeouts_.writeTotalConstant
          : 1000 + std::uint64_t{length};
  const std::int64_t deadline = MonotonicNs() + static_cast<std::int64_t>(capMs) * kNsPerMs;
  while (written < length) {
    const ssize_t n = write(fd_, data + written, length - written);
    if (n > 0) {
      written += static_cast<std::uint32_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN) return Fail(errno);

    const std::int64_t left = deadline - MonotonicNs();
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
  const std::int64_t start = MonotonicNs();
  std::int64_t lastData = 0;
  bool hungUp = false;
  for (;;) {
    const ssize_t n = read(fd_, buffer + received, count - received);
    if (n > 0) {
      received += static_cast<std::uint32_t>(n);
      lastData = MonotonicNs();
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
      const std::int64_t left = *deadline - MonotonicNs();
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

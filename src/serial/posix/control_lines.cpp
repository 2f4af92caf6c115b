#include "serial/posix/control_lines.h"

#include <linux/serial.h>
#include <sys/ioctl.h>
#include <termios.h>

#include <cerrno>

#include "serial/posix/monotonic_clock.h"

namespace r742 {
namespace {

class TerminalLines final : public IControlLines {
 public:
  explicit TerminalLines(int fd) : fd_(fd) {}

  bool EnableRs485() override {
    serial_rs485 current{};
    if (ioctl(fd_, TIOCGRS485, &current) != 0) return false;
    serial_rs485 wanted = current;
    wanted.flags |= SER_RS485_ENABLED | SER_RS485_RTS_ON_SEND;
    wanted.flags &= ~(SER_RS485_RTS_AFTER_SEND | SER_RS485_RX_DURING_TX);
    wanted.delay_rts_before_send = 0;
    wanted.delay_rts_after_send = 0;
    if (ioctl(fd_, TIOCSRS485, &wanted) != 0) return false;
    if (!saved_) saved_ = current;
    return true;
  }

  void RestoreRs485() override {
    if (saved_) (void)ioctl(fd_, TIOCSRS485, &*saved_);  // the device is being let go either way
    saved_.reset();
  }

  bool SetRts(bool up) override {
    const int bits = TIOCM_RTS;
    return ioctl(fd_, up ? TIOCMBIS : TIOCMBIC, &bits) == 0;
  }

  bool Drain() override {
    int result = 0;
    do {
      result = tcdrain(fd_);
    } while (result != 0 && errno == EINTR);
    return result == 0;
  }

  std::optional<bool> TransmitterEmpty() override {
    unsigned int lsr = 0;
    if (ioctl(fd_, TIOCSERGETLSR, &lsr) != 0) return std::nullopt;
    return (lsr & TIOCSER_TEMT) != 0;
  }

  std::int64_t NowNs() override { return MonotonicNs(); }

  void PauseNs(std::int64_t ns) override {
    if (ns <= 0) return;
    timespec wait = ToTimespec(ns);
    while (clock_nanosleep(CLOCK_MONOTONIC, 0, &wait, &wait) == EINTR) {
    }
  }

 private:
  int fd_;
  std::optional<serial_rs485> saved_;
};

}  // namespace

std::unique_ptr<IControlLines> TerminalControlLines(int fd) { return std::make_unique<TerminalLines>(fd); }

}  // namespace r742

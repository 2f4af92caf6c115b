// How long after the last byte of a reply the port's read returns, with the
// reply time-outs (20 ms quiet, 1 ms per byte, 1 ms). Runs over a
// pseudo-terminal, so the figures are the port's own overhead on top of 20 ms.
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

#include "serial/posix/posix_serial_port.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kRuns = 30;
constexpr std::size_t kReplyLength = 41;

bool WriteAll(int fd, const std::uint8_t* data, std::size_t length) {
  std::size_t done = 0;
  while (done < length) {
    const ssize_t n = write(fd, data + done, length - done);
    if (n > 0) {
      done += static_cast<std::size_t>(n);
    } else if (n < 0 && errno != EINTR && errno != EAGAIN) {
      return false;
    }
  }
  return true;
}

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

}  // namespace

int main() {
  const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  std::array<char, 128> slave{};
  if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0 ||
      ptsname_r(master, slave.data(), slave.size()) != 0) {
    std::perror("pseudo-terminal");
    return 1;
  }
  int error = 0;
  auto port = r742::PosixSerialPort::Open(slave.data(), error);
  if (!port || !port->SetCommState({.baud = 38400, .parity = 'N', .dataBits = 8, .stopBits = 2}) ||
      !port->SetCommTimeouts({.readInterval = 20, .readTotalMultiplier = 1, .readTotalConstant = 1})) {
    std::fprintf(stderr, "cannot open or set up %s\n", slave.data());
    return 1;
  }

  std::array<std::uint8_t, kReplyLength> reply{};
  for (std::size_t i = 0; i < reply.size(); ++i) reply[i] = static_cast<std::uint8_t>(i * 37);

  std::vector<double> latencies;
  for (int run = 1; run <= kRuns; ++run) {
    Clock::time_point written{};
    bool writeOk = false;
    std::thread node([&] {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));  // the read is under way by then
      writeOk = WriteAll(master, reply.data(), reply.size());
      written = Clock::now();
    });
    std::array<std::uint8_t, 512> buffer{};
    std::uint32_t received = 0;
    const bool readOk = port->Read(buffer.data(), 512, received);
    const Clock::time_point returned = Clock::now();
    node.join();
    if (!readOk || !writeOk || received != kReplyLength) {
      std::fprintf(stderr, "run %d: read %s, %u bytes\n", run, readOk ? "ok" : "failed", received);
      return 1;
    }
    latencies.push_back(Ms(returned - written));
    std::printf("run %2d: %.3f ms\n", run, latencies.back());
  }

  std::sort(latencies.begin(), latencies.end());
  const double median = (latencies[kRuns / 2 - 1] + latencies[kRuns / 2]) / 2;
  std::printf("median %.3f ms, max %.3f ms over %d runs of %zu bytes\n", median, latencies.back(), kRuns, kReplyLength);
  port.reset();
  close(master);
  return 0;
}

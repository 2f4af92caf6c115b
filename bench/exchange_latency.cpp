// One request and its reply through the machine's COM1, the way the program
// exchanges them (38400 8N2, reply time-outs 20 ms quiet, 1 ms per byte,
// 1 ms): the time from the write to the read's return, 30 times. Against
// r742-node-sim --delay 0, the same figure natively (R742_COM1 = its
// pseudo-terminal) and under wine (tools/wine-com1) shows the port's own
// overhead per exchange on each.
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <vector>

#include "serial/serial_port.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRuns = 30;
constexpr std::array<std::uint8_t, 8> kRequest{0x01, 0x03, 0x00, 0x18, 0x00, 0x12, 0x45, 0xC0};
constexpr std::uint32_t kReplyLength = 41;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

}  // namespace

int main() {
  using namespace r742;
  auto port = MachinePortProvider().Open("COM1");
  if (!port) {
    std::fprintf(stderr, "exchange_latency: COM1 does not open\n");
    return 1;
  }
  LineSettings line{.baud = 38400, .parity = 'N', .dataBits = 8, .stopBits = 2};
  if (!port->SetCommState(line) ||
      !port->SetCommTimeouts({.readInterval = 20, .readTotalMultiplier = 1, .readTotalConstant = 1})) {
    std::fprintf(stderr, "exchange_latency: COM1 refuses the line settings (error %u)\n", port->LastError());
    return 1;
  }
  std::vector<double> ms;
  for (int run = 0; run < kRuns; ++run) {
    port->PurgeReceive();
    std::array<std::uint8_t, 64> reply{};
    std::uint32_t written = 0, received = 0;
    const Clock::time_point start = Clock::now();
    const bool ok = port->Write(kRequest.data(), kRequest.size(), written) &&
                    port->Read(reply.data(), static_cast<std::uint32_t>(reply.size()), received);
    const Clock::duration took = Clock::now() - start;
    if (!ok || received != kReplyLength) {
      std::fprintf(stderr, "exchange_latency: run %d: %u bytes of %u\n", run, received, kReplyLength);
      return 1;
    }
    ms.push_back(Ms(took));
  }
  std::sort(ms.begin(), ms.end());
  std::printf("exchange (write to read return), %d runs: median %.1f ms, min %.1f ms, max %.1f ms\n", kRuns,
              ms[ms.size() / 2], ms.front(), ms.back());
  return 0;
}

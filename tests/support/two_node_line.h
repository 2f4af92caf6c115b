// COM1 as an in-memory line of two simulated nodes, on a clock only the line
// and a scan move: node 1 at 38400 N (byte order 2) and node 7 at 9600 E
// (byte order 0, a 400 V 3ph 3Wire meter). A test may hold the scan at its
// next wait (for a bounded real time) to act or take a picture mid-scan.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <thread>

#include "serial/serial_port.h"
#include "site/site_clock.h"
#include "support/memory_line.h"
#include "support/sim_line_peer.h"

namespace r742 {

class LineClock final : public SiteClock {
 public:
  // Connects itself to `line`, whose clock must read NowUs().
  void Follow(MemoryLine& line) {
    line.SetReadEnded([this](std::int64_t endUs) { MoveTo(endUs); });
  }
  std::int64_t NowUs() override { return nowUs_; }
  void SleepUntilUs(std::int64_t due) override {
    if (holdAfterWaits != 0 && --holdAfterWaits == 0) held = true;
    for (const auto end = std::chrono::steady_clock::now() + holdLimit; held && std::chrono::steady_clock::now() < end;)
      std::this_thread::yield();
    MoveTo(due);
  }
  void MoveTo(std::int64_t us) {
    for (std::int64_t now = nowUs_; now < us && !nowUs_.compare_exchange_weak(now, us);) continue;
  }

  std::atomic<bool> held{false};
  std::atomic<std::int64_t> holdAfterWaits{0};  // held from the n-th wait on; 0: never
  std::chrono::milliseconds holdLimit{10000};   // a held wait ends after this at the latest

 private:
  std::atomic<std::int64_t> nowUs_{0};
};

struct TwoNodeLine {
  TwoNodeLine() {
    clock.Follow(line);
    nodes.Add(SimNode(1, 2), {.baud = 38400, .stopBits = 0, .parity = 'N'});
    GiveMeterOfPlace(nodes.Add(SimNode(7, 0), {.baud = 9600, .stopBits = 0, .parity = 'E'}), 1);
    ConnectSimLine(line, nodes);
    ports.Add("COM1", line);
  }
  // The scan held a few probes after node 7 answered at 9600 E, its eighth setting: about 40 %.
  void HoldMidScan(std::chrono::milliseconds limit) {
    clock.holdAfterWaits = 7 * 247 + 12;
    clock.holdLimit = limit;
  }

  LineClock clock;
  MemoryLine line{[this] { return clock.NowUs(); }};
  SimLine nodes;
  MemoryPortProvider ports;
  PortProviderScope scope{ports};
};

}  // namespace r742

// A virtual clock for a scan on the in-memory line: the line's own reads and
// the scan's waits move it, nothing else. A test may hold the scan at its next
// wait (for a bounded real time) to act or take a picture mid-scan.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <thread>

#include "site/site_clock.h"
#include "support/memory_line.h"

namespace r742 {

class LineClock final : public SiteClock {
 public:
  // Connects itself to `line`, whose clock must read NowMs().
  void Follow(MemoryLine& line) {
    line.SetReadEnded([this](std::int64_t endMs) { MoveTo(endMs); });
  }
  std::int64_t NowMs() const { return nowMs_; }
  std::int64_t NowUs() override { return nowMs_ * 1000; }
  void SleepUntilUs(std::int64_t due) override {
    if (holdAfterWaits != 0 && --holdAfterWaits == 0) held = true;
    for (const auto end = std::chrono::steady_clock::now() + holdLimit; held && std::chrono::steady_clock::now() < end;)
      std::this_thread::yield();
    MoveTo((due + 999) / 1000);
  }
  void MoveTo(std::int64_t ms) {
    for (std::int64_t now = nowMs_; now < ms && !nowMs_.compare_exchange_weak(now, ms);) continue;
  }

  std::atomic<bool> held{false};
  std::atomic<std::int64_t> holdAfterWaits{0};  // held from the n-th wait on; 0: never
  std::chrono::milliseconds holdLimit{10000};   // a held wait ends after this at the latest

 private:
  std::atomic<std::int64_t> nowMs_{0};
};

}  // namespace r742

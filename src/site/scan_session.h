// A scan of several ports that runs beside a caller's loop: each port on a
// thread of its own, what it found and how far it got readable at any time,
// and a stop that takes effect within one probe.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "site/scan.h"

namespace r742 {

class ISerialPort;
class SiteClock;

// A port opened for a scan, and the name it was asked for by.
struct ScanLine {
  std::string name;
  std::unique_ptr<ISerialPort> port;
};

// The probes a scan of `lines` by `plan` makes in all.
std::uint64_t ScanProbeCount(const std::vector<ScanLine>& lines, const ScanPlan& plan);

struct ScanSnapshot {
  int percent = 0;
  std::string port;  // the probe made last
  ScanSetting setting;
  unsigned node = 0;
  std::vector<FoundNode> found;       // in the order found
  std::vector<std::string> refusals;  // settings a port refused, left out
  std::vector<std::string> failures;  // ports whose scan ended as the port failed
  bool running = false;
};

class ScanSession final : public ScanObserver {
 public:
  ScanSession() = default;
  ~ScanSession() override;  // stops and joins
  ScanSession(const ScanSession&) = delete;
  ScanSession& operator=(const ScanSession&) = delete;

  // Scans each line by `plan` on a thread of its own; each port is closed as
  // its scan ends. `also`, when given, hears every probe and find as well
  // (from those threads).
  void Start(std::vector<ScanLine> lines, const ScanPlan& plan, SiteClock& clock, ScanObserver* also = nullptr);
  void Stop() { stop_ = true; }
  void Join();
  ScanSnapshot Snapshot() const;

  void OnProbe(const std::string& port, const ScanSetting& setting, unsigned node, std::uint64_t done,
               std::uint64_t total) override;
  void OnFound(const FoundNode& found) override;
  void OnSettingRefused(const std::string& port, const ScanSetting& setting, const std::string& why) override;

 private:
  void Scan(ScanLine line, const ScanPlan& plan, SiteClock& clock);

  mutable std::mutex mutex_;
  ScanSnapshot state_;
  std::uint64_t probesDone_ = 0, probesTotal_ = 0;
  std::atomic<int> running_{0};
  std::atomic<bool> stop_{false};
  ScanObserver* also_ = nullptr;
  std::vector<std::jthread> threads_;
};

}  // namespace r742

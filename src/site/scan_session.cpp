#include "site/scan_session.h"

#include "serial/serial_port.h"

namespace r742 {

std::uint64_t ScanProbeCount(const std::vector<ScanLine>& lines, const ScanPlan& plan) {
  std::uint64_t probes = 0;
  for (const ScanLine& line : lines) probes += SettingsToScan(*line.port, plan).size() * plan.nodes.size();
  return probes;
}

ScanSession::~ScanSession() {
  Stop();
  Join();
}

void ScanSession::Start(std::vector<ScanLine> lines, const ScanPlan& plan, SiteClock& clock, ScanObserver* also) {
  Join();
  stop_ = false;
  also_ = also;
  {
    const std::lock_guard lock(mutex_);
    state_ = ScanSnapshot{};
    state_.running = !lines.empty();
    probesDone_ = 0;
    probesTotal_ = ScanProbeCount(lines, plan);
  }
  running_ = static_cast<int>(lines.size());
  threads_.reserve(lines.size());
  for (ScanLine& line : lines)
    threads_.emplace_back(
        [this, line = std::move(line), plan, &clock]() mutable { Scan(std::move(line), plan, clock); });
}

void ScanSession::Join() { threads_.clear(); }  // a jthread joins as it goes

ScanSnapshot ScanSession::Snapshot() const {
  const std::lock_guard lock(mutex_);
  return state_;
}

void ScanSession::Scan(ScanLine line, const ScanPlan& plan, SiteClock& clock) {
  const ScanOutcome outcome = ScanPort(*line.port, line.name, clock, plan, *this, stop_);
  line.port.reset();  // closed before the scan counts as ended
  const std::lock_guard lock(mutex_);
  if (!outcome.deviceError.empty()) state_.failures.push_back(line.name + ": " + outcome.deviceError);
  if (--running_ == 0) {
    state_.running = false;
    if (!stop_) state_.percent = 100;
  }
}

void ScanSession::OnProbe(const std::string& port, const ScanSetting& setting, unsigned node, std::uint64_t done,
                          std::uint64_t total) {
  if (also_ != nullptr) also_->OnProbe(port, setting, node, done, total);
  const std::lock_guard lock(mutex_);
  ++probesDone_;
  state_.percent = static_cast<int>(100 * probesDone_ / std::max<std::uint64_t>(probesTotal_, 1));
  state_.port = port;
  state_.setting = setting;
  state_.node = node;
}

void ScanSession::OnFound(const FoundNode& found) {
  if (also_ != nullptr) also_->OnFound(found);
  const std::lock_guard lock(mutex_);
  state_.found.push_back(found);
}

void ScanSession::OnSettingRefused(const std::string& port, const ScanSetting& setting, const std::string& why) {
  if (also_ != nullptr) also_->OnSettingRefused(port, setting, why);
  const std::lock_guard lock(mutex_);
  state_.refusals.push_back(port + ": " + std::to_string(setting.baud) + " " + setting.parity + " left out: " + why);
}

}  // namespace r742

// r742 scan: every port given scanned on a thread of its own, progress on
// standard error, the nodes found on standard output.
#include <algorithm>
#include <cstdio>
#include <memory>
#include <mutex>
#include <nlohmann/json.hpp>
#include <ostream>

#include "app/cli_commands.h"
#include "app/cli_exit.h"
#include "app/cli_options.h"
#include "model/system_settings.h"
#include "serial/serial_port.h"
#include "site/scan.h"
#include "site/scan_session.h"
#include "site/site_clock.h"

namespace r742 {
namespace {

constexpr unsigned kLastScanNode = 247;
constexpr std::int64_t kProgressEveryUs = 200'000;

std::string OrderText(const FoundNode& f) {
  if (f.refused) return "unknown (the node refused the probe)";
  if (f.orders.size() == 1) return std::to_string(f.orders[0]);
  if (f.orders.empty()) return "none fits";
  std::string text = "one of";
  for (unsigned o : f.orders) text += " " + std::to_string(o);
  return text;
}

// Progress of all ports: one line rewritten in place on a terminal, else a
// line per setting begun and per node found.
class ScanProgress final : public ScanObserver {
 public:
  ScanProgress(CliContext& context, std::uint64_t total) : context_(context), total_(total) {
    startUs_ = context.clock.NowUs();
  }

  void OnProbe(const std::string& port, const ScanSetting& setting, unsigned node, std::uint64_t /*done*/,
               std::uint64_t /*total*/) override {
    const std::lock_guard lock(mutex_);
    if (context_.interrupted) session_->Stop();  // the probe about to start is not made
    ++done_;
    const std::int64_t now = context_.clock.NowUs();
    if (context_.progressIsTerminal) {
      if (now - lastUs_ < kProgressEveryUs) return;
      lastUs_ = now;
      const double fraction = double(done_) / double(std::max<std::uint64_t>(total_, 1));
      const auto leftS = static_cast<long long>(
          fraction > 0 ? static_cast<double>(now - startUs_) * (1 - fraction) / fraction / 1e6 : 0);
      char line[160];
      std::snprintf(line, sizeof line, "\r%3.0f%%  %s %s  node %3u  found %zu  %lld:%02lld left   ", fraction * 100,
                    port.c_str(), SettingText(setting).c_str(), node, found_, leftS / 60, leftS % 60);
      context_.err << line << std::flush;
    } else if (node == firstNode_) {
      context_.err << port << ": probing " << SettingText(setting) << "\n" << std::flush;
    }
  }

  void OnFound(const FoundNode& f) override {
    const std::lock_guard lock(mutex_);
    ++found_;
    if (context_.progressIsTerminal) context_.err << "\r" << std::string(79, ' ') << "\r";
    context_.err << "found node " << f.node << " on " << f.port << " at " << SettingText(f.setting) << "\n"
                 << std::flush;
  }

  void OnSettingRefused(const std::string& port, const ScanSetting& setting, const std::string& why) override {
    const std::lock_guard lock(mutex_);
    context_.err << (context_.progressIsTerminal ? "\r" : "") << port << ": " << SettingText(setting)
                 << " left out: " << why << "\n";
  }

  void Finish() {
    if (context_.progressIsTerminal) context_.err << "\r" << std::string(79, ' ') << "\r" << std::flush;
  }

  unsigned firstNode_ = 1;
  ScanSession* session_ = nullptr;

 private:
  CliContext& context_;
  std::mutex mutex_;
  std::uint64_t total_;
  std::uint64_t done_ = 0;
  std::size_t found_ = 0;
  std::int64_t startUs_ = 0, lastUs_ = 0;
};

nlohmann::json FoundJson(const FoundNode& f) {
  nlohmann::json node{{"port", f.port},
                      {"baud", f.setting.baud},
                      {"parity", std::string(1, f.setting.parity)},
                      {"stop", f.setting.stopBits},
                      {"device_server", f.setting.heldByServer},
                      {"node", f.node},
                      {"refused", f.refused},
                      {"orders", f.orders}};
  node["order"] = f.orders.size() == 1 ? nlohmann::json(f.orders[0]) : nlohmann::json();
  if (!f.orders.empty()) {
    node["volts"] = f.volts;
    node["amps"] = f.amps;
    node["wiring"] = std::string(WiringTypeName(f.wiringType));
  }
  return node;
}

}  // namespace

int RunScan(const CliOptions& options, CliContext& context) {
  ScanPlan plan;
  plan.settings = ScanSettings(options.scanBauds, options.scanParities, options.scanStops);
  plan.nodes = options.scanNodes;
  if (plan.nodes.empty())
    for (unsigned n = 1; n <= kLastScanNode; ++n) plan.nodes.push_back(n);
  plan.timeoutMs = options.timeoutMs.value_or(kScanTimeoutMs);
  plan.firstOnly = options.firstOnly;
  if (plan.settings.empty()) {
    context.err << "r742: no line setting left to scan\n";
    return kExitUsage;
  }

  std::vector<std::string> names = options.scanPorts.empty() ? std::vector<std::string>{"COM1"} : options.scanPorts;
  std::vector<ScanLine> lines;
  int worst = kExitOk;
  for (const std::string& name : names) {
    SiteLine line;
    line.port = name;
    PortOpening opening = OpenSiteLine(line);
    if (!opening.port) {
      context.err << "r742: " << opening.step << " failed: " << opening.reason << "\n";
      if (!opening.refusalHint.empty()) context.err << opening.refusalHint << "\n";
      worst = kExitPort;
      continue;
    }
    lines.push_back({name, std::move(opening.port)});
  }
  if (lines.empty()) return worst;

  ScanProgress progress(context, ScanProbeCount(lines, plan));
  progress.firstNode_ = plan.nodes.front();
  ScanSession session;
  progress.session_ = &session;
  session.Start(std::move(lines), plan, context.clock, &progress);
  session.Join();  // every port closed before the results are printed
  progress.Finish();

  const ScanSnapshot result = session.Snapshot();
  for (const std::string& failure : result.failures) context.err << "r742: " << failure << "\n";
  if (!result.failures.empty()) worst = std::max(worst, static_cast<int>(kExitPort));
  // Port by port as named, each in the order found.
  std::vector<FoundNode> found = result.found;
  const auto place = [&names](const FoundNode& f) {
    return std::find(names.begin(), names.end(), f.port) - names.begin();
  };
  std::stable_sort(found.begin(), found.end(),
                   [&](const FoundNode& a, const FoundNode& b) { return place(a) < place(b); });
  const bool interrupted = context.interrupted.load();
  if (options.json) {
    nlohmann::json nodes = nlohmann::json::array();
    for (const FoundNode& f : found) nodes.push_back(FoundJson(f));
    context.out << nlohmann::json{{"nodes", nodes}, {"interrupted", interrupted}}.dump(2) << "\n";
  } else {
    for (const FoundNode& f : found) {
      context.out << f.port << "  " << SettingText(f.setting) << "  node " << f.node << "  byte order " << OrderText(f);
      if (!f.orders.empty())
        context.out << "  " << WiringTypeName(f.wiringType) << " " << f.volts << " V " << f.amps << " A";
      context.out << "\n";
    }
    if (found.empty()) context.out << "no node found\n";
  }
  if (interrupted) return kExitInterrupted;
  return found.empty() ? std::max(worst, static_cast<int>(kExitReply)) : worst;
}

}  // namespace r742

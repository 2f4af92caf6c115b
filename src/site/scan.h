// Finding the nodes on a line: each line setting in turn, each node number
// probed with a short system-settings read. A valid reply, or an exception
// from the node asked, means a node is there; its first values tell its
// float byte order.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace r742 {

class ISerialPort;
class SiteClock;

struct ScanSetting {
  std::uint32_t baud = 38400;
  char parity = 'N';
  int stopBits = 2;
  bool heldByServer = false;  // a device server's own line setting; baud only paces the probes
};

// The baud rates and parities of Port Setup, in the order that finds a node
// soonest in practice: the window's 38400 first, then the common rates; no
// parity first, then even, then odd. Empty lists take all; each stop-bit
// count given is tried in turn for every setting.
std::vector<ScanSetting> ScanSettings(const std::vector<std::uint32_t>& bauds, const std::string& parities,
                                      const std::vector<int>& stopBits);
// "38400 N 8 2", or "the device server's line setting"
std::string SettingText(const ScanSetting& setting);

inline constexpr std::uint32_t kScanBaudRates[] = {38400, 9600, 19200, 115200, 57600, 4800};
inline constexpr char kScanParities[] = {'N', 'E', 'O'};

struct FoundNode {
  std::string port;  // as the user named it
  ScanSetting setting;
  unsigned node = 0;
  bool refused = false;                                // it answered with an exception
  std::vector<unsigned> orders;                        // the byte orders its values fit; one when it is certain
  float volts = 0.0f, amps = 0.0f, wiringType = 0.0f;  // in the first fitting order
};

struct ScanPlan {
  std::vector<ScanSetting> settings;
  std::vector<unsigned> nodes;  // default 1..247
  std::uint32_t timeoutMs = 50;
  bool firstOnly = false;  // the whole scan ends at the first node found
};

// The settings `port` is scanned at: a device server has one line setting,
// so only the node numbers are probed there.
std::vector<ScanSetting> SettingsToScan(const ISerialPort& port, const ScanPlan& plan);

class ScanObserver {
 public:
  virtual ~ScanObserver() = default;
  // Before each probe; `done` probes of `total` made on this port.
  virtual void OnProbe(const std::string& port, const ScanSetting& setting, unsigned node, std::uint64_t done,
                       std::uint64_t total) = 0;
  virtual void OnFound(const FoundNode& found) = 0;
  // A setting the port refused: it is left out.
  virtual void OnSettingRefused(const std::string& port, const ScanSetting& setting, const std::string& why) = 0;
};

struct ScanOutcome {
  std::vector<FoundNode> found;
  std::uint64_t probes = 0;
  bool stopped = false;     // `stop` was raised before the plan was done
  std::string deviceError;  // the port failed; the scan of it ended
};

// Scans one open port. `stop` is looked at before every probe, so a scan ends
// within one probe of it being raised; with `plan.firstOnly` a node found
// raises it.
ScanOutcome ScanPort(ISerialPort& port, const std::string& name, SiteClock& clock, const ScanPlan& plan,
                     ScanObserver& observer, std::atomic<bool>& stop);

}  // namespace r742

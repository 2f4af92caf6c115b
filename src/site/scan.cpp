#include "site/scan.h"

#include <algorithm>
#include <iterator>

#include "modbus/float_codec.h"
#include "modbus/modbus_frame.h"
#include "node/node_requests.h"
#include "serial/serial_port.h"
#include "site/byte_order.h"
#include "site/node_link.h"

namespace r742 {
namespace {

constexpr std::uint32_t kProbeDataOffset = 3;  // function 3: node, function, byte count, data

FoundNode Found(const std::string& port, const ScanSetting& setting, unsigned node, const CModbusFrame& reply,
                const ExchangeResult& x) {
  FoundNode found{port, setting, node, x.verdict.fault == ReplyFault::kException, {}, 0, 0, 0};
  if (found.refused) return found;
  const std::uint32_t length = x.verdict.length;
  const std::uint32_t data = length > kProbeDataOffset + 2 ? length - kProbeDataOffset - 2 : 0;
  found.orders = FittingByteOrders({reply.ReceiveBytes() + kProbeDataOffset, data});
  if (!found.orders.empty() && data >= 12) {
    const CFloatCodec codec;
    const std::uint8_t* p = reply.ReceiveBytes() + kProbeDataOffset;
    found.volts = codec.GetFloat(ArrangeBytes(p, found.orders[0]));
    found.amps = codec.GetFloat(ArrangeBytes(p + 4, found.orders[0]));
    found.wiringType = codec.GetFloat(ArrangeBytes(p + 8, found.orders[0]));
  }
  return found;
}

}  // namespace

std::string SettingText(const ScanSetting& s) {
  if (s.heldByServer) return "the device server's line setting";
  return std::to_string(s.baud) + " " + s.parity + " 8 " + std::to_string(s.stopBits);
}

std::vector<ScanSetting> SettingsToScan(const ISerialPort& port, const ScanPlan& plan) {
  if (!port.IsDeviceServer() || plan.settings.empty()) return plan.settings;
  ScanSetting held = plan.settings.front();  // its baud rate still paces the probes
  held.heldByServer = true;
  return {held};
}

std::vector<ScanSetting> ScanSettings(const std::vector<std::uint32_t>& bauds, const std::string& parities,
                                      const std::vector<int>& stopBits) {
  std::vector<ScanSetting> settings;
  const std::vector<int> stops = stopBits.empty() ? std::vector<int>{2} : stopBits;
  for (char parity : kScanParities) {
    if (!parities.empty() && parities.find(parity) == std::string::npos) continue;
    for (std::uint32_t baud : kScanBaudRates) {
      if (!bauds.empty() && std::find(bauds.begin(), bauds.end(), baud) == bauds.end()) continue;
      for (int stop : stops) settings.push_back({baud, parity, stop});
    }
  }
  // Rates outside Port Setup's list, when asked for, follow in the order given.
  for (std::uint32_t baud : bauds) {
    if (std::find(std::begin(kScanBaudRates), std::end(kScanBaudRates), baud) != std::end(kScanBaudRates)) continue;
    for (char parity : kScanParities)
      if (parities.empty() || parities.find(parity) != std::string::npos)
        for (int stop : stops) settings.push_back({baud, parity, stop});
  }
  return settings;
}

ScanOutcome ScanPort(ISerialPort& port, const std::string& name, SiteClock& clock, const ScanPlan& plan,
                     ScanObserver& observer, std::atomic<bool>& stop) {
  ScanOutcome outcome;
  const std::vector<ScanSetting> settings = SettingsToScan(port, plan);
  const std::uint64_t total = std::uint64_t{settings.size()} * plan.nodes.size();
  NodeLink link(port, clock, {}, name);
  for (const ScanSetting& setting : settings) {
    if (stop) break;
    LineSettings line;
    if (!port.GetCommState(line)) {
      outcome.deviceError = port.LastErrorText();
      break;
    }
    line.baud = setting.baud;
    line.parity = setting.parity;
    line.stopBits = setting.stopBits;
    line.dataBits = 8;
    if (!port.SetCommState(line)) {
      observer.OnSettingRefused(name, setting, port.LastErrorText());
      outcome.probes += plan.nodes.size();
      continue;
    }
    link.SetPace({plan.timeoutMs, setting.baud, BitsPerChar(line), false});
    for (unsigned node : plan.nodes) {
      if (stop) break;
      observer.OnProbe(name, setting, node, outcome.probes, total);
      if (stop) break;
      ++outcome.probes;
      CModbusFrame reply;
      link.BeginOperation();  // an echoing adapter is found on each probe's own reply
      const ExchangeResult x = link.Exchange(SystemSettingsProbe(node), reply);
      if (x.read.deviceError || (!x.write.error.empty() && x.write.written == 0)) {
        outcome.deviceError = x.fault;
        return outcome;
      }
      const bool refusedByIt =
          x.verdict.fault == ReplyFault::kException && x.verdict.node == node && x.verdict.crcHolds;
      if (!x.ok && !refusedByIt) continue;
      outcome.found.push_back(Found(name, setting, node, reply, x));
      observer.OnFound(outcome.found.back());
      if (plan.firstOnly) stop = true;
    }
  }
  outcome.stopped = stop && outcome.probes < total;
  return outcome;
}

}  // namespace r742

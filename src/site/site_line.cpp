#include "site/site_line.h"

#include <algorithm>
#include <charconv>
#include <memory>
#include <optional>

#include "serial/serial_port.h"

namespace r742 {
namespace {

constexpr unsigned kHighestNode = 255;

// Stands for one device path under a short name, so that the window's
// opening steps open it.
class DevicePathProvider final : public IPortProvider {
 public:
  explicit DevicePathProvider(std::string path) : path_(std::move(path)) {}
  std::unique_ptr<ISerialPort> Open(std::string_view /*name*/) override { return OpenDevicePath(path_, why_); }
  std::string OpenFailure(std::string_view /*name*/) override { return why_; }
  std::string Describe(std::string_view /*name*/) override { return path_; }
  std::string Label(std::string_view /*name*/) override { return path_; }

 private:
  std::string path_;
  std::string why_;
};

std::optional<unsigned> NodeNumber(std::string_view text) {
  unsigned value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || value < 1 || value > kHighestNode) return std::nullopt;
  return value;
}

}  // namespace

std::string SettingsText(const SiteLine& line) {
  return std::to_string(line.baud) + " " + line.parity + " 8 " + std::to_string(line.stopBits);
}

PortOpening OpenSiteLine(const SiteLine& line) {
  LinkSettingsText text;
  text.baud = std::to_string(line.baud);
  text.parity = std::string(1, line.parity);
  text.stopBits = std::to_string(line.stopBits);
  PortOpening opening;
  if (PortIndex(line.port)) {
    text.port = line.port;
    opening = OpenConfiguredPort(text);
  } else {
    DevicePathProvider device(line.port);
    const PortProviderScope scope(device);
    text.port = "DEVICE";
    opening = OpenConfiguredPort(text);
  }
  if (opening.port) opening.port->RequestLowLatency();
  return opening;
}

bool ParseNodeList(std::string_view text, std::vector<unsigned>& nodes, std::string& error) {
  nodes.clear();
  while (!text.empty()) {
    const std::size_t comma = text.find(',');
    const std::string_view part = text.substr(0, comma);
    text = comma == std::string_view::npos ? std::string_view{} : text.substr(comma + 1);
    const std::size_t dash = part.find('-');
    const auto first = NodeNumber(part.substr(0, dash));
    const auto last = dash == std::string_view::npos ? first : NodeNumber(part.substr(dash + 1));
    if (!first || !last || *last < *first) {
      error = "\"" + std::string(part) + "\" is not a node number 1..255 or a range of them such as 1-10";
      return false;
    }
    for (unsigned n = *first; n <= *last; ++n)
      if (std::find(nodes.begin(), nodes.end(), n) == nodes.end()) nodes.push_back(n);
  }
  if (nodes.empty()) error = "no node numbers given";
  return !nodes.empty();
}

}  // namespace r742

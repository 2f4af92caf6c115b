#include "serial/posix/serial_device_discovery.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <tuple>
#include <utility>

namespace r742 {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kMaxLabelChars = 80;

enum class Group { kAdapter, kUart, kOther };

// "ttyS10" as ("ttyS", 10), so that ttyS2 comes before ttyS10.
std::pair<std::string, long> NaturalKey(const std::string& name) {
  std::size_t digits = name.size();
  while (digits > 0 && std::isdigit(static_cast<unsigned char>(name[digits - 1])) != 0) --digits;
  long number = -1;
  const std::size_t length = std::min<std::size_t>(name.size() - digits, 9);
  std::from_chars(name.data() + digits, name.data() + digits + length, number);
  return {name.substr(0, digits), number};
}

bool IsUartName(const std::string& name) {
  return name.size() > 4 && name.starts_with("ttyS") &&
         std::all_of(name.begin() + 4, name.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
}

// The number in a sysfs attribute file; nullopt when it is missing or not a number.
std::optional<int> ReadNumberFile(const fs::path& file) {
  std::ifstream in(file);
  std::string text;
  if (!in || !std::getline(in, text)) return std::nullopt;
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end == text.data()) return std::nullopt;
  return value;
}

// Device name -> the first of its by-id link names.
std::map<std::string, std::string> ByIdNames(const fs::path& folder) {
  std::map<std::string, std::string> names;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code linkError;
    const fs::path target = fs::read_symlink(it->path(), linkError);
    if (linkError) continue;
    const std::string device = target.filename().string();
    const std::string link = it->path().filename().string();
    auto [entry, added] = names.emplace(device, link);
    if (!added && link < entry->second) entry->second = link;
  }
  return names;
}

// The terminals the kernel writes its console to: "tty0 ttyS0" in the tty
// class's console entry, and the first word of each line of /proc/consoles.
// A request written there would go to the machine's own console.
std::set<std::string> ConsoleNames(const fs::path& root) {
  std::set<std::string> names;
  const auto addWords = [&names](const fs::path& file, bool firstOnly) {
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);) {
      std::istringstream words(line);
      for (std::string word; words >> word;) {
        names.insert(word);
        if (firstOnly) break;
      }
    }
  };
  addWords(root / "sys/class/tty/console/active", false);
  addWords(root / "proc/consoles", true);
  return names;
}

std::string DriverName(const fs::path& ttyEntry) {
  std::error_code ec;
  const fs::path driver = fs::read_symlink(ttyEntry / "device" / "driver", ec);
  return ec ? std::string() : driver.filename().string();
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::optional<int> PortTypeFromDriver(const std::string& devicePath) {
  const int fd = open(devicePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  serial_struct info{};
  const int result = ioctl(fd, TIOCGSERIAL, &info);
  close(fd);
  if (result != 0) return std::nullopt;
  return info.type;
}

std::string LabelFromById(const std::string& byIdName) {
  std::string name = byIdName;
  for (std::string_view bus : {"usb-", "pci-", "platform-"}) {
    if (name.starts_with(bus)) {
      name.erase(0, bus.size());
      break;
    }
  }
  // The interface and port of a multi-port adapter: "-if00" or "-if00-port0".
  if (const std::size_t at = name.rfind("-if");
      at != std::string::npos && at + 5 <= name.size() && HexDigit(name[at + 3]) >= 0 && HexDigit(name[at + 4]) >= 0) {
    const std::string rest = name.substr(at + 5);
    if (rest.empty() || rest.starts_with("-port")) name.erase(at);
  }
  std::string label;
  for (std::size_t i = 0; i < name.size() && label.size() < kMaxLabelChars; ++i) {
    char c = name[i];
    // The device manager writes characters it avoids in names as \xHH.
    if (c == '\\' && i + 3 < name.size() && name[i + 1] == 'x' && HexDigit(name[i + 2]) >= 0 &&
        HexDigit(name[i + 3]) >= 0) {
      c = static_cast<char>(HexDigit(name[i + 2]) * 16 + HexDigit(name[i + 3]));
      i += 3;
    }
    if (c == '_' || std::isprint(static_cast<unsigned char>(c)) == 0) c = ' ';
    if (c == ' ' && (label.empty() || label.back() == ' ')) continue;
    label += c;
  }
  while (!label.empty() && label.back() == ' ') label.pop_back();
  return label;
}

SysfsSerialDiscovery::SysfsSerialDiscovery(std::string root, PortTypeQuery askPortType)
    : root_(std::move(root)), askPortType_(std::move(askPortType)) {}

std::vector<SerialDevice> SysfsSerialDiscovery::Devices() {
  const fs::path root = root_.empty() ? fs::path("/") : fs::path(root_);
  const std::map<std::string, std::string> byId = ByIdNames(root / "dev/serial/by-id");
  const std::set<std::string> consoles = ConsoleNames(root);

  struct Found {
    std::tuple<Group, bool, std::string, std::pair<std::string, long>> order;
    SerialDevice device;
  };
  std::vector<Found> found;
  std::error_code ec;
  for (fs::directory_iterator it(root / "sys/class/tty", ec), end; !ec && it != end; it.increment(ec)) {
    const fs::path entry = it->path();
    const std::string name = entry.filename().string();
    std::error_code existsError;
    if (!fs::exists(entry / "device", existsError)) continue;  // consoles, virtual terminals, pseudo-terminals
    if (consoles.contains(name)) continue;
    const std::string devicePath = (root / "dev" / name).string();
    const std::optional<int> type = ReadNumberFile(entry / "type");

    const auto link = byId.find(name);
    const bool adapter = link != byId.end() || name.starts_with("ttyUSB") || name.starts_with("ttyACM");
    Group group = Group::kOther;
    if (adapter) {
      group = Group::kAdapter;
    } else if (IsUartName(name)) {
      group = Group::kUart;
      const std::optional<int> reported = type ? type : askPortType_ ? askPortType_(devicePath) : std::nullopt;
      if (!reported || *reported == 0) continue;  // a UART the driver knows no hardware behind
    } else if (type && *type == 0) {
      continue;
    }
    const bool hasLink = link != byId.end();
    SerialDevice device{devicePath, hasLink ? LabelFromById(link->second) : DriverName(entry)};
    found.push_back({{group, !hasLink, hasLink ? link->second : std::string(), NaturalKey(name)}, std::move(device)});
  }
  std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) { return a.order < b.order; });
  std::vector<SerialDevice> devices;
  devices.reserve(found.size());
  for (Found& f : found) devices.push_back(std::move(f.device));
  return devices;
}

}  // namespace r742

#include "serial/serial_port.h"

#include <cstdlib>

namespace r742 {
namespace {

IPortProvider* installed = nullptr;

}  // namespace

std::optional<int> PortIndex(std::string_view name) {
  if (name.size() != 4 || name.substr(0, 3) != "COM" || name[3] < '1' || name[3] > '9') return std::nullopt;
  return name[3] - '1';
}

std::string PinnedDevice(std::string_view name) {
  if (!PortIndex(name)) return {};
  const std::string variable = "R742_" + std::string(name);
  const char* value = std::getenv(variable.c_str());
  return value != nullptr ? value : "";
}

IPortProvider& CurrentPortProvider() {
  // cppcheck-suppress returnTempReference ; both arms are lvalues of IPortProvider, no temporary is made
  return installed != nullptr ? *installed : MachinePortProvider();
}

PortProviderScope::PortProviderScope(IPortProvider& provider) : previous_(installed) { installed = &provider; }

PortProviderScope::~PortProviderScope() { installed = previous_; }

}  // namespace r742

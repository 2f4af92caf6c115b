#include "serial/serial_port.h"

namespace r742 {
namespace {

IPortProvider* installed = nullptr;

}  // namespace

IPortProvider& CurrentPortProvider() {
  // cppcheck-suppress returnTempReference ; both arms are lvalues of IPortProvider, no temporary is made
  return installed != nullptr ? *installed : MachinePortProvider();
}

PortProviderScope::PortProviderScope(IPortProvider& provider) : previous_(installed) { installed = &provider; }

PortProviderScope::~PortProviderScope() { installed = previous_; }

}  // namespace r742

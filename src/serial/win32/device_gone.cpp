#include "os/win32/windows_api.h"
#include "serial/serial_port.h"

namespace r742 {

// What the transfers of a removed USB adapter fail with; wine reports a
// pseudo-terminal whose other side closed as ERROR_NOT_READY.
bool IsDeviceGoneError(std::uint32_t code) {
  switch (code) {
    case ERROR_BAD_COMMAND:
    case ERROR_ACCESS_DENIED:
    case ERROR_DEVICE_REMOVED:
    case ERROR_OPERATION_ABORTED:
    case ERROR_GEN_FAILURE:
    case ERROR_NOT_READY:
    case ERROR_DEVICE_NOT_CONNECTED: return true;
    default: return false;
  }
}

}  // namespace r742

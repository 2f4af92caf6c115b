#include <string>

#include "os/win32/windows_api.h"
#include "serial/serial_port.h"

namespace r742 {

std::string SystemErrorText(std::uint32_t code) {
  char text[512] = {};
  const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                                      text, sizeof text, nullptr);
  std::string said(text, length);
  while (!said.empty() && (said.back() == '\n' || said.back() == '\r' || said.back() == ' ' || said.back() == '.'))
    said.pop_back();
  return said.empty() ? "system error " + std::to_string(code) : said;
}

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

#include "os/system_error.h"

#include "os/win32/windows_api.h"

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

}  // namespace r742

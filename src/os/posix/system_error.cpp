#include "os/system_error.h"

#include <cstring>

namespace r742 {

std::string SystemErrorText(std::uint32_t code) {
  char text[256] = {};
  // The GNU strerror_r returns its text, which need not be in the buffer.
  const char* said = strerror_r(static_cast<int>(code), text, sizeof text);
  return said != nullptr ? said : text;
}

}  // namespace r742

// An operating system's error code in its own words ("Input/output error").
#pragma once

#include <cstdint>
#include <string>

namespace r742 {

// Each OS's folder defines it.
std::string SystemErrorText(std::uint32_t code);

}  // namespace r742

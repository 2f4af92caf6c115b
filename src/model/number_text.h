// Numbers as the window shows them, and numbers the node sends that must
// become whole numbers, without depending on the process locale.
#pragma once

#include <optional>
#include <string>

namespace r742 {

// `v` with `decimals` digits after the point, like printf's "%.*f" in the C
// locale ("inf", "nan" for those); at most 63 characters.
std::string FormatFixed(float v, int decimals);

// `v` truncated toward zero; nothing for NaN or a value outside the int range.
std::optional<int> TruncateToInt(float v);

}  // namespace r742

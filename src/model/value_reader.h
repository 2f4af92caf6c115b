#pragma once

#include <string_view>

namespace r742 {

// Reads the number typed into a value box. Only the first 9 characters count;
// leading white space is skipped, then an optional sign, decimal digits with an
// optional point and an optional exponent. Anything else ends the number; text
// without a number reads as 0. Always '.' as decimal point, whatever the locale.
// Magnitudes too large for a float read as +/-infinity.
float ReadValueText(std::string_view text);

}  // namespace r742

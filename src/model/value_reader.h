#pragma once

#include <cstddef>
#include <string_view>

namespace r742 {

// Reads the number typed into a value box. Only the first 9 characters count;
// leading white space is skipped, then an optional sign, decimal digits with an
// optional point and an optional exponent. Anything else ends the number; text
// without a number reads as 0. Always '.' as decimal point, whatever the locale.
// Magnitudes too large for a float read as +/-infinity.
float ReadValueText(std::string_view text);

// Reads a whole number with atoi's rules (leading white space, an optional
// sign, decimal digits; anything else ends it; no digits reads as 0) from the
// first `maxChars` characters. Beyond the int range it saturates instead of
// overflowing.
int ReadWholeNumberText(std::string_view text, std::size_t maxChars);

}  // namespace r742

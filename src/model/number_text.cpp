#include "model/number_text.h"

#include <charconv>
#include <cmath>
#include <system_error>

namespace r742 {

std::string FormatFixed(float v, int decimals) {
  // The largest float has 39 integer digits; with sign, point and up to
  // 20 decimals 63 characters are ample.
  constexpr int kMaxDecimals = 20;
  char buf[64];
  const int precision = decimals < 0 ? 0 : (decimals > kMaxDecimals ? kMaxDecimals : decimals);
  const auto res =
      std::to_chars(buf, buf + sizeof buf - 1, static_cast<double>(v), std::chars_format::fixed, precision);
  if (res.ec != std::errc{}) return "?";
  return std::string(buf, res.ptr);
}

std::optional<int> TruncateToInt(float v) {
  // 2^31 is exact as a float; every float below it in magnitude truncates into int.
  constexpr float kLimit = 2147483648.0f;
  if (!(v >= -kLimit && v < kLimit)) return std::nullopt;
  return static_cast<int>(v);
}

}  // namespace r742

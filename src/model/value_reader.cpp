#include "model/value_reader.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace r742 {
namespace {

constexpr std::size_t kSignificantChars = 9;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::size_t SkipDigits(std::string_view s, std::size_t i) {
  while (i < s.size() && IsDigit(s[i])) ++i;
  return i;
}

// Narrows with round-to-nearest like the FPU, but without the undefined
// conversion of an out-of-range double: anything that would round beyond
// the largest float becomes infinity.
float NarrowToFloat(double d) {
  constexpr double kFloatMax = std::numeric_limits<float>::max();
  // Halfway between the largest float (2^128 - 2^104) and 2^128; a tie rounds
  // to the even side, which is infinity.
  constexpr double kOverflowAt = 0x1p128 - 0x1p103;
  static_assert(kOverflowAt > kFloatMax);
  constexpr float kInf = std::numeric_limits<float>::infinity();
  if (std::isnan(d)) return 0.0f;
  if (d >= kOverflowAt) return kInf;
  if (d <= -kOverflowAt) return -kInf;
  if (d > kFloatMax) return std::numeric_limits<float>::max();
  if (d < -kFloatMax) return -std::numeric_limits<float>::max();
  return static_cast<float>(d);
}

}  // namespace

float ReadValueText(std::string_view text) {
  const std::string_view s = text.substr(0, kSignificantChars);
  std::size_t i = 0;
  while (i < s.size() && IsBlank(s[i])) ++i;

  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
    negative = s[i] == '-';
    ++i;
  }

  const std::size_t numStart = i;
  const std::size_t intEnd = SkipDigits(s, i);
  std::size_t end = intEnd;
  std::size_t fracDigits = 0;
  if (end < s.size() && s[end] == '.') {
    const std::size_t fracEnd = SkipDigits(s, end + 1);
    fracDigits = fracEnd - (end + 1);
    end = fracEnd;
  }
  if (intEnd == numStart && fracDigits == 0) return 0.0f;  // no digits at all

  bool negativeExponent = false;
  if (end < s.size() && (s[end] == 'e' || s[end] == 'E')) {
    std::size_t j = end + 1;
    bool expNegative = false;
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) {
      expNegative = s[j] == '-';
      ++j;
    }
    const std::size_t expEnd = SkipDigits(s, j);
    if (expEnd > j) {  // an 'e' without digits is not part of the number
      end = expEnd;
      negativeExponent = expNegative;
    }
  }

  // from_chars takes no '+' and no leading sign here; the sign is applied below.
  double magnitude = 0.0;
  const char* const first = s.data() + numStart;
  const char* const last = s.data() + end;
  const auto res = std::from_chars(first, last, magnitude, std::chars_format::general);
  if (res.ec == std::errc::result_out_of_range) {
    // At most 9 characters: only the exponent can push a double out of range.
    magnitude = negativeExponent ? 0.0 : std::numeric_limits<double>::infinity();
  } else if (res.ec != std::errc{}) {
    return 0.0f;
  }
  return NarrowToFloat(negative ? -magnitude : magnitude);
}

int ReadWholeNumberText(std::string_view text, std::size_t maxChars) {
  const std::string_view s = text.substr(0, maxChars);
  std::size_t i = 0;
  while (i < s.size() && IsBlank(s[i])) ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  constexpr long long kLimit = static_cast<long long>(std::numeric_limits<int>::max()) + 1;
  long long magnitude = 0;
  for (; i < s.size() && IsDigit(s[i]); ++i) magnitude = std::min(kLimit, magnitude * 10 + (s[i] - '0'));
  const long long value = negative ? -magnitude : magnitude;
  return static_cast<int>(
      std::clamp<long long>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

}  // namespace r742

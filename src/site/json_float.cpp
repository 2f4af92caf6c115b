#include "site/json_float.h"

#include <charconv>
#include <cmath>
#include <system_error>

namespace r742 {

double ShortestDouble(float value) {
  if (!std::isfinite(value)) return value;
  char text[32];
  const auto written = std::to_chars(text, text + sizeof text, value);
  if (written.ec != std::errc{}) return value;
  double shortest = 0.0;
  const auto read = std::from_chars(text, written.ptr, shortest);
  // The exact double is the fallback should the decimal text not come back to the float.
  if (read.ec != std::errc{} || static_cast<float>(shortest) != value || std::signbit(shortest) != std::signbit(value))
    return value;
  return shortest;
}

}  // namespace r742

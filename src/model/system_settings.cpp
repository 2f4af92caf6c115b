#include "model/system_settings.h"

#include "model/number_text.h"

namespace r742 {

std::string FormatSystemMagnitude(float x) {
  if (x < 10.0f) return FormatFixed(x, 3);
  if (x < 100.0f) return FormatFixed(x, 2);
  if (x < 1000.0f) return FormatFixed(x, 1);
  return FormatFixed(x, 0);
}

std::string_view WiringTypeName(float type) {
  if (type == 1.0f) return "1ph 2Wire";
  if (type == 2.0f) return "3ph 3Wire";
  if (type == 3.0f) return "3ph 4Wire";
  if (type == 4.0f) return "1ph 3Wire";
  return {};
}

std::optional<float> SystemPower(float volts, float amps, float type) {
  constexpr float kSqrt3 = 1.7320508f;
  const float va = volts * amps;
  if (type == 1.0f || type == 4.0f) return va;
  if (type == 2.0f) return va * kSqrt3;
  if (type == 3.0f) return va * 3.0f;
  return std::nullopt;
}

}  // namespace r742

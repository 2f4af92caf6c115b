#include "model/scaling.h"

#include <cmath>
#include <limits>

#include "model/number_text.h"

namespace r742 {
namespace {

constexpr double kCountsFullScale = 1638.0;  // counts for 100 %
constexpr float kNominalMax = 200.0f;
constexpr float kNominalMin = 5.0f;
constexpr float kOffsetMax = 90.0f;
constexpr float kFreqBase = 40.0f;  // Hz at u = 0

}  // namespace

float ClampNominal(float v) {
  if (std::isnan(v)) return kNominalMin;
  if (v > kNominalMax) v = kNominalMax;
  if (v < kNominalMin) v = kNominalMin;
  return v;
}

float ClampZeroOffset(float v) {
  if (std::isnan(v) || std::isinf(v) || v > kOffsetMax) return 0.0f;
  return v;
}

// Worked in double and rounded to float once: a 0.55 read-out must show +0.6, which
// float steps in between would turn into 0.5499999.
float ChannelOutput(float u, float F, float N, float Z) {
  const double n = N;
  const double z = Z;
  const double counts = (n - z) * (kCountsFullScale * u) / 100.0 + z / 100.0 * kCountsFullScale;
  const double result = counts / kCountsFullScale * F;
  // Beyond the float range a conversion is undefined; float steps would have given an infinity.
  constexpr double kFloatMax = std::numeric_limits<float>::max();
  if (result > kFloatMax) return std::numeric_limits<float>::infinity();
  if (result < -kFloatMax) return -std::numeric_limits<float>::infinity();
  return static_cast<float>(result);
}

bool IsNominalBad(float N) { return std::isnan(N) || N > kNominalMax || N < kNominalMin; }

bool IsOffsetBad(float Z) { return Z > kOffsetMax; }

std::string FormatReadout(float v) {
  std::string text = FormatFixed(v, 1);
  if (text.front() != '-' && text != "?") text.insert(0, 1, '+');
  return text;
}

// The frequency conversions keep every step in a float: the node values on the wire
// are defined by these 32-bit steps.
float FrequencyToNode(float centre, float span, int which) {
  const float twoSpans = span + span;
  const float k = 2000.0f / twoSpans;
  const float low = centre - span;
  const float lowAboveBase = low - kFreqBase;
  const float steps = lowAboveBase / 5.0f;
  const float slope = -0.25f * k;
  const float m = steps * slope;
  if (which == 0) {
    const float first = k + m;
    return first;
  }
  if (which == 1) return m;
  return 0.0f;
}

CentreSpan FrequencyFromNode(float a, float b) {
  const float d = a - b;
  const float halfInv = 2000.0f / d;
  const float span = halfInv / 2.0f;
  const float top = span + kFreqBase;
  const float b4 = 4.0f * b;
  const float ratio = b4 / d;
  const float shift = ratio * 5.0f;
  const float centre = top - shift;
  return CentreSpan{centre, span};
}

CentreSpan CentreSpanFromNode(float a, float b) {
  constexpr CentreSpan kNoSpan{5.0f, 0.0f};
  if (a == b) return kNoSpan;
  const CentreSpan cs = FrequencyFromNode(a, b);
  return std::isfinite(cs.centre) && std::isfinite(cs.span) ? cs : kNoSpan;
}

}  // namespace r742

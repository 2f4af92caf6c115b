#include "model/readouts.h"

#include "model/number_text.h"
#include "model/param_catalogue.h"
#include "model/scaling.h"
#include "model/value_reader.h"

namespace r742 {
namespace {
constexpr std::size_t kValueBoxChars = 9;
}

ChannelReadoutTexts ChannelReadouts(int code, int polarity, int outputMode, float F, float N, float Z) {
  ChannelReadoutTexts r;
  r.unit = outputMode == 0 ? "V" : "mA";
  if (code == kFrequencyCode) {
    // A frequency channel spans its whole output from Cf - Sp to Cf + Sp.
    r.points = {FormatReadout(F), FormatReadout(F / 2.0f), FormatReadout(0.0f)};
    return r;
  }
  if (polarity == 0) return r;
  const bool nominalBad = IsNominalBad(N);
  const bool offsetBad = IsOffsetBad(Z);
  if (!nominalBad) r.points[0] = FormatReadout(ChannelOutput(1.0f, F, N, Z));
  if (!offsetBad && polarity == 2) r.points[2] = FormatReadout(ChannelOutput(-1.0f, F, N, Z));
  if (!nominalBad && !offsetBad) r.points[1] = FormatReadout(ChannelOutput(0.0f, F, N, Z));
  return r;
}

float NominalAsShown(float v) { return ClampNominal(ReadValueText(FormatFixed(v, 1).substr(0, kValueBoxChars))); }

float ZeroOffsetAsShown(float v) { return ClampZeroOffset(ReadValueText(FormatFixed(v, 1).substr(0, kValueBoxChars))); }

}  // namespace r742

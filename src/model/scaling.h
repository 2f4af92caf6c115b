#pragma once

#include <string>

namespace r742 {

// Nominal output (percent of full scale) is held within 5..200.
float ClampNominal(float v);
// Zero offset (percent) above 90 is rejected and becomes 0; NaN and infinities become 0.
float ClampZeroOffset(float v);

// Output for input fraction u (-1..+1) of a channel with full scale F, nominal N
// percent and zero offset Z percent, in the node's own 1638-counts-per-100% steps.
float ChannelOutput(float u, float F, float N, float Z);

bool IsNominalBad(float N);
bool IsOffsetBad(float Z);

// Signed read-out with one decimal ("+20.0", "-0.0"), at most 63 characters,
// independent of the process locale.
std::string FormatReadout(float v);

// The node stores a frequency channel (centre, span in Hz) as two values; the
// input fraction is u = (f - 40 Hz) / 20 Hz. which 0 gives the first value,
// which 1 the second, anything else 0. A zero span yields inf/NaN.
float FrequencyToNode(float centre, float span, int which);

struct CentreSpan {
  float centre;
  float span;
};
// Inverse of FrequencyToNode; equal node values yield inf/NaN.
CentreSpan FrequencyFromNode(float a, float b);
// The same for a pair read from a node: a pair without a span (equal values, or
// a result that is not finite) reads as centre 5.0 and span 0.0, which a Send
// refuses until a span is entered.
CentreSpan CentreSpanFromNode(float a, float b);

}  // namespace r742

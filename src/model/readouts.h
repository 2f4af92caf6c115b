// The three read-outs beside a channel: its output at +100 %, 0 and -100 %
// input, as far as its parameter and scaling make them meaningful.
#pragma once

#include <array>
#include <string>

namespace r742 {

struct ChannelReadoutTexts {
  std::array<std::string, 3> points;  // "+20.0"; empty where the read-out stays blank
  const char* unit = "mA";            // "V" for a voltage output, else "mA"
};

// `code` the channel's parameter, `polarity` its class (0 none, 1 unsigned,
// 2 signed), `outputMode` 0 for a voltage output, F N Z its full scale,
// nominal and zero offset (centre and span for a frequency channel).
ChannelReadoutTexts ChannelReadouts(int code, int polarity, int outputMode, float F, float N, float Z);

// A value read from a node as the window holds it once it has shown it in a
// value box ("%0.1f", of which the first nine characters count) and limited it.
float NominalAsShown(float v);
float ZeroOffsetAsShown(float v);

}  // namespace r742

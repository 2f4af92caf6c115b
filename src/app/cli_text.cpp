#include "app/cli_text.h"

#include <cstdio>

#include "model/number_text.h"
#include "model/param_catalogue.h"
#include "model/system_settings.h"

namespace r742 {
namespace {

std::string ParameterText(const ChannelReading& ch) {
  if (!ch.parameter.empty()) return ch.parameter;
  return "? (code " + FormatFixed(ch.codeValue, 1) + ")";
}

std::string ScalingText(const ChannelReading& ch) {
  if (ch.code == kFrequencyCode)
    return "centre " + FormatFixed(ch.nominal, 1) + " Hz, span " + FormatFixed(ch.zeroOffset, 1) + " Hz";
  return "nominal " + FormatFixed(ch.nominal, 1) + " %, zero offset " + FormatFixed(ch.zeroOffset, 1) + " %";
}

}  // namespace

std::string ReadingText(const std::string& label, const std::string& line, unsigned node, unsigned order,
                        const NodeReading& r) {
  std::string text =
      "node " + std::to_string(node) + " on " + label + " (" + line + "), byte order " + std::to_string(order) + "\n";
  const std::optional<float> watts = SystemPower(r.system.volts, r.system.amps, r.system.wiringType);
  const std::string_view wiring = WiringTypeName(r.system.wiringType);
  text += "  system  " + FormatSystemMagnitude(r.system.volts) + " V  " + FormatSystemMagnitude(r.system.amps) +
          " A  " + (watts ? FormatSystemMagnitude(*watts) + " W  " : std::string()) +
          (wiring.empty() ? "wiring type " + FormatFixed(r.system.wiringType, 1) : std::string(wiring)) + "\n";
  char row[200];
  std::snprintf(row, sizeof row, "  %-4s %-10s %-40s %7s %7s %7s\n", "", "parameter", "scaling", "+100%", "0", "-100%");
  text += row;
  for (std::size_t ch = 0; ch < 3; ++ch) {
    const ChannelReading& c = r.channels[ch];
    std::snprintf(row, sizeof row, "  CH%zu  %-10s %-40s %7s %7s %7s  %s, full scale %s\n", ch + 1,
                  ParameterText(c).c_str(), ScalingText(c).c_str(), c.readouts[0].c_str(), c.readouts[1].c_str(),
                  c.readouts[2].c_str(), c.unit.c_str(), FormatFixed(c.fullScale, 1).c_str());
    text += row;
  }
  return text;
}

std::string ChangesText(unsigned node, const NodeReading& before, const SendResult& sent) {
  std::string text = "node " + std::to_string(node) + ":";
  if (!sent.after) return text + (sent.written ? " written, not read back\n" : " nothing written\n");
  text += sent.check == SendCheck::kSame ? " written and read back the same" : " READ BACK DIFFERS";
  text += sent.released ? ", released\n" : ", left unlocked\n";
  for (std::size_t ch = 0; ch < 3; ++ch) {
    const ChannelReading& b = before.channels[ch];
    const ChannelReading& a = sent.after->channels[ch];
    const std::string was = ParameterText(b) + ", " + ScalingText(b);
    const std::string now = ParameterText(a) + ", " + ScalingText(a);
    text += "  CH" + std::to_string(ch + 1) + "  ";
    text += was == now ? "unchanged: " : was + "  ->  ";
    text += now + "\n";
  }
  return text;
}

}  // namespace r742

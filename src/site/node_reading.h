// Everything a Read takes from one node, as plain values: what the window
// shows after a Read, and the wire values the output settings came in.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "node/node_data.h"

namespace r742 {

struct ChannelReading {
  float codeValue = 0.0f;  // the parameter code as the node holds it
  int code = 0;            // the catalogue code it stands for; 0 ("OFF") when unknown
  std::string parameter;   // its catalogue name; empty for a code the catalogue does not know
  int outputMode = 1;      // 0 a voltage output, anything else a current output
  float fullScale = 0.0f;  // in V or mA
  // The scaling as the window holds it after a Read (one decimal, within the
  // limits); for "Hz" the centre and span in Hz.
  float nominal = 100.0f;
  float zeroOffset = 0.0f;
  std::array<std::string, 3> readouts;  // at +100 %, 0 and -100 % input ("+20.0"); empty where blank
  std::string unit;                     // "mA" or "V"
};

struct NodeReading {
  SystemSettings system;
  std::array<ChannelReading, 3> channels;         // CH1..CH3
  std::array<std::uint32_t, 9> outputPatterns{};  // the nine output values as read, as 32-bit patterns
};

}  // namespace r742

#include "sim_line.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <utility>

namespace r742 {

namespace {

template <typename T>
bool Matches(T node, T line) {
  return node == T{} || line == T{} || node == line;
}

struct ChannelSetup {
  float code, nominal, offset;  // values 13..15 of the channel
  SimChannelMode mode;
};

struct Meter {
  std::array<float, 4> system;  // values 1..4: volts, amps, wiring type, hertz
  std::array<ChannelSetup, 3> channels;
};

// Places 1..3; place 0 is a new SimNode's own meter. A frequency channel
// stores its outputs at 60 Hz and 40 Hz: centre 60 Hz, span 5 Hz is 50 and -150.
const Meter kMeters[] = {
    // 3ph 3Wire: "I 1", "kW Sum", "V L2-3"
    {{400, 1, 2, 50}, {{{7, 120, 20, {1, 20}}, {15, 100, 50, {1, 20}}, {5, 100, 0, {0, 10}}}}},
    // 1ph 3Wire: "V 1", "I Sum", "Hz"
    {{120, 5, 4, 60}, {{{1, 100, 0, {0, 10}}, {10, 150, 0, {1, 20}}, {36, 50, -150, {0, 10}}}}},
    // 3ph 4Wire: "PF L1", "Neutral I", "kVA Sum"
    {{63.5f, 1, 3, 50}, {{{24, 100, 50, {1, 20}}, {11, 100, 20, {1, 20}}, {23, 200, 0, {0, 5}}}}},
};

}  // namespace

bool Hears(const SimLineSettings& node, const SimLineSettings& line) {
  return Matches(node.baud, line.baud) && Matches(node.stopBits, line.stopBits) && Matches(node.parity, line.parity);
}

SimLineSettings SimLineSettingsOf(const LineSettings& settings) {
  return {.baud = settings.baud, .stopBits = settings.stopBits, .parity = settings.parity};
}

SimNode& SimLine::Add(SimNode node, SimLineSettings listensAt) {
  members_.push_back({std::move(node), listensAt});
  return members_.back().node;
}

ReplyPlan SimLine::HandleRequest(std::span<const std::uint8_t> frame, const SimLineSettings& sentAt) {
  const int named = frame.empty() ? -1 : frame[0];
  ReplyPlan reply;
  bool answered = false;
  for (Member& member : members_) {
    if (!Hears(member.listensAt, sentAt)) continue;
    ReplyPlan plan = member.node.HandleRequest(frame);
    if (!answered && member.node.Node() == named) {
      reply = std::move(plan);
      answered = true;
    }
  }
  return reply;
}

SimNode* SimLine::Find(int number) {
  for (Member& member : members_)
    if (member.node.Node() == number) return &member.node;
  return nullptr;
}

void SimLine::SetFaults(const SimFaults& faults) {
  for (Member& member : members_) member.node.Faults() = faults;
}

bool SimLine::Echoes() const {
  return std::any_of(members_.begin(), members_.end(), [](const Member& m) { return m.node.Faults().echo; });
}

void GiveMeterOfPlace(SimNode& node, std::size_t place) {
  if (place % (std::size(kMeters) + 1) == 0) return;
  const Meter& meter = kMeters[place % (std::size(kMeters) + 1) - 1];
  for (int n = 1; n <= 4; ++n) node.SetValue(n, meter.system[n - 1]);
  for (int channel = 1; channel <= 3; ++channel) {
    const ChannelSetup& setup = meter.channels[channel - 1];
    node.SetValue(10 + 3 * channel, setup.code);
    node.SetValue(11 + 3 * channel, setup.nominal);
    node.SetValue(12 + 3 * channel, setup.offset);
    node.SetChannelMode(channel, setup.mode.mode, setup.mode.fullScale);
  }
}

}  // namespace r742

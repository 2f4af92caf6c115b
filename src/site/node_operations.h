// Read, Send and Release of one node through a NodeLink: the window's
// requests in the window's order, with every reply checked before the next
// request goes out.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "site/node_reading.h"

namespace r742 {

class NodeLink;

struct ReadResult {
  std::optional<NodeReading> reading;
  std::string step;   // the request that failed ("system settings", "CH2 mode", "output settings")
  std::string fault;  // and why
};

// The system settings, each channel's mode and full scale, and the output settings.
ReadResult ReadNode(NodeLink& link, unsigned node, unsigned order);

// The reading of a node whose output settings became `outputs`: the scaling
// and read-outs as the window shows them after it read them.
NodeReading WithOutputs(const NodeReading& modes, const OutputSettings& outputs,
                        const std::array<std::uint32_t, 9>& patterns);

enum class SendCheck { kNotMade, kSame, kDiffers };

struct SendResult {
  bool written = false;  // the output settings were accepted by the node
  SendCheck check = SendCheck::kNotMade;
  std::optional<NodeReading> after;  // as read back
  bool released = false;
  std::string step;
  std::string fault;
  std::string difference;  // which value read back differs, and how
};

// Pass code, the nine output values, their read-back and the bit-for-bit
// check of it, then (unless `keep`) the pass-code register cleared again.
// `modes` is the node read just before, whose channel modes the result keeps.
SendResult SendOutputs(NodeLink& link, unsigned node, unsigned order, const std::array<float, 9>& values,
                       const NodeReading& modes, bool keep);

// 0.0 to the pass-code register, as the window's Release.
std::string ReleaseNode(NodeLink& link, unsigned node, unsigned order);

}  // namespace r742

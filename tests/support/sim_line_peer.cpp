#include "support/sim_line_peer.h"

namespace r742 {

void ConnectSimLine(MemoryLine& line, SimLine& nodes) {
  line.SetPeer([&line, &nodes](std::span<const std::uint8_t> frame, std::int64_t nowMs) {
    for (const ReplyChunk& chunk : nodes.HandleRequest(frame, SimLineSettingsOf(line.ProgramSettings())))
      line.DeliverToProgram(chunk.bytes, nowMs += chunk.delayMs);
  });
}

}  // namespace r742

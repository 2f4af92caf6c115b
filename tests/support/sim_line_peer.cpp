#include "support/sim_line_peer.h"

#include <utility>

namespace r742 {

void LineWire::Carry(MemoryLine& line, std::span<const std::uint8_t> request, std::int64_t nowUs, bool echo,
                     const ReplyPlan& plan) {
  const LineSettings& settings = line.ProgramSettings();
  wire_.SetRate(settings.baud, BitsPerChar(settings));
  wire_.FromProgram(request, nowUs, echo);
  wire_.Reply(plan);
  for (const TimedBytes& packet : wire_.TakeAll()) line.DeliverToProgram(packet.bytes, packet.atUs);
}

void ConnectSimLine(MemoryLine& line, SimLine& nodes, WireOptions options,
                    std::function<void(std::span<const std::uint8_t> request)> afterRequest) {
  auto wire = std::make_shared<LineWire>(options);
  line.SetPeer(
      [&line, &nodes, wire, after = std::move(afterRequest)](std::span<const std::uint8_t> frame, std::int64_t nowUs) {
        const ReplyPlan plan = nodes.HandleRequest(frame, SimLineSettingsOf(line.ProgramSettings()));
        if (after) after(frame);
        wire->Carry(line, frame, nowUs, nodes.Echoes(), plan);
      });
}

}  // namespace r742

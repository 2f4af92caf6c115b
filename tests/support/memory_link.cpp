#include "support/memory_link.h"

namespace r742 {

MemoryLink::MemoryLink(MemoryLine& line, SimNode& node) : line_(line), node_(node) {
  line_.SetPeer([this](std::span<const std::uint8_t> frame, std::int64_t nowMs) { OnFrame(frame, nowMs); });
}

MemoryLink::~MemoryLink() { line_.SetPeer(nullptr); }

void MemoryLink::OnFrame(std::span<const std::uint8_t> frame, std::int64_t nowMs) {
  std::int64_t at = nowMs;
  for (const ReplyChunk& chunk : node_.HandleRequest(frame)) {
    at += chunk.delayMs;
    line_.DeliverToProgram(chunk.bytes, at);
  }
}

}  // namespace r742

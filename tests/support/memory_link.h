// Puts a simulated node on the far end of an in-memory line: each write of
// the program reaches the node as one frame, and the node's reply chunks
// arrive at the program at the line's clock time plus their delays.
#pragma once

#include "sim_node.h"
#include "support/memory_line.h"

namespace r742 {

class MemoryLink {
 public:
  MemoryLink(MemoryLine& line, SimNode& node) : line_(line) {
    line_.SetPeer([&node, this](std::span<const std::uint8_t> frame, std::int64_t at) {
      for (const ReplyChunk& chunk : node.HandleRequest(frame))
        line_.DeliverToProgram(chunk.bytes, at += chunk.delayMs);
    });
  }
  ~MemoryLink() { line_.SetPeer(nullptr); }  // the line has no peer afterwards
  MemoryLink(const MemoryLink&) = delete;
  MemoryLink& operator=(const MemoryLink&) = delete;

 private:
  MemoryLine& line_;
};

}  // namespace r742

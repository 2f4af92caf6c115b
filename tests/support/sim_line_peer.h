// A line of simulated nodes on the node side of an in-memory line.
#pragma once

#include <functional>
#include <memory>

#include "paced_wire.h"
#include "sim_line.h"
#include "support/memory_line.h"

namespace r742 {

// Bytes the line carries from the program to the nodes and back at the pace
// of `options`, at the rate the program's end was last set to.
class LineWire {
 public:
  explicit LineWire(WireOptions options = {}) : wire_(options) {}
  // The request written at `nowUs` on `line`, answered by `plan` (made as the
  // request reached the nodes): what reaches the program, and when.
  void Carry(MemoryLine& line, std::span<const std::uint8_t> request, std::int64_t nowUs, bool echo,
             const ReplyPlan& plan);

 private:
  PacedWire wire_;
};

// From now on every write of the program's end is one request, sent at the
// settings that end was set to (baud rate, stop bits and parity) over a wire
// paced by `options`; `afterRequest`, when given, sees each request once the
// nodes had it. Both must outlive the line's use; the line's earlier peer is
// replaced.
void ConnectSimLine(MemoryLine& line, SimLine& nodes, WireOptions options = {},
                    std::function<void(std::span<const std::uint8_t> request)> afterRequest = {});

}  // namespace r742

// A line of simulated nodes on the node side of an in-memory line.
#pragma once

#include "sim_line.h"
#include "support/memory_line.h"

namespace r742 {

// From now on every write of the program's end is one request, sent at the
// settings that end was set to (baud rate, stop bits and parity); the reply
// chunks arrive on the line's clock after their delays. Both must outlive
// the line's use; the line's earlier peer is replaced.
void ConnectSimLine(MemoryLine& line, SimLine& nodes);

}  // namespace r742

// COM1 as an in-memory line of two simulated nodes, on a clock only the line
// and a scan move: node 1 at 38400 N (byte order 2) and node 7 at 9600 E
// (byte order 0, a 400 V 3ph 3Wire meter).
#pragma once

#include "serial/serial_port.h"
#include "support/line_clock.h"
#include "support/memory_line.h"
#include "support/sim_line_peer.h"

namespace r742 {

struct TwoNodeLine {
  TwoNodeLine() {
    clock.Follow(line);
    nodes.Add(SimNode(1, 2), {.baud = 38400, .stopBits = 0, .parity = 'N'});
    GiveMeterOfPlace(nodes.Add(SimNode(7, 0), {.baud = 9600, .stopBits = 0, .parity = 'E'}), 1);
    ConnectSimLine(line, nodes);
    ports.Add("COM1", line);
  }
  // The scan held a few probes after node 7 answered at 9600 E, its eighth setting: about 40 %.
  void HoldMidScan(std::chrono::milliseconds limit) {
    clock.holdAfterWaits = 7 * 247 + 12;
    clock.holdLimit = limit;
  }

  LineClock clock;
  MemoryLine line{[this] { return clock.NowMs(); }};
  SimLine nodes;
  MemoryPortProvider ports;
  PortProviderScope scope{ports};
};

}  // namespace r742

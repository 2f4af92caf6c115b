// Several simulated nodes on one Modbus RTU line. Each node listens at its own
// line settings: a request sent at other settings reaches it as garbage, so it
// neither acts on it nor answers. A request goes to the node it names and the
// others stay silent; a broadcast (node 0) is applied by every node that hears
// it, and none answers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <span>

#include "reply_plan.h"
#include "serial/serial_port.h"
#include "sim_faults.h"
#include "sim_node.h"

namespace r742 {

// Line settings as a node listens at them, or as the node's side sees the
// program's end set. A field left 0 means, for a node: any; for the line: not
// known (a pseudo-terminal does not carry parity), which every node hears.
struct SimLineSettings {
  std::uint32_t baud = 0;
  int stopBits = 0;  // 1 or 2
  char parity = 0;   // 'N', 'O' or 'E'
  bool operator==(const SimLineSettings&) const = default;
};

// Whether a node listening at `node` understands a request sent at `line`.
bool Hears(const SimLineSettings& node, const SimLineSettings& line);

// The program's end as the node's side sees it; a baud rate of 0 stays unknown.
SimLineSettings SimLineSettingsOf(const LineSettings& settings);

class SimLine {
 public:
  // Puts a node on the line (nodes keep their place, and their address, for
  // the line's life). Numbers should differ: of two alike that hear a
  // request, both act on it and the one added first answers.
  SimNode& Add(SimNode node, SimLineSettings listensAt = {});

  // One request as the line carried it at `sentAt`: every node that hears it
  // handles it; what goes back is the plan of the node it names. A request
  // that no node hears, or that names no node, gets nothing back.
  ReplyPlan HandleRequest(std::span<const std::uint8_t> frame, const SimLineSettings& sentAt = {});

  std::size_t Size() const { return members_.size(); }
  // By place on the line, 0 .. Size() - 1, in the order added.
  SimNode& Node(std::size_t place) { return members_[place].node; }
  const SimNode& Node(std::size_t place) const { return members_[place].node; }
  const SimLineSettings& ListensAt(std::size_t place) const { return members_[place].listensAt; }
  // The first node with this number, or null.
  SimNode* Find(int number);

  // The same faults on every node.
  void SetFaults(const SimFaults& faults);
  // Whether the line gives each request back (a node's echo fault stands for
  // the two-wire adapter that hears itself).
  bool Echoes() const;

 private:
  struct Member {
    SimNode node;
    SimLineSettings listensAt;
  };
  std::deque<Member> members_;
};

// So that the nodes of a line can be told apart, the node at `place` gets the
// system settings, channel assignments and channel modes of a meter of its
// own. Place 0 keeps what a new SimNode has (230 V, 5 A, 1ph 2Wire); places
// 1, 2 and 3 get a 400 V / 1 A 3ph 3Wire, a 120 V / 5 A 1ph 3Wire and a
// 63.5 V / 1 A 3ph 4Wire meter; place 4 is like place 0 again, and so on.
void GiveMeterOfPlace(SimNode& node, std::size_t place);

}  // namespace r742

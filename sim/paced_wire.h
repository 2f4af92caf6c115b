// The wire between the program and the nodes, as slow as a real one: each
// byte takes its start bit, data bits, parity bit and stop bits at the baud
// rate; a request reaches the nodes once its last byte has left the wire, the
// reply follows the node's turn-around, an echoing two-wire line gives back
// each request byte as it leaves. A USB adapter hands what it received over
// in packets: once a packet is full, or a latency after its first byte.
// Nothing here sleeps or reads a clock: bytes carry the time they reach the
// program, for a server in real time or an in-memory line on a virtual clock.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <vector>

#include "reply_plan.h"

namespace r742 {

struct WireOptions {
  bool instant = false;              // whole writes at once and no turn-around: a line kinder than any real one
  std::int64_t turnaroundUs = 2000;  // from the request's last stop bit to the reply's first start bit
  std::int64_t latencyUs = 0;        // the adapter's latency timer; 0 with packetBytes 0: no adapter
  std::uint32_t packetBytes = 0;     // the adapter's largest packet; 0: no limit
  // A real device's UART sends at the rate itself: the program's bytes come in
  // paced already, and a reply chunk is handed over whole at its start while
  // the wire still counts its time before the next chunk.
  bool deviceSends = false;
  bool operator==(const WireOptions&) const = default;
};

struct TimedBytes {
  std::int64_t atUs = 0;  // when the bytes reach the program's end
  std::vector<std::uint8_t> bytes;
  bool operator==(const TimedBytes&) const = default;
};

class PacedWire {
 public:
  explicit PacedWire(WireOptions options = {}) : options_(options) {}

  // The line's rate from now on; a baud rate of 0 (not known) carries bytes at once.
  void SetRate(std::uint32_t baud, unsigned bitsPerChar);
  // The program's bytes as they reach the line at `atUs`: they leave one
  // character after another once the program's earlier bytes have left; with
  // `echo` each comes back to the program as it leaves. (The node's reply
  // does not hold them back: colliding frames are not modelled.)
  void FromProgram(std::span<const std::uint8_t> bytes, std::int64_t atUs, bool echo);
  // When the last byte given so far has left the wire.
  std::int64_t RequestEndUs() const { return requestEndUs_; }
  // The node's answer to the request that ended at RequestEndUs(): the first
  // chunk after the turn-around and its own delay, each later chunk its delay
  // after the one before has left the wire.
  void Reply(const ReplyPlan& plan);

  // The packets that have reached the program by `nowUs`, oldest first.
  std::vector<TimedBytes> TakeDue(std::int64_t nowUs);
  // Every packet scheduled so far, however late (for a virtual clock).
  std::vector<TimedBytes> TakeAll();
  // When the next packet reaches the program; none while nothing is on its way.
  std::optional<std::int64_t> NextDueUs() const;

 private:
  // Byte `index` (from 0) of a run starting at `startUs` has left the wire at this time.
  std::int64_t LeftWireUs(std::int64_t startUs, std::size_t index) const;
  // A byte that reached the adapter's end of the wire at `atUs`.
  void Arrive(std::uint8_t byte, std::int64_t atUs);
  void Hand(std::int64_t atUs, std::span<const std::uint8_t> bytes);
  void CloseOpenPacket();
  bool Adapter() const { return options_.latencyUs > 0 || options_.packetBytes > 0; }

  WireOptions options_;
  std::uint32_t baud_ = 0;
  unsigned bitsPerChar_ = 11;
  std::int64_t requestEndUs_ = 0;
  std::deque<TimedBytes> handed_;   // packets on their way to the program, in time order
  std::optional<TimedBytes> open_;  // the adapter's packet being filled; atUs: its first byte
};

}  // namespace r742

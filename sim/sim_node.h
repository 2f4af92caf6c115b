// One simulated power-meter node on a Modbus RTU line: 36 float values in
// holding registers 0..71, the channel modes behind function 70, the pass code
// that unlocks the output settings, and the fault knobs.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <span>
#include <vector>

#include "reply_plan.h"
#include "sim_faults.h"

namespace r742 {

inline constexpr int kSimValueCount = 36;
inline constexpr int kSimRegisterCount = 2 * kSimValueCount;
inline constexpr float kSimPassCode = 31427.0f;
inline constexpr int kSimPassCodeValue = 36;
inline constexpr std::size_t kSimRecentRequests = 64;

struct SimChannelMode {
  int mode = 1;  // 0 = voltage output, 1 = current output
  float fullScale = 20.0f;
};

class SimNode {
 public:
  // `node` 1..247, `byteOrder` 0..3 (the float byte orders of the tool).
  explicit SimNode(int node = 1, unsigned byteOrder = 2);

  // Handles one frame as received from the line and says what goes back.
  ReplyPlan HandleRequest(std::span<const std::uint8_t> frame);

  int Node() const { return node_; }
  void SetNode(int node) { node_ = node; }
  unsigned ByteOrder() const { return order_; }
  void SetByteOrder(unsigned order);  // re-encodes the values, which keep their numbers

  // Value n (1..36); out-of-range numbers read 0.0 and are not written.
  float Value(int n) const;
  void SetValue(int n, float value);
  std::uint16_t Register(int address) const;  // 0..71

  bool Unlocked() const { return unlocked_; }
  SimChannelMode ChannelMode(int channel) const;  // channel 1..3
  void SetChannelMode(int channel, int mode, float fullScale);

  SimFaults& Faults() { return faults_; }
  const SimFaults& Faults() const { return faults_; }

  // Every frame received, whatever became of it; the recent ones are kept.
  std::uint64_t RequestsSeen() const { return seen_; }
  const std::deque<std::vector<std::uint8_t>>& RecentRequests() const { return recent_; }

 private:
  std::vector<std::uint8_t> Answer(std::span<const std::uint8_t> frame);
  std::vector<std::uint8_t> ReadRegisters(std::span<const std::uint8_t> frame) const;
  std::vector<std::uint8_t> WriteRegisters(std::span<const std::uint8_t> frame);
  std::vector<std::uint8_t> ReadChannel(std::span<const std::uint8_t> frame) const;
  std::vector<std::uint8_t> Exception(std::uint8_t function, std::uint8_t code) const;

  int node_;
  unsigned order_;
  std::array<std::uint8_t, 2 * kSimRegisterCount> wire_{};  // registers as their wire bytes
  std::array<SimChannelMode, 3> channels_{};
  bool unlocked_ = false;
  SimFaults faults_;
  std::uint64_t seen_ = 0;
  std::deque<std::vector<std::uint8_t>> recent_;
};

}  // namespace r742

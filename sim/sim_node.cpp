#include "sim_node.h"

#include <algorithm>

#include "modbus/crc16.h"
#include "modbus/float_codec.h"

namespace r742 {

namespace {

enum : std::uint8_t {
  kReadHolding = 3,
  kWriteMultiple = 16,
  kReadChannelMode = 70,
};

enum : std::uint8_t {
  kIllegalFunction = 1,
  kIllegalAddress = 2,
  kIllegalValue = 3,
};

// Registers 24..41 hold the output settings (values 13..21), 70..71 the pass code.
constexpr int kSettingsFirst = 24, kSettingsEnd = 42;
constexpr int kPassFirst = 70, kPassEnd = 72;
// Function 70 reply: 7 header bytes + 4 per float + CRC stays below 256 bytes.
constexpr int kMaxChannelFloats = 61;

unsigned Word(std::span<const std::uint8_t> frame, std::size_t at) {
  return static_cast<unsigned>(frame[at]) << 8 | frame[at + 1];
}

bool CrcMatches(std::span<const std::uint8_t> frame) {
  const Crc16Bytes crc = Crc16(frame.data(), frame.size() - 2);
  return frame[frame.size() - 2] == crc.low && frame[frame.size() - 1] == crc.high;
}

void PutValue(std::vector<std::uint8_t>& out, float value, unsigned order) {
  std::uint8_t bytes[4];
  CFloatCodec().PutFloat(value, bytes, 0, order);
  out.insert(out.end(), bytes, bytes + 4);
}

}  // namespace

SimNode::SimNode(int node, unsigned byteOrder) : node_(node), order_(byteOrder & 3) {
  const float start[] = {
      230.0f, 5.0f,   3.0f,   50.0f, 0, 0, 0, 0, 0, 0, 0, 0,  // system settings
      4.0f,   100.0f, 0.0f,                                   // CH1 "V L1-2"
      36.0f,  150.0f, -50.0f,                                 // CH2 "Hz": centre 50, span 5
      0.0f,   100.0f, 0.0f,                                   // CH3 "OFF"
  };
  for (int n = 1; n <= kSimValueCount; ++n) SetValue(n, n <= static_cast<int>(std::size(start)) ? start[n - 1] : 0.0f);
  channels_ = {SimChannelMode{1, 20.0f}, SimChannelMode{1, 20.0f}, SimChannelMode{0, 10.0f}};
}

void SimNode::SetByteOrder(unsigned order) {
  std::array<float, kSimValueCount> values;
  for (int n = 1; n <= kSimValueCount; ++n) values[n - 1] = Value(n);
  order_ = order & 3;
  for (int n = 1; n <= kSimValueCount; ++n) SetValue(n, values[n - 1]);
}

float SimNode::Value(int n) const {
  if (n < 1 || n > kSimValueCount) return 0.0f;
  return CFloatCodec().GetFloat(ArrangeBytes(&wire_[4 * (n - 1)], order_));
}

void SimNode::SetValue(int n, float value) {
  if (n < 1 || n > kSimValueCount) return;
  CFloatCodec().PutFloat(value, wire_.data(), 4 * static_cast<std::size_t>(n - 1), order_);
}

std::uint16_t SimNode::Register(int address) const {
  if (address < 0 || address >= kSimRegisterCount) return 0;
  return static_cast<std::uint16_t>(wire_[2 * address] << 8 | wire_[2 * address + 1]);
}

SimChannelMode SimNode::ChannelMode(int channel) const {
  if (channel < 1 || channel > 3) return {};
  return channels_[channel - 1];
}

void SimNode::SetChannelMode(int channel, int mode, float fullScale) {
  if (channel < 1 || channel > 3) return;
  channels_[channel - 1] = {mode, fullScale};
}

ReplyPlan SimNode::HandleRequest(std::span<const std::uint8_t> frame) {
  ++seen_;
  recent_.emplace_back(frame.begin(), frame.end());
  if (recent_.size() > kSimRecentRequests) recent_.pop_front();

  // Frames that are broken or meant for another node get no answer, as on a multi-drop line.
  if (frame.size() < 4 || !CrcMatches(frame)) return ShapeReply({}, faults_);
  const bool broadcast = frame[0] == 0;
  if (!broadcast && frame[0] != node_) return ShapeReply({}, faults_);

  std::vector<std::uint8_t> reply;
  if (faults_.exceptionCode != 0)
    reply = Exception(frame[1], faults_.exceptionCode);
  else
    reply = Answer(frame);
  if (broadcast) reply.clear();
  return ShapeReply(std::move(reply), faults_);
}

std::vector<std::uint8_t> SimNode::Answer(std::span<const std::uint8_t> frame) {
  switch (frame[1]) {
    case kReadHolding: return ReadRegisters(frame);
    case kWriteMultiple: return WriteRegisters(frame);
    case kReadChannelMode: return ReadChannel(frame);
    default: return Exception(frame[1], kIllegalFunction);
  }
}

std::vector<std::uint8_t> SimNode::ReadRegisters(std::span<const std::uint8_t> frame) const {
  if (frame.size() != 8) return Exception(frame[1], kIllegalValue);
  const unsigned address = Word(frame, 2), quantity = Word(frame, 4);
  if (quantity < 1 || quantity > 125) return Exception(frame[1], kIllegalValue);
  if (address + quantity > kSimRegisterCount) return Exception(frame[1], kIllegalAddress);

  std::vector<std::uint8_t> reply;
  reply.reserve(5 + 2 * quantity);
  reply.push_back(static_cast<std::uint8_t>(node_));
  reply.push_back(kReadHolding);
  reply.push_back(static_cast<std::uint8_t>(2 * quantity));
  reply.insert(reply.end(), wire_.begin() + 2 * address, wire_.begin() + 2 * (address + quantity));
  AppendCrc(reply);
  return reply;
}

std::vector<std::uint8_t> SimNode::WriteRegisters(std::span<const std::uint8_t> frame) {
  if (frame.size() < 9) return Exception(frame[1], kIllegalValue);
  const unsigned address = Word(frame, 2), quantity = Word(frame, 4), byteCount = frame[6];
  if (quantity < 1 || quantity > 123 || byteCount != 2 * quantity || frame.size() != 9 + byteCount)
    return Exception(frame[1], kIllegalValue);
  const unsigned end = address + quantity;
  const bool passCode = address >= kPassFirst && end <= kPassEnd;
  const bool settings = address >= kSettingsFirst && end <= kSettingsEnd;
  if (!passCode && !(settings && unlocked_)) return Exception(frame[1], kIllegalAddress);

  std::copy_n(frame.begin() + 7, byteCount, wire_.begin() + 2 * address);
  if (passCode) unlocked_ = Value(kSimPassCodeValue) == kSimPassCode;

  std::vector<std::uint8_t> reply(frame.begin(), frame.begin() + 6);
  reply[0] = static_cast<std::uint8_t>(node_);
  AppendCrc(reply);
  return reply;
}

std::vector<std::uint8_t> SimNode::ReadChannel(std::span<const std::uint8_t> frame) const {
  if (frame.size() != 8) return Exception(frame[1], kIllegalValue);
  const unsigned address = Word(frame, 2), quantity = Word(frame, 4);
  if (address % 2 != 0 || address / 2 >= channels_.size()) return Exception(frame[1], kIllegalAddress);
  const unsigned channel = address / 2 + 1;
  const int floats = std::clamp(static_cast<int>(quantity / 2), 3, kMaxChannelFloats);

  std::vector<std::uint8_t> reply(frame.begin(), frame.begin() + 6);
  reply[0] = static_cast<std::uint8_t>(node_);
  reply.push_back(static_cast<std::uint8_t>(4 * floats));
  const SimChannelMode& mode = channels_[channel - 1];
  PutValue(reply, static_cast<float>(channel), order_);
  PutValue(reply, static_cast<float>(mode.mode), order_);
  PutValue(reply, mode.fullScale, order_);
  for (int i = 3; i < floats; ++i) PutValue(reply, 0.0f, order_);
  AppendCrc(reply);
  return reply;
}

std::vector<std::uint8_t> SimNode::Exception(std::uint8_t function, std::uint8_t code) const {
  std::vector<std::uint8_t> reply = {static_cast<std::uint8_t>(node_), static_cast<std::uint8_t>(function | 0x80),
                                     code};
  AppendCrc(reply);
  return reply;
}

}  // namespace r742
